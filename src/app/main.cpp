// SPDX-License-Identifier: GPL-3.0-or-later
// The karvel program: the user's desktop companion for the Tarvik oscilloscopes.
#include <QApplication>

#include "core/frame/AppState.h"
#include "core/frame/Clock.h"
#include "core/frame/SafeWrite.h"
#include "ui/frame/FocusStyle.h"
#include "ui/frame/QtInteraction.h"
#include "ui/frame/Startup.h"

int main(int argc, char** argv) {
  karvel::keepRunningPastFileSizeLimit();
  QApplication app(argc, argv);
  // Per-user folders of the installed mode: ~/.config/karvel, ~/.cache/karvel.
  QCoreApplication::setApplicationName(QStringLiteral("karvel"));
  // The installed desktop entry's name: desktops match the windows with its
  // launcher and icon by it.
  QGuiApplication::setDesktopFileName(QStringLiteral("org.karvel.Karvel"));
  // One look on every desktop, close to the instrument's own screens.
  // Fusion, with a focus ring that shows on any palette.
  karvel::ui::useProgramStyle();
  // The program ends only through the quit question of the main window.
  app.setQuitOnLastWindowClosed(false);

  karvel::AppState state;
  karvel::ui::QtInteraction dialogs;
  karvel::SystemClock clock;
  state.ui = &dialogs;
  state.clock = &clock;

  karvel::ui::Application application(state);
  karvel::ui::StartupOptions options;
  options.programDir = QCoreApplication::applicationDirPath();
  options.programFile = QCoreApplication::applicationFilePath();
  options.arguments = QCoreApplication::arguments();
  // A file opened from the file manager goes to the program already running.
  options.singleInstance = true;
  if (application.start(options)) app.exec();
  application.shutdown();
  return 0;
}
