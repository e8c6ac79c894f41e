// SPDX-License-Identifier: GPL-3.0-or-later
// The program-wide state record. The application owns one instance and hands
// it to every routine that needs it; nothing else is global.
#pragma once

#include <QDir>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>

#include "io/LinkFailure.h"
#include "io/VisaTypes.h"

namespace karvel {

namespace io {
class Visa;
}

class Interaction;
class Clock;
class OperationProgress;
class XmlDocument;
struct SettingsValues;

// Language index: the order of every five-string text table.
enum Language : int { French = 0, English = 1, German = 2, Spanish = 3, Italian = 4 };
constexpr int kLanguageCount = 5;

// Connection type.
enum ConnectionType : int { RS232 = 0, USB = 1, Ethernet = 2 };

// Instrument model codes.
constexpr int kModelNone = 0;
constexpr int kModelRQ4102 = 3;  // first family
constexpr int kModelRQ6102 = 4;  // second family

// Text fields hold at most this many characters.
constexpr int kTextMax = 299;

inline constexpr const char* kVersionText = "KARVEL version 2.1";

struct AppState {
  // Panels. The user interface owns the windows; these only point at them and
  // become null when a window goes away.
  QPointer<QObject> mainPanel;
  QPointer<QObject> splashPanel;
  QPointer<QObject> excelPanel;
  QPointer<QObject> commPanel;
  QPointer<QObject> importPanel;
  QPointer<QObject> speedPanel;
  QPointer<QObject> voltagePanel;
  QPointer<QObject> languagePanel;
  QPointer<QObject> menuBar;
  QPointer<QObject> toolbar;

  // Settings (kept in the settings file).
  int language = English;
  int languageChosen = 0;
  int connectionType = USB;
  QString serialAddress = "ASRL1";
  QString usbAddress = "USB";
  QString ethernetAddress = "TCPIP0::255.255.255.255::23::SOCKET";
  QString workingDir;
  // The folder of the program's resources (KARVEL.UIR, bitmap/, help/, ...):
  // beside the program when portable, share/karvel when installed.
  QString programDir;
  QString settingsPath;
  // Where fetched files wait while they are shown; empty: programDir.
  QString temporaryDir;
  // Installed (settings and temporary files in the user's folders) or portable.
  bool installed = false;
  // How the settings file was written, so that it is written back the same
  // way: its code page (older files are Windows-1252) and its line ends.
  bool settingsWindows1252 = false;
  bool settingsCrLf = false;
  // A failed settings write is told once per run, not at every quit request.
  bool settingsWriteReported = false;
  // The settings as last read from or written to the file (Settings.h): a
  // write changes on disk only what changed since. Null before either.
  std::shared_ptr<const SettingsValues> settingsOnDisk;

  // The site register (settings lines "technician=" and "register="): the
  // name filed with each result, asked once, and the register file; empty:
  // not asked yet, and the default register (Register::defaultPath).
  QString technician;
  QString registerPath;
  // The register's server could not be reached, and the user was told so
  // (once per run; the register window then says it in its status line).
  bool registerOfflineTold = false;
  // The company and its logo's image file on maintenance reports (settings
  // lines "company=" and "logo="); empty: none.
  QString companyName;
  QString companyLogo;

  // The open bus definition document; null when none.
  std::shared_ptr<XmlDocument> xmlDocument;

  // Instrument session.
  io::ViSession session = io::VI_NULL;
  int sessionOpen = 0;
  int instrumentModel = kModelNone;
  // The identification reply of the instrument identified last ("TARVIK,
  // RQ4102,4471052,V5.12"): a fetched result is filed with it.
  QByteArray identificationReply;
  // Why the last opening or link check failed (cause and address), for the
  // communication failure message; reset at every opening.
  io::LinkFailure linkFailure;
  // The instrument I/O layer the session goes through; the application owns it.
  io::Visa* visa = nullptr;
  // Where the bridge-device walk looks (tests point these at fake trees).
  QString sysfsRoot = QStringLiteral("/sys");
  QString deviceRoot = QStringLiteral("/dev");
  // The main menu dispatcher (GestionMenu) by item number; a failed opening
  // runs item 14 (Options > Communication). Empty without a main window.
  std::function<void(int item)> gestionMenu;

  // Commands' memory within one run.
  int importSource = 0;
  // The folder a result was last saved to; a fetched result's Save proposes it.
  QString resultSaveFolder;
  QString exportPath;
  int lastOpenKind = 0;
  int printOption1 = 2;
  int printOption2 = 0;
  int excelRunning = 0;
  QPointer<QObject> exportPanel;  // null stands for "none" (-1)
  QString sheetFileName;

  // Results windows: how many this run has opened (it places the next one),
  // and the command behind their "Export to EXCEL" item, attached by the
  // spreadsheet export (the window passes itself; unset: the item is dimmed).
  int resultWindowCount = 0;
  std::function<void(QObject* resultWindow)> exportResults;
  // A results window's "File in register ..." (the window passes itself) and
  // the import dialog's offer to file what it fetched, attached by the site
  // register; unset: the item is dimmed and nothing is offered.
  std::function<void(QObject* resultWindow)> fileInRegister;
  std::function<void(QObject* resultWindow)> offerFiling;

  // Services the application provides; never null once the program runs.
  Interaction* ui = nullptr;
  Clock* clock = nullptr;

  // The program's own PDF viewer, for a help document that the desktop
  // cannot open: true once it shows the file at `path`; false when it could
  // not, after telling the user why. Empty while no main window exists.
  std::function<bool(const QString& path)> showDocument;

  // The end of the main window's toolbar (AfficheCom): the instrument layer
  // calls it with 1 once a session is open and with 0 once it is closed.
  // Empty while no main window exists (command-line tools, core tests).
  std::function<void(int open)> afficheCom;

  // The instrument operation under way (core/frame/OperationProgress.h): who
  // watches it (the main window's dialog; null: nobody, the command-line
  // tool), how deeply its scopes are nested (0: none runs), whether it was
  // told to stop (Exit does so), and who hears it start and end (the main
  // window dims the commands that would start another).
  OperationProgress* operation = nullptr;
  int operationDepth = 0;
  bool operationStopped = false;
  std::function<void(bool running)> operationRunning;
  // Whether the last operation that ended had been told to stop.
  bool lastOperationCancelled = false;
};

// The working folder that a fresh settings file proposes.
inline QString defaultWorkingDir() {
#ifdef Q_OS_WIN
  return QStringLiteral("C:\\karvel\\");
#else
  return QDir::homePath() + QStringLiteral("/karvel/");
#endif
}

// The folder that temporary files of fetches go into.
inline QString temporaryFolder(const AppState& state) {
  return state.temporaryDir.isEmpty() ? state.programDir : state.temporaryDir;
}

// A path below the program folder, with the native separator.
inline QString programPath(const AppState& state, const QString& relative) {
  return QDir::toNativeSeparators(QDir(state.programDir).filePath(relative));
}

}  // namespace karvel
