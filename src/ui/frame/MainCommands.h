// SPDX-License-Identifier: GPL-3.0-or-later
// The commands that other features attach to the main window. The shell runs
// the menu and toolbar; a command left empty does nothing when chosen.
#pragma once

#include <QString>
#include <functional>

namespace karvel::ui {

// What openBus returns when the file shown is still the one shown before.
inline constexpr int kNothingOpened = 1;

struct MainCommands {
  // File > Open with a path containing ".BUS": loads the bus definition file
  // (ConvertAndRenderXMLFileInTree). A negative result is a failure code;
  // kNothingOpened when no file was opened though nothing failed (the user
  // kept the unsaved edits shown, or the file was refused with a message).
  std::function<int(const QString& path)> openBus;
  // File > Open with a path containing ".HTM": opens a results window (ReadHTMLFile).
  std::function<void(const QString& path)> openResult;
  std::function<void()> save;           // File > Save (item 4)
  std::function<void()> close;          // File > Close (item 5); also used before every load
  std::function<void()> importFiles;    // File > Import (item 7)
  std::function<void()> exportFile;     // File > Export (item 8)
  std::function<void()> communication;  // Options > Communication (item 14)
  // The toolbar's connect toggle (InitCom): close the session when one is
  // open, open one otherwise.
  std::function<void()> toggleSession;
  // The status bar's session field: where the session stands (`opening`:
  // a connection is being made now).
  std::function<QString(bool opening)> sessionStatus;
  // Shutdown: closes a session still open when the event loop has ended.
  std::function<void()> closeSession;
  // After the user confirmed quitting, when the program started the
  // spreadsheet application (FermetureExcel).
  std::function<void()> closeSpreadsheet;
  // Exit: unsaved edits of the bus definition file are saved or given up
  // first (Save / Discard / Cancel); false when the user cancelled.
  std::function<bool()> confirmDiscard;
};

}  // namespace karvel::ui
