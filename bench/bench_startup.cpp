// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up time: from launch to the main window shown, without the one-second
// splash wait (the clock here does not wait). Runs in a scratch program folder
// with the bundle, the toolbar images and a valid settings file, so that no
// question is asked.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "core/frame/Clock.h"
#include "ui/frame/QtInteraction.h"
#include "ui/frame/Startup.h"

namespace {

class NoWaitClock : public karvel::Clock {
 public:
  int waited = 0;
  void wait(int milliseconds) override { waited += milliseconds; }
};

bool prepare(const QString& dir) {
  const QString app = QStringLiteral(KARVEL_APPDIR);
  if (!QFile::copy(app + "/KARVEL.UIR", dir + "/KARVEL.UIR")) return false;
  QDir().mkpath(dir + "/toolbar");
  const auto images = QDir(app + "/toolbar").entryList(QDir::Files);
  for (const QString& image : images)
    QFile::copy(app + "/toolbar/" + image, dir + "/toolbar/" + image);
  QFile ini(dir + "/karvel.ini");
  if (!ini.open(QIODevice::WriteOnly | QIODevice::Text)) return false;
  ini.write(
      "1 1\n/tmp/karvel/\n1\n1\nASRL1\nUSB\nTCPIP0::255.255.255.255::23::SOCKET\n"
      "40\n40\n600\n900\n0\n");
  return true;
}

double startOnce(const QString& dir, NoWaitClock& clock) {
  karvel::AppState state;
  karvel::ui::QtInteraction dialogs;
  state.ui = &dialogs;
  state.clock = &clock;
  karvel::ui::StartupOptions options;
  options.programDir = dir;
  options.programFile = QCoreApplication::applicationFilePath();
  options.arguments = {QStringLiteral("karvel")};
  QElapsedTimer timer;
  timer.start();
  karvel::ui::Application application(state);
  const bool started = application.start(options);
  QCoreApplication::processEvents();  // the first paint of the window
  const double ms = timer.nsecsElapsed() / 1e6;
  application.shutdown();
  QCoreApplication::processEvents();
  return started ? ms : -1;
}

}  // namespace

int main(int argc, char** argv) {
  QElapsedTimer launch;
  launch.start();
  QApplication app(argc, argv);
  app.setQuitOnLastWindowClosed(false);
  const double appMs = launch.nsecsElapsed() / 1e6;

  QTemporaryDir dir;
  if (!dir.isValid() || !prepare(dir.path())) {
    std::fprintf(stderr, "bench_startup: cannot prepare a program folder\n");
    return 1;
  }
  NoWaitClock clock;
  const double first = startOnce(dir.path(), clock);
  std::vector<double> warm;
  for (int i = 0; i < 15; ++i) warm.push_back(startOnce(dir.path(), clock));
  std::sort(warm.begin(), warm.end());
  if (first < 0 || warm.front() < 0) {
    std::fprintf(stderr, "bench_startup: start-up failed\n");
    return 1;
  }
  const double total = appMs + first;
  std::printf("application object          %8.1f ms\n", appMs);
  std::printf("first start to window shown %8.1f ms (splash wait of %d ms not counted)\n", first,
              karvel::ui::kSplashMs);
  std::printf("launch to window shown      %8.1f ms  (target < 150 ms: %s)\n", total,
              total < 150 ? "met" : "MISSED");
  std::printf("warm start, median of %zu   %8.1f ms\n", warm.size(), warm[warm.size() / 2]);
  return 0;
}
