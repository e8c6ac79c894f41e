// SPDX-License-Identifier: GPL-3.0-or-later
// What a results window does besides showing its table (module LectureHTM):
// where it opens, saving its result under a new name, the per-bus help
// document, and removing a fetched temporary result when the window closes.
// Widget-free: questions go through AppState::ui.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <array>
#include <optional>

#include "core/frame/AppState.h"

namespace karvel {

// Where the n-th results window of a run (counted from 0) opens, as
// (x = left, y = top): windows step 20 pixels down and right, the top going
// back after 20 windows and the left after 40.
QPoint resultWindowPosition(int n);

// The position of the next results window; counts it in `state`.
QPoint takeResultWindowPosition(AppState& state);

// The same cascade for a window whose frame has `frame` size on a screen
// whose free room is `available`: the positions above while the window fits;
// before it would leave the room, the top goes back to its first position
// (and the left likewise), so that every window opens wholly on the screen.
QPoint resultWindowPosition(int n, const QSize& frame, const QRect& available);
QPoint takeResultWindowPosition(AppState& state, const QSize& frame, const QRect& available);

// The frame size a results window opens with: `wanted`, made smaller where it
// would leave no room on `available` for the first few places of the cascade,
// yet never below `minimum` nor larger than `available`.
QSize resultWindowFrameSize(const QSize& wanted, const QSize& minimum, const QRect& available);

// The proposal of the save dialog. A result the user opened: in its own
// folder, its file name up to the name's first dot, then ".HTM" (a dot in a
// folder's name does not cut it). A result fetched from the instrument
// (`instrumentName` given): that name, in `lastSaveFolder` when it is a
// folder, else in `workingDir` when it is one, else in the home folder; a
// fetched result's own file is a temporary one and no place to save to.
// Leading dots are dropped: the proposal is never a hidden file.
QString proposedSaveName(const QString& sourcePath, const QString& instrumentName = {},
                         const QString& lastSaveFolder = {}, const QString& workingDir = {});

// Copies a result file through a temporary file renamed over `to`, so that an
// existing file is only replaced by a complete copy. False, with the system's
// reason in `error`, when it failed (`to` is then untouched); `sourceFailed`
// tells whether it was reading `from` that failed.
bool copyResultFile(const QString& from, const QString& to, QString* error,
                    bool* sourceFailed = nullptr, int language = English);

// The Save command of a results window made from `sourcePath` (a result
// fetched from the instrument also gives its `instrumentName`): asks for a
// name (again after a refused overwrite), copies the file under it with the
// file name in lower case, remembers its folder in state.resultSaveFolder,
// and returns the window's new title. Nothing when the user cancelled or the
// copy failed (the failure has been reported).
std::optional<QString> saveResultAs(AppState& state, const QString& sourcePath,
                                    const QString& instrumentName = {});

// The bus standards that have a help document, in the order they are looked
// for in a bus heading; each is also the first part of the document's name.
// clang-format off
inline constexpr std::array<const char*, 17> kHelpBusNames = {
    "ARINC429", "ASI", "CANHIGHSPEED", "CANLOWSPEED", "DALI",
    "ETHERNET10BASE2", "ETHERNET10BASE-T", "ETHER 100BASE-T", "FLEXRAY",
    "KNX", "LIN", "MIL-STD-1553", "PROFIBUSDP", "PROFIBUSPA",
    "RS232", "RS485", "USB"};
// clang-format on

// The index of the first bus name that the heading contains (any letter
// case), or -1.
int helpBusIndex(const QString& busHeading);

// programDir/help/<name>_BUS_<language code>.pdf
QString helpDocumentPath(const QString& programDir, int busIndex, int language);

// The help button: opens the help document of the bus named in the heading,
// in the interface language (openHelpDocument: a missing document is named).
// A heading naming no known bus does nothing.
int HelpDiag(AppState& state, const QString& busHeading);

}  // namespace karvel
