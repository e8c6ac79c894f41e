// Sending and fetching bus definition files of 10 KB and 100 KB to and from
// the simulated instrument, over a pseudo-terminal at 115200 baud and over TCP.
// Target: each transfer within 10 % of the line time (10 bits a byte at
// 115200 baud) plus the waits the protocol imposes (0.5 s each: four for a
// send, one for a fetch, the acquisition being stopped for it).
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

#include "../tests/support/Simulator.h"
#include "core/frame/AppState.h"
#include "core/frame/Clock.h"
#include "core/instrument/FileTransfer.h"
#include "core/frame/Interaction.h"
#include "io/Visa.h"

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

constexpr double kBaud = 115200.0;
constexpr double kWaitS = kTransferWaitMs / 1000.0;

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
    visa.viSetAttribute(state.session, io::VI_ATTR_ASRL_BAUD, 115200);
    visa.viSetAttribute(state.session, io::VI_ATTR_ASRL_END_IN, io::VI_ASRL_END_TERMCHAR);
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  test::Simulator sim({"--tcp", "0", "--pty", "--family", "2"});
  if (!sim.ready()) {
    std::fprintf(stderr, "the simulator did not start\n");
    return 1;
  }
  QTemporaryDir dir;
  const QList<Link> links = {{"pty 115200", sim.ptyResource(), true},
                             {"tcp", sim.tcpResource(), false}};
  bool allMet = true;
  std::printf("%-11s %-9s %7s %10s %10s %10s  %s\n", "link", "transfer", "bytes", "measured",
              "line+wait", "budget", "");
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

      const double lineS = data.size() * 10.0 / kBaud;
      struct Run {
        const char* what;
        double waits;
        std::function<bool()> go;
      };
      const Run runs[] = {
          {"send", 4 * kWaitS,
           [&] { return Tarvik_fileTransfer(state, state.session, path, 1, 0, 0, 0) == 0; }},
          {"fetch", 1 * kWaitS,
           [&] {
             return Tarvik_fileTransfer(state, state.session, name, 0, 0, kKindBus, 0) >= 0 &&
                    QFile(QDir(dir.path()).filePath(QLatin1String(kBusTemporaryName))).size() ==
                        data.size();
           }},
      };
      for (const Run& run : runs) {
        QElapsedTimer timer;
        timer.start();
        const bool ok = run.go();
        const double took = timer.elapsed() / 1000.0;
        const double budget = 1.1 * lineS + run.waits;
        const bool met = ok && took <= budget;
        allMet = allMet && met;
        std::printf("%-11s %-9s %7lld %9.2fs %9.2fs %9.2fs  %s\n", qPrintable(link.name), run.what,
                    static_cast<long long>(data.size()), took, lineS + run.waits, budget,
                    !ok ? "FAILED" : (met ? "ok" : "over budget"));
      }
    }
    // The instrument has taken the last command before the link closes.
    visa.viWrite(state.session, QByteArray("*OPC?\r"));
    QByteArray done;
    visa.viRead(state.session, &done, 10);
  }
  std::printf(
      "(a pseudo-terminal moves bytes as fast as the simulator takes them, whatever the "
      "speed set; the line time is that of a real 115200-baud line)\n");
  return allMet ? 0 : 1;
}
