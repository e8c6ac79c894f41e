// SPDX-License-Identifier: GPL-3.0-or-later
// Opening an instrument session to the simulator over loopback TCP, with the
// protocol's real waits. Target: the whole opening within 10 % of the waits
// the protocol itself imposes (the I/O and the simulator add the rest).
#include <QElapsedTimer>
#include <QThread>
#include <cstdio>

#include "../tests/support/Simulator.h"
#include "core/frame/AppState.h"
#include "core/frame/Clock.h"
#include "core/frame/Interaction.h"
#include "core/instrument/Communication.h"
#include "io/Visa.h"

using namespace karvel;

namespace {

// Really waits, and adds up what it was asked to wait.
class CountingClock : public SystemClock {
 public:
  qint64 total = 0;
  void wait(int ms) override {
    total += ms;
    SystemClock::wait(ms);
  }
};

class Silent : public Interaction {
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

bool run(const char* label, const QStringList& simArgs, int rounds) {
  test::Simulator sim(simArgs);
  if (!sim.ready()) {
    std::printf("%s: simulator did not start\n", label);
    return false;
  }
  qint64 worstOverhead = 0;
  qint64 waits = 0;
  qint64 total = 0;
  for (int i = 0; i < rounds; ++i) {
    AppState state;
    io::Visa visa;
    CountingClock clock;
    Silent ui;
    state.visa = &visa;
    state.clock = &clock;
    state.ui = &ui;
    state.connectionType = Ethernet;
    state.ethernetAddress = sim.tcpResource();
    QElapsedTimer timer;
    timer.start();
    const int status = OpenDev(state);
    const qint64 elapsed = timer.elapsed();
    Tarvik_close(state, state.session);
    if (status != 0) {
      std::printf("%s: opening failed\n", label);
      return false;
    }
    waits = clock.total;
    total += elapsed;
    worstOverhead = std::max(worstOverhead, elapsed - clock.total);
  }
  const double mean = static_cast<double>(total) / rounds;
  const double ratio = waits > 0 ? 100.0 * (mean - waits) / waits : 0.0;
  const bool ok = waits == 0 || mean <= waits * 1.10;
  std::printf(
      "%-40s mean %7.1f ms  protocol waits %5lld ms  overhead %5.1f %%  worst extra %lld ms  %s\n",
      label, mean, static_cast<long long>(waits), ratio, static_cast<long long>(worstOverhead),
      ok ? "within 10 %" : "OVER 10 %");
  return ok;
}

}  // namespace

int main() {
  test::ensureCoreApp();
  bool ok = true;
  ok &= run("second family by code (no waits)", {"--tcp", "0", "--family", "2"}, 20);
  ok &= run("first family (calibration, run restart)", {"--tcp", "0", "--family", "1"}, 5);
  ok &= run("second family by prefix (bus confirmed)",
            {"--tcp", "0", "--family", "2", "--ident", "prefix", "--mode", "METER"}, 3);
  return ok ? 0 : 1;
}
