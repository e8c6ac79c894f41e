// SPDX-License-Identifier: GPL-3.0-or-later
// Sending and fetching bus definition files of 10 KB and 100 KB to and from
// the simulated instrument, with the program's transfer dialog, over a
// pseudo-terminal paced at 115200 baud (the simulator carries 10 bits a byte
// at the speed set, as a real line does) and over TCP (unpaced, for
// comparison).
//
// For each transfer: the time taken against the line time plus the waits
// the protocol imposes (0.5 s each: four for a send, one for a fetch, the
// acquisition being stopped for it); the overhead beyond that must stay
// under 10 %. And the longest stall of the event loop while the transfer
// ran, seen by a timer ticking every 5 ms: at most 100 ms, so that windows
// keep repainting.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <functional>

#include "../tests/support/Simulator.h"
#include "core/frame/AppState.h"
#include "core/frame/Clock.h"
#include "core/frame/Interaction.h"
#include "core/instrument/FileTransfer.h"
#include "io/Visa.h"
#include "ui/instrument/TransferProgress.h"

using namespace karvel;

namespace {

class SilentInteraction : public Interaction {
 public:
  void message(const QString& title, const QString& text) override {
    std::fprintf(stderr, "%s: %s\n", qPrintable(title), qPrintable(text));
  }
  int ask(const QString&, const QString&, const QStringList&, int, int) override { return 0; }
  FileChoice chooseFile(const FileRequest&) override { return {}; }
  QString chooseFolder(const QString&, const QString&) override { return {}; }
  bool choosePrinter(PrintChoice&) override { return false; }
  int chooseLanguage() override { return 1; }
  void setBusy(bool) override {}
  bool openExternally(const QUrl&) override { return false; }
};

constexpr int kBaud = 115200;
constexpr double kWaitS = kTransferWaitMs / 1000.0;
constexpr double kOverheadTarget = 0.10;
constexpr qint64 kStallTargetMs = 100;
constexpr int kTickMs = 5;

struct Link {
  QString name;
  QString resource;
  bool serial;
};

bool openSession(io::Visa& visa, AppState& state, const Link& link) {
  io::ViSession rm = io::VI_NULL;
  visa.viOpenDefaultRM(&rm);
  if (visa.viOpen(rm, link.resource, io::VI_NO_LOCK, 0, &state.session) < io::VI_SUCCESS)
    return false;
  visa.viSetAttribute(state.session, io::VI_ATTR_TMO_VALUE, kNormalTimeoutMs);
  visa.viSetAttribute(state.session, io::VI_ATTR_TERMCHAR, 13);
  visa.viSetAttribute(state.session, io::VI_ATTR_SUPPRESS_END_EN, io::VI_FALSE);
  if (link.serial) {
    visa.viSetAttribute(state.session, io::VI_ATTR_ASRL_BAUD, kBaud);
    visa.viSetAttribute(state.session, io::VI_ATTR_ASRL_END_IN, io::VI_ASRL_END_TERMCHAR);
  }
  return true;
}

// The longest time between two ticks of a timer on the event loop.
class StallWatch {
 public:
  StallWatch() {
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(kTickMs);
    QObject::connect(&timer_, &QTimer::timeout, [this] { tick(); });
  }
  void start() {
    longest_ = 0;
    clock_.start();
    timer_.start();
  }
  qint64 stop() {
    tick();  // the stretch up to the transfer's end counts too
    timer_.stop();
    return longest_;
  }

 private:
  void tick() { longest_ = std::max(longest_, clock_.restart()); }
  QTimer timer_;
  QElapsedTimer clock_;
  qint64 longest_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  test::Simulator sim({"--tcp", "0", "--pty", "--family", "2"});
  if (!sim.ready()) {
    std::fprintf(stderr, "the simulator did not start\n");
    return 1;
  }
  QTemporaryDir dir;
  const QList<Link> links = {{"pty 115200", sim.ptyResource(), true},
                             {"tcp", sim.tcpResource(), false}};
  bool allMet = true;
  std::printf("%-11s %-6s %7s %9s %10s %9s %7s  %s\n", "link", "what", "bytes", "measured",
              "line+wait", "overhead", "stall", "");
  for (const Link& link : links) {
    SilentInteraction ui;
    SystemClock clock;
    io::Visa visa;
    AppState state;
    state.ui = &ui;
    state.clock = &clock;
    state.visa = &visa;
    state.instrumentModel = kModelRQ6102;
    state.programDir = dir.path();
    if (!openSession(visa, state, link)) {
      std::fprintf(stderr, "%s: cannot open %s\n", qPrintable(link.name),
                   qPrintable(link.resource));
      return 1;
    }
    for (const int kb : {10, 100}) {
      QByteArray data(kb * 1024, '\0');
      for (int i = 0; i < data.size(); ++i) data[i] = static_cast<char>((i * 7 + i / 300) & 0xFF);
      const QString name = QStringLiteral("B%1K.bus").arg(kb);
      const QString path = QDir(dir.path()).filePath(name);
      QFile file(path);
      file.open(QIODevice::WriteOnly);
      file.write(data);
      file.close();

      // The line time of a real line at this speed, whatever the link.
      const double lineS = data.size() * 10.0 / kBaud;
      struct Run {
        const char* what;
        double waits;
        std::function<bool(TransferProgress*)> go;
      };
      const Run runs[] = {
          {"send", 4 * kWaitS,
           [&](TransferProgress* p) {
             return Tarvik_fileTransfer(state, state.session, path, 1, 0, 0, 0, p) == 0;
           }},
          {"fetch", 1 * kWaitS,
           [&](TransferProgress* p) {
             return Tarvik_fileTransfer(state, state.session, name, 0, 0, kKindBus, 0, p) >= 0 &&
                    QFile(QDir(dir.path()).filePath(QLatin1String(kBusTemporaryName))).size() ==
                        data.size();
           }},
      };
      for (const Run& run : runs) {
        ui::TransferProgressDialog progress(nullptr, English);
        StallWatch stalls;
        QElapsedTimer timer;
        stalls.start();
        timer.start();
        const bool ok = run.go(&progress);
        const double took = timer.elapsed() / 1000.0;
        const qint64 stall = stalls.stop();
        const double expected = lineS + run.waits;
        const double overhead = took / expected - 1.0;
        const bool met = ok && overhead < kOverheadTarget && stall <= kStallTargetMs;
        allMet = allMet && met;
        std::printf("%-11s %-6s %7lld %8.2fs %9.2fs %8.1f%% %5lldms  %s\n", qPrintable(link.name),
                    run.what, static_cast<long long>(data.size()), took, expected, overhead * 100.0,
                    static_cast<long long>(stall), !ok ? "FAILED" : (met ? "ok" : "over target"));
      }
    }
    // The instrument has taken the last command before the link closes.
    visa.viWrite(state.session, QByteArray("*OPC?\r"));
    QByteArray done;
    visa.viRead(state.session, &done, 10);
  }
  std::printf(
      "(targets: overhead under %.0f %% of the line time at %d baud plus the protocol's waits; "
      "no stall of the event loop over %lld ms; tcp is unpaced, its line time is that of a "
      "%d-baud line for comparison)\n",
      kOverheadTarget * 100, kBaud, static_cast<long long>(kStallTargetMs), kBaud);
  return allMet ? 0 : 1;
}
