// SPDX-License-Identifier: GPL-3.0-or-later
// The instrument session: opening it on the configured port (with the speed
// and port searches), checking it, setting the instrument up, and closing it.
// At most one session exists, held in AppState::session. A failed opening or
// check leaves its cause in AppState::linkFailure for the message.
#pragma once

#include <QString>

#include "io/VisaTypes.h"

namespace karvel {

struct AppState;

// Constants of the opening.
inline constexpr int kBaudRates[] = {115200, 57600, 38400, 19200, 9600};
inline constexpr int kBridgeBaudRates[] = {460800, 115200};
inline constexpr int kIdentifyReadMax = 50;
inline constexpr int kReadMax = 3000;
inline constexpr int kCalibrationReadMax = 10;
inline constexpr int kFormattedBufferSize = 50000;
inline constexpr int kUsbProbeTimeoutMs = 200;
inline constexpr int kAddressProbeTimeoutMs = 500;
inline constexpr int kSessionTimeoutMs = 2000;
inline constexpr int kTermChar = 13;
// Before the first command of a session: the line counts as quiet after
// kLeftoverQuietMs without a byte; one that talks longer than kLeftoverTalkMs
// is told to stop and drained for as long again.
inline constexpr int kLeftoverQuietMs = 30;
inline constexpr int kLeftoverTalkMs = 400;
inline constexpr int kLeftoverReadMax = 65536;
// What is kept of the reply of a peer that named no supported model.
inline constexpr int kUnidentifiedReplyKept = 200;
// The CDC serial port of the instrument names itself so.
inline constexpr const char* kCdcInterfaceName = "Gadget Serial";
// The search expression of the CDC port walk.
inline constexpr const char* kSerialSearch = "ASRL[1-999]*::?*INSTR";

// The two kinds of USB port the search tries.
enum class UsbPortKind { Cdc, Bridge };

// Asks one USB port for the instrument's identification exactly as the USB
// search does: a CDC port once at its own speed, a bridge port at each bridge
// speed. 0 with `session` open (and AppState::instrumentModel set) when an
// instrument was identified; otherwise the opening's negative status or the
// identification status (-1 when nothing was identified), with nothing left
// open. `reply`, when given, receives the last answer.
int probeUsbPort(AppState& state, io::ViSession rm, const QString& resource, UsbPortKind kind,
                 io::ViSession* session, QByteArray* reply = nullptr);

// Checks an open session (identification query) or opens one. 0 when a
// session is open and the instrument answered; -1 after the user was told.
int OpenDev(AppState& state);

// Opens a session at `address` (RS232 and Ethernet; not used for USB) into
// `session`. 0 on success; a negative I/O status when the manager or the
// address cannot be opened; else the last identification status (-1, -2).
int Tarvik_init(AppState& state, const QString& address, io::ViSession* session);

// Closes `session` and its resource manager; returns the closing status.
io::ViStatus Tarvik_close(AppState& state, io::ViSession session);

// The link of `session` ended by itself (the peer closed the socket, the
// serial device went away). When it is the open session, the session ends as
// after any communication failure: closed (the toolbar and the status bar
// follow), then message 20 naming the lost link. While an operation or a
// transfer holds the link, it meets the end at its next read or write and
// reports it itself: false then, to be asked again once it is over.
bool sessionLinkClosed(AppState& state, io::ViSession session);

// Has the I/O layer of `state` tell sessionLinkClosed when a link ends by
// itself, so that the windows never show a session whose link is gone.
void watchSessionLink(AppState& state);

// "*CLS" and the data format. Always 0.
int Tarvik_defaultInstrSetup(AppState& state, io::ViSession session);

// The address text of the current connection type.
QString currentAddress(const AppState& state);

// The text of the main window's session field: not connected, connecting
// (while `opening`), or connected with the model and the address in use.
QString sessionStatusText(const AppState& state, bool opening);

// A reply of the instrument as text fit to show: the closing line end
// dropped, control characters, bytes past ASCII and backslashes escaped
// ("\r", "\x1b", "\\").
QString escapedReply(const QByteArray& reply);

// The trace length from the calibration configuration reply: 50000 when bit
// 0x80 of the two hexadecimal digits at characters 3 and 4 is set, else 2500.
int traceLengthFromCalibration(const QByteArray& reply);

}  // namespace karvel
