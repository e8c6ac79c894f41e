// SPDX-License-Identifier: GPL-3.0-or-later
// The karvel program: the user's desktop companion for the Tarvik oscilloscopes.
#include <QApplication>
#include <cstdio>
#include <cstring>

#include "core/frame/AppState.h"
#include "core/frame/Clock.h"
#include "core/frame/SafeWrite.h"
#include "ui/frame/ComboBoxNames.h"
#include "ui/frame/FocusStyle.h"
#include "ui/frame/QtInteraction.h"
#include "ui/frame/Startup.h"

namespace {

// The same as the manual page's synopsis and arguments (karvel(1)); English,
// as karvel-cli's help and the manual pages are.
constexpr const char* kHelp =
    "Usage: karvel [FILE]\n"
    "       karvel --help | --version\n"
    "\n"
    "KARVEL, the bus analysis companion for the Tarvik handheld oscilloscopes.\n"
    "\n"
    "  FILE         a bus definition file (.BUS) to open in the main window, or a\n"
    "               diagnostic result file (.HTM) to open in a results window; a\n"
    "               file that does not exist is ignored. When KARVEL already runs\n"
    "               for this user and display, the file opens there.\n"
    "  -h, --help   show this help and exit\n"
    "  --version    show the version and exit\n"
    "\n"
    "karvel-cli does the same work from scripts, karvel-sim simulates an instrument.\n"
    "See karvel(1), karvel-cli(1) and karvel-sim(1).\n";

// --help and --version are answered before Qt starts: they need no display,
// and QApplication aborts without one. Any other command line goes on to the
// windows as before. Returns the exit status, or -1 to go on.
int answerInformationOptions(int argc, char** argv) {
  bool help = false;
  bool version = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) help = true;
    if (std::strcmp(argv[i], "--version") == 0) version = true;
  }
  if (help) {
    std::fputs(kHelp, stdout);
  } else if (version) {
    std::printf("karvel %s\n", KARVEL_VERSION);
  } else {
    return -1;
  }
  // A closed or full stdout (karvel --help >/dev/full) is a failure to say so.
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    std::fputs("karvel: cannot write to the standard output\n", stderr);
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  karvel::keepRunningPastFileSizeLimit();
  if (const int status = answerInformationOptions(argc, argv); status >= 0) return status;
  QApplication app(argc, argv);
  // Per-user folders of the installed mode: ~/.config/karvel, ~/.cache/karvel.
  QCoreApplication::setApplicationName(QStringLiteral("karvel"));
  // The installed desktop entry's name: desktops match the windows with its
  // launcher and icon by it.
  QGuiApplication::setDesktopFileName(QStringLiteral("org.karvel.Karvel"));
  // One look on every desktop, close to the instrument's own screens.
  // Fusion, with a focus ring that shows on any palette.
  karvel::ui::useProgramStyle();
  // Screen readers hear a combo box's label, not its value, as its name.
  karvel::ui::nameComboBoxesByLabel();
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
