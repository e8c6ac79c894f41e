// karvel-cli instrument ...: the instrument session without the window, on
// the same core routines (OpenDev, Tarvik_close). Each sub-command opens a
// session, does its work and closes it again.
#include <QCoreApplication>
#include <QDir>
#include <cstdio>
#include <functional>
#include <map>

#include "cli/Commands.h"
#include "core/AppState.h"
#include "core/Clock.h"
#include "core/Communication.h"
#include "core/Interaction.h"
#include "core/Settings.h"
#include "io/Visa.h"

namespace karvel::cli {

namespace {

// Messages are kept for the failure report; nobody answers questions.
class ConsoleInteraction : public Interaction {
 public:
  QStringList messages;
  void message(const QString&, const QString& text) override { messages.append(text.trimmed()); }
  int ask(const QString&, const QString&, const QStringList&, int, int escapeButton) override {
    return escapeButton;
  }
  FileChoice chooseFile(const FileRequest&) override { return {}; }
  QString chooseFolder(const QString&, const QString&) override { return {}; }
  bool choosePrinter(PrintChoice&) override { return false; }
  int chooseLanguage() override { return English; }
  void setBusy(bool) override {}
  bool openExternally(const QUrl&) override { return false; }
};

int fail(const QString& text) {
  std::fprintf(stderr, "karvel-cli: %s\n", qUtf8Printable(text));
  return 1;
}

int usage() {
  std::fputs("usage: karvel-cli instrument identify [--address RESOURCE]\n", stderr);
  return 2;
}

// Options shared by every instrument sub-command.
struct Options {
  QString address;       // --address: a resource name, else the settings file's connection
  QStringList positional;
  QMap<QString, QString> named;  // other --name value pairs, for the sub-command
};

bool parseOptions(const QStringList& args, Options& options, QString& error) {
  for (qsizetype i = 0; i < args.size(); ++i) {
    const QString& a = args[i];
    if (a.startsWith(QLatin1String("--"))) {
      if (i + 1 >= args.size()) {
        error = QStringLiteral("%1 needs a value").arg(a);
        return false;
      }
      if (a == QLatin1String("--address")) options.address = args[++i];
      else options.named.insert(a.mid(2), args[++i]);
    } else {
      options.positional.append(a);
    }
  }
  return true;
}

// One instrument session for the time of a sub-command.
class Instrument {
 public:
  Instrument() {
    state_.ui = &ui_;
    state_.clock = &clock_;
    state_.visa = &visa_;
    state_.programDir = QCoreApplication::applicationDirPath();
    state_.settingsPath = QDir(state_.programDir).filePath(QStringLiteral("karvel.ini"));
  }
  ~Instrument() {
    if (state_.sessionOpen) Tarvik_close(state_, state_.session);
  }

  AppState& state() { return state_; }
  io::Visa& visa() { return visa_; }

  // Opens the session at `address`, or at the settings file's connection.
  // Returns the failure text, empty on success.
  QString open(const QString& address) {
    ValeurParDefaut(state_);
    WindowGeometry unused;
    readSettingsFile(state_.settingsPath, state_, unused);
    if (!address.isEmpty()) {
      if (address.startsWith(QLatin1String("TCPIP"), Qt::CaseInsensitive)) {
        state_.connectionType = Ethernet;
        state_.ethernetAddress = address;
      } else if (address.compare(QLatin1String("USB"), Qt::CaseInsensitive) == 0) {
        state_.connectionType = USB;
      } else {
        state_.connectionType = RS232;
        state_.serialAddress = address;
      }
    }
    if (OpenDev(state_) == 0) return {};
    return ui_.messages.isEmpty() ? QStringLiteral("the instrument could not be opened")
                                  : ui_.messages.join(QLatin1Char(' '));
  }

 private:
  ConsoleInteraction ui_;
  SystemClock clock_;
  io::Visa visa_;
  AppState state_;
};

int identify(const Options& options) {
  if (!options.positional.isEmpty() || !options.named.isEmpty()) return usage();
  Instrument instrument;
  const QString error = instrument.open(options.address);
  if (!error.isEmpty()) return fail(error);
  AppState& state = instrument.state();
  // The opening does not keep the reply; ask once more for it.
  QByteArray reply;
  instrument.visa().viWrite(state.session, "\r*IDN?\r");
  instrument.visa().viRead(state.session, &reply, kIdentifyReadMax);
  while (!reply.isEmpty() && (reply.endsWith('\r') || reply.endsWith('\n'))) reply.chop(1);
  std::printf("model %d\n", state.instrumentModel);
  std::printf("identification %s\n", QString::fromLatin1(reply).toUtf8().constData());
  return 0;
}

}  // namespace

int runInstrument(const QStringList& args) {
  if (args.isEmpty()) return usage();
  // Sub-commands by name; each takes the parsed options.
  const std::map<QString, std::function<int(const Options&)>> commands = {
      {QStringLiteral("identify"), identify},
  };
  const auto it = commands.find(args.first());
  if (it == commands.end()) {
    if (args.first() == "list" || args.first() == "fetch" || args.first() == "send") {
      std::fputs("karvel-cli: this command is not available in this build\n", stderr);
      return 2;
    }
    return usage();
  }
  Options options;
  QString error;
  if (!parseOptions(args.mid(1), options, error)) return fail(error);
  return it->second(options);
}

}  // namespace karvel::cli
