// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up and shutdown of the program: the splash, the main window, the
// settings, the file named on the command line, and the order of release.
#pragma once

#include <QDate>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

#include "core/frame/AppState.h"
#include "core/frame/Installation.h"
#include "ui/frame/AboutDialog.h"
#include "ui/frame/MainWindow.h"
#include "ui/frame/SingleInstance.h"

namespace karvel::ui {

// The message of the fatal box when the resource bundle is missing.
inline constexpr const char* kFatalNoUir = "FATAL RUNTIME ERROR\n\nFile KARVEL.UIR not found !\n";
// How long the splash stays up before the main window is built.
constexpr int kSplashMs = 1000;

// "dd-mm-yyyy"; empty for an invalid date.
QString buildDateText(const QDate& date);

struct StartupOptions {
  QString programDir;       // the folder of the program file (its resources beside it or in
                            // ../share/karvel)
  UserFolders userFolders;  // the installed mode's folders (tests give their own)
  QString programFile;      // the program file whose date is the build date
  QStringList arguments;    // the command line, the program's name first
  // Attaches the features' commands; attachFeatures when left empty.
  std::function<void(MainWindow&)> attach;
  // One program per user and display: a start that finds one running hands
  // it the command line's file (or only brings its window to the front) and
  // ends. The program sets it; tests that start several at once leave it off.
  bool singleInstance = false;
  // The name the running program listens on; empty: the one of this user,
  // display and (portable) program folder (instanceNameHere).
  QString instanceName;
};

class Application {
 public:
  // `state` must already carry its Interaction and Clock.
  explicit Application(AppState& state);
  ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  // Everything up to the event loop. False when the program must end at once
  // (the resource bundle is missing, or the file went to the program already
  // running: handedOver()); shutdown() is still to be called.
  bool start(const StartupOptions& options);
  // True when start() handed its file to the running program.
  bool handedOver() const { return handedOver_; }
  // What a later start handed over: brings the window to the front and opens
  // `path` (if any) as File > Open does, once no dialog is up.
  void openHandedOver(const QString& path);
  // Releases what is still held, in order: the bus document, the instrument
  // session, then the panels.
  void shutdown();

  MainWindow* mainWindow() const { return window_; }
  AboutDialog* aboutPanel() const { return about_; }

 private:
  AppState& state_;
  QPointer<MainWindow> window_;
  QPointer<AboutDialog> about_;
  QString bundlePath_;
  // Later starts' files; kept while a dialog is up or before the window is.
  std::unique_ptr<SingleInstance> instance_;
  QStringList handedPaths_;
  bool handedOver_ = false;
  bool started_ = false;
  bool openingHanded_ = false;
  void openHandedPaths();
};

}  // namespace karvel::ui
