// SPDX-License-Identifier: GPL-3.0-or-later
// The settings file "karvel.ini" beside the program: twelve lines holding the
// language, the connection, the working folder and the main window's place,
// then named lines ("technician=Jean Martin", "register=/path/register.sqlite")
// for the site register, written only when set.
#pragma once

#include <QList>
#include <QString>

#include "core/frame/AppState.h"
#include "core/frame/Texts.h"

namespace karvel {

// The main window's place as the settings file keeps it. Zoom state 0 is a
// normal window; kZoomMaximised and kZoomMinimised are the other two.
struct WindowGeometry {
  int top = 0;
  int left = 0;
  int height = 0;
  int width = 0;
  int zoom = 0;
  bool operator==(const WindowGeometry&) const = default;
};
constexpr int kZoomNormal = 0;
constexpr int kZoomMaximised = 1;
constexpr int kZoomMinimised = 2;
// What a zoomed (maximised or minimised) window is stored as.
constexpr WindowGeometry kZoomedGeometry{30, 30, 550, 490, 0};

// What the settings routines need of the main window.
class SettingsWindow {
 public:
  virtual ~SettingsWindow() = default;
  // The window's place now (zoom state included).
  virtual WindowGeometry windowGeometry() const = 0;
  // Places and sizes the window, then applies a non-zero zoom state.
  virtual void placeWindow(const WindowGeometry& geometry) = 0;
  // Runs a command of the main menu (the language items 17..21 here).
  virtual void runMenuItem(int item) = 0;
};

// Every value the settings file holds, and the file it came from. Kept as
// this program last read or wrote the file: a later write replaces on disk
// only the values that differ from these, so that what another copy of the
// program saved meanwhile stays.
struct SettingsValues {
  QString path;
  int languageChosen = 0;
  QString workingDir;
  int language = English;
  int connectionType = USB;
  QString serialAddress;
  QString usbAddress;
  QString ethernetAddress;
  WindowGeometry window;  // one value: a place is not mixed from two windows
  // Named lines after the twelve ("technician=...", "register=..."), which
  // older programs read past.
  QString technician;
  QString registerPath;
  QString companyName;  // "company=": on the cover of maintenance reports
  QString companyLogo;  // "logo=": the image file beside it
};

// Puts the default settings into `state` (every one but the window's place).
void ValeurParDefaut(AppState& state);

// Reads the file at `path` into `state` and `geometry`. False when the file
// cannot be opened or does not hold every value, or holds a language or a
// connection type that names no entry, or an address without the form of its
// field; `state` may then be partly filled.
// A file read whole becomes the one later writes merge over.
bool readSettingsFile(const QString& path, AppState& state, WindowGeometry& geometry);

// How the file was found at a start.
struct SettingsLoad {
  enum class Outcome { Whole, Missing, Unreadable, Damaged };
  Outcome outcome = Outcome::Missing;
  QString reason;                 // Unreadable: the system's reason
  bool tooLarge = false;          // Unreadable: far larger than a settings file
  QList<int> badLines;            // Damaged: the lines (1 to 12) that could not be read
  QList<const Text5*> kept;       // Damaged: the settings kept, by name
  QList<const Text5*> defaulted;  // Damaged: the settings back to their defaults
  bool geometryKept = false;
};

// Reads `path` for a start. Whole: as readSettingsFile. Damaged: `state`
// holds the defaults and every value whose own line holds it readably and in
// the form of its field, with no sign of a line missing around it (the
// window's place only when all five numbers are there; `geometry` zero
// otherwise). Missing or Unreadable: nothing read.
SettingsLoad loadSettings(const QString& path, AppState& state, WindowGeometry& geometry);

// What to tell of an Unreadable or Damaged file (which file, why, what was
// kept and what went back to its default); empty for the other outcomes.
QString settingsLoadMessage(const SettingsLoad& load, const QString& path, int language);

// Writes the twelve lines into `path`, in the code page and with the line
// ends the file has (UTF-8 and "\n" for a new file), through a temporary file
// renamed over the old one. A zoomed window is stored with the fixed
// geometry. When `path` was read or written before by `state`, only the
// values that changed since then are written over the file as it is now on
// disk; every other line keeps what is there (another copy of the program
// may have saved it). False, with the reason in `error`, when the file cannot
// be written; the old file is then as it was.
bool SauvegardeIni(const QString& path, AppState& state, const WindowGeometry& window,
                   QString* error = nullptr);

// SauvegardeIni to state.settingsPath; the first failure of the run is told
// to the user (which file, why), later ones are not.
bool saveSettings(AppState& state, const WindowGeometry& window);

// Reads the settings at start (or rebuilds the file), places the window,
// applies the language and, while no language has been chosen yet, asks for
// one. Uses state.settingsPath and state.ui.
void ChargeConfig(AppState& state, SettingsWindow& window);

}  // namespace karvel
