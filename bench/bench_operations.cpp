// SPDX-License-Identifier: GPL-3.0-or-later
// Instrument operations of the windows against the simulator made silent,
// slow, and disconnected mid-way, with the program's operation dialog: the
// longest stall of the event loop while each runs (a timer ticking every
// 5 ms sees it; target under 100 ms), and, where the run presses Cancel, the
// time from Cancel to the operation's end (target under 300 ms plus the bound
// of the I/O call under way when Cancel came: a read's time-out is kept as
// the protocol sets it).
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <memory>

#include "../tests/support/Simulator.h"
#include "core/frame/AppState.h"
#include "core/frame/Clock.h"
#include "core/frame/Interaction.h"
#include "core/frame/OperationProgress.h"
#include "core/instrument/Catalogue.h"
#include "core/instrument/Communication.h"
#include "core/instrument/FileStore.h"
#include "io/Ping.h"
#include "io/Visa.h"
#include "ui/frame/OperationDialog.h"

using namespace karvel;

namespace {

class SilentInteraction : public Interaction {
 public:
  void message(const QString&, const QString&) override {}
  int ask(const QString&, const QString&, const QStringList&, int, int) override { return 0; }
  FileChoice chooseFile(const FileRequest&) override { return {}; }
  QString chooseFolder(const QString&, const QString&) override { return {}; }
  bool choosePrinter(PrintChoice&) override { return false; }
  int chooseLanguage() override { return 1; }
  void setBusy(bool) override {}
  bool openExternally(const QUrl&) override { return false; }
};

constexpr qint64 kStallTargetMs = 100;
constexpr qint64 kCancelTargetMs = 300;
constexpr int kTickMs = 5;

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
    tick();
    timer_.stop();
    return longest_;
  }

 private:
  void tick() { longest_ = std::max(longest_, clock_.restart()); }
  QTimer timer_;
  QElapsedTimer clock_;
  qint64 longest_ = 0;
};

struct Bench {
  SilentInteraction ui;
  SystemClock clock;
  io::Visa visa;
  AppState state;
  QWidget window;
  int language = English;
  ui::OperationDialog dialog{&window, &language};
  Bench() {
    state.ui = &ui;
    state.clock = &clock;
    state.visa = &visa;
    state.operation = &dialog;
    state.language = English;
    state.sysfsRoot = QStringLiteral("/nonexistent");
    visa.setConnectTimeout(2000);
  }
};

bool allMet = true;

// Runs `operation`; presses Cancel after `cancelAfterMs` (never when < 0),
// and runs `meanwhile` after `meanwhileMs` (the simulator pulled away).
void measure(const char* what, Bench& b, const std::function<void()>& operation, int cancelAfterMs,
             qint64 ioBoundMs, int meanwhileMs = -1, const std::function<void()>& meanwhile = {}) {
  StallWatch stalls;
  QElapsedTimer timer;
  qint64 cancelAt = -1;
  QTimer cancelTimer;
  cancelTimer.setSingleShot(true);
  QObject::connect(&cancelTimer, &QTimer::timeout, [&] {
    cancelAt = timer.elapsed();
    b.dialog.askCancel();
  });
  QTimer otherTimer;
  otherTimer.setSingleShot(true);
  if (meanwhile) QObject::connect(&otherTimer, &QTimer::timeout, meanwhile);
  stalls.start();
  timer.start();
  if (cancelAfterMs >= 0) cancelTimer.start(cancelAfterMs);
  if (meanwhileMs >= 0) otherTimer.start(meanwhileMs);
  operation();
  const qint64 took = timer.elapsed();
  const qint64 stall = stalls.stop();
  cancelTimer.stop();
  otherTimer.stop();
  const qint64 toIdle = cancelAt >= 0 ? took - cancelAt : -1;
  const bool met = stall < kStallTargetMs && (toIdle < 0 || toIdle < kCancelTargetMs + ioBoundMs);
  allMet = allMet && met;
  char idle[64] = "-";
  if (toIdle >= 0) std::snprintf(idle, sizeof idle, "%lldms", static_cast<long long>(toIdle));
  std::printf("%-44s %8.2fs %6lldms %9s %8lldms  %s\n", what, took / 1000.0,
              static_cast<long long>(stall), idle, static_cast<long long>(ioBoundMs),
              met ? "ok" : "over target");
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  ui::OperationDialog::setShowDelay(0);
  std::printf("%-44s %9s %8s %9s %10s\n", "operation", "took", "stall", "to idle", "I/O bound");

  {  // A silent instrument on a serial line: the speed search.
    test::Simulator sim({"--pty", "--family", "1", "--fault", "silent"});
    if (!sim.ready()) return 1;
    Bench b;
    b.state.connectionType = RS232;
    b.state.serialAddress = sim.ptyResource();
    measure(
        "open, silent serial, whole search", b, [&] { OpenDev(b.state); }, -1, 0);
    measure(
        "open, silent serial, Cancel at 1.2 s", b, [&] { OpenDev(b.state); }, 1200,
        kAddressProbeTimeoutMs);
  }
  {  // A slow line: the instrument at 9600 baud is found at the last speed.
    test::Simulator sim({"--pty", "--family", "2", "--baud", "9600"});
    if (!sim.ready()) return 1;
    Bench b;
    b.state.connectionType = RS232;
    b.state.serialAddress = sim.ptyResource();
    measure(
        "open, instrument at 9600 baud", b, [&] { OpenDev(b.state); }, -1, 0);
    measure(
        "catalogue, paced serial line", b,
        [&] {
          OperationScope scope(b.state, QStringLiteral("catalogue"));
          QList<CatalogueEntry> list;
          RetourneCatalogue(b.state, kKindBus, list);
        },
        -1, 0);
    measure(
        "check of the open session", b, [&] { OpenDev(b.state); }, -1, 0);
    if (b.state.sessionOpen) Tarvik_close(b.state, b.state.session);
  }
  {  // Disconnected mid-way: the simulator goes during the set-up's mode pause.
    auto sim = std::make_unique<test::Simulator>(
        QStringList{"--tcp", "0", "--family", "2", "--mode", "METER"});
    if (!sim->ready()) return 1;
    Bench b;
    b.state.connectionType = Ethernet;
    b.state.ethernetAddress = sim->tcpResource();
    measure(
        "open, disconnected mid-way, Cancel at 1 s", b, [&] { OpenDev(b.state); }, 1000, 0, 200,
        [&] { sim->stop(); });
    if (b.state.sessionOpen) Tarvik_close(b.state, b.state.session);
  }
  {  // A silent instrument once the session is open: the catalogue listing.
    test::Simulator sim({"--tcp", "0", "--family", "2"});
    if (!sim.ready()) return 1;
    Bench b;
    b.state.connectionType = Ethernet;
    b.state.ethernetAddress = sim.tcpResource();
    OpenDev(b.state);
    sim.control("fault silent");
    measure(
        "catalogue, silent, Cancel at 0.5 s", b,
        [&] {
          OperationScope scope(b.state, QStringLiteral("catalogue"));
          QList<CatalogueEntry> list;
          RetourneCatalogue(b.state, kKindBus, list);
        },
        500, kCatalogueTimeoutMs);
    measure(
        "check, silent instrument", b, [&] { OpenDev(b.state); }, -1, 0);
  }
  {  // A host that never answers the ping.
    Bench b;
    measure(
        "ping, silent host, Cancel at 0.3 s", b,
        [&] {
          OperationScope scope(b.state, QStringLiteral("ping"));
          int reachable = 0;
          io::InetPing("192.0.2.1", &reachable, 2000, 23, nullptr, [&b] {
            b.dialog.keepAlive();
            return !operationCancelled(b.state);
          });
        },
        300, 0);
  }
  std::printf(
      "(targets: no stall over %lld ms; Cancel to idle under %lld ms plus the bound of "
      "the I/O call under way)\n",
      static_cast<long long>(kStallTargetMs), static_cast<long long>(kCancelTargetMs));
  return allMet ? 0 : 1;
}
