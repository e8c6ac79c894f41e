// karvel-cli instrument ...: the instrument session without the window, on
// the same core routines (OpenDev, Tarvik_close). Each sub-command opens a
// session, does its work and closes it again.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>

#include "cli/Console.h"
#include "cli/InstrumentCommand.h"
#include "core/frame/AppState.h"
#include "core/frame/Clock.h"
#include "core/frame/Installation.h"
#include "core/frame/Interaction.h"
#include "core/frame/Settings.h"
#include "core/instrument/Catalogue.h"
#include "core/instrument/Communication.h"
#include "core/instrument/ExportCommand.h"
#include "core/instrument/FileTransfer.h"
#include "io/Visa.h"

namespace karvel::cli {

namespace {

// Messages are kept for the failure report.
class CollectingInteraction : public ConsoleInteraction {
 public:
  QStringList messages;
  void message(const QString&, const QString& text) override { messages.append(text.trimmed()); }
};

int usage() {
  std::fputs(
      "usage: karvel-cli instrument identify [--address RESOURCE]\n"
      "       karvel-cli instrument list bus|results [--address RESOURCE]\n"
      "       karvel-cli instrument fetch NAME --kind bus|results [--store 0|1] --to DIR\n"
      "                                      [--address RESOURCE]\n"
      "       karvel-cli instrument send FILE [--replace] [--address RESOURCE]\n",
      stderr);
  return 2;
}

// Options shared by every instrument sub-command.
struct Options {
  QString address;  // --address: a resource name, else the settings file's connection
  QStringList positional;
  QMap<QString, QString> named;  // other --name value pairs, for the sub-command
};

bool parseOptions(const QStringList& args, Options& options, QString& error) {
  for (qsizetype i = 0; i < args.size(); ++i) {
    const QString& a = args[i];
    if (a == QLatin1String("--replace")) {  // the one option without a value
      options.named.insert(a.mid(2), QStringLiteral("1"));
    } else if (a.startsWith(QLatin1String("--"))) {
      if (i + 1 >= args.size()) {
        error = QStringLiteral("%1 needs a value").arg(a);
        return false;
      }
      if (a == QLatin1String("--address"))
        options.address = args[++i];
      else
        options.named.insert(a.mid(2), args[++i]);
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
    // The same settings file as the program's, portable or installed.
    const Installation where = locateInstallation(QCoreApplication::applicationDirPath());
    state_.programDir = where.resourceDir;
    state_.settingsPath = where.settingsPath;
    state_.temporaryDir = where.temporaryDir;
  }
  ~Instrument() {
    if (state_.sessionOpen) Tarvik_close(state_, state_.session);
  }

  AppState& state() { return state_; }
  io::Visa& visa() { return visa_; }
  CollectingInteraction& ui() { return ui_; }

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
  CollectingInteraction ui_;
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

// "bus" or "results" as a file kind; -1 for anything else.
int kindOf(const QString& word) {
  if (word == QLatin1String("bus")) return kKindBus;
  if (word == QLatin1String("results")) return kKindResult;
  return -1;
}

int list(const Options& options) {
  if (options.positional.size() != 1 || !options.named.isEmpty()) return usage();
  const int kind = kindOf(options.positional[0]);
  if (kind < 0) return usage();
  Instrument instrument;
  const QString error = instrument.open(options.address);
  if (!error.isEmpty()) return fail(error);
  QList<CatalogueEntry> files;
  if (RetourneCatalogue(instrument.state(), kind, files) < 0)
    return fail(QStringLiteral("the instrument did not answer the catalogue query"));
  for (const CatalogueEntry& file : files)
    std::printf("%s\t%d\n", qUtf8Printable(file.name), file.store);
  return 0;
}

int fetch(const Options& options) {
  if (options.positional.size() != 1) return usage();
  for (const QString& key : options.named.keys())
    if (key != QLatin1String("kind") && key != QLatin1String("store") && key != QLatin1String("to"))
      return usage();
  const QString name = options.positional[0];
  const int kind = kindOf(options.named.value(QStringLiteral("kind")));
  const QString storeText = options.named.value(QStringLiteral("store"), QStringLiteral("0"));
  if (kind < 0 || (storeText != QLatin1String("0") && storeText != QLatin1String("1")))
    return usage();
  const QString dir = options.named.value(QStringLiteral("to"));
  if (dir.isEmpty()) return usage();
  if (!QFileInfo(dir).isDir()) return fail(QStringLiteral("%1 is not a folder").arg(dir));
  // The instrument's name never picks a place outside DIR.
  const QString local = safeLocalName(name);
  if (local.isEmpty()) return fail(QStringLiteral("%1 cannot be a file name").arg(name));
  const QString target = QDir::toNativeSeparators(QDir(dir).absoluteFilePath(local));
  Instrument instrument;
  const QString error = instrument.open(options.address);
  if (!error.isEmpty()) return fail(error);
  AppState& state = instrument.state();
  // Listed first, as the import dialog does: the listing also leaves the
  // instrument on its internal memory, where the stores' folders start.
  QList<CatalogueEntry> files;
  if (RetourneCatalogue(state, kind, files) < 0)
    return fail(QStringLiteral("the instrument did not answer the catalogue query"));
  const bool listed = std::any_of(files.cbegin(), files.cend(), [&](const CatalogueEntry& e) {
    return e.store == storeText.toInt() && e.name.compare(name, Qt::CaseInsensitive) == 0;
  });
  if (!listed) return fail(QStringLiteral("%1 is not in store %2").arg(name, storeText));
  QString fileError;
  const int fetched =
      downloadFile(state, state.session, name, static_cast<io::ViUInt16>(storeText.toInt()),
                   static_cast<io::ViInt16>(kind), target, {}, &fileError);
  if (fetched == kDownloadCannotWrite)
    return fail(QStringLiteral("cannot write %1: %2").arg(target, fileError));
  if (fetched < 0)
    return fail(QStringLiteral("%1 could not be fetched from store %2 (not listed there, or the "
                               "transfer failed)")
                    .arg(name, storeText));
  std::printf("%s\n", qUtf8Printable(target));
  return 0;
}

int send(const Options& options) {
  if (options.positional.size() != 1) return usage();
  for (const QString& key : options.named.keys())
    if (key != QLatin1String("replace")) return usage();
  const QString path = options.positional[0];
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return fail(QStringLiteral("cannot read %1").arg(path));
  file.close();
  Instrument instrument;
  const QString error = instrument.open(options.address);
  if (!error.isEmpty()) return fail(error);
  AppState& state = instrument.state();
  const int model = state.instrumentModel;
  if (!busFileSuitsModel(path, model))
    return fail(
        QStringLiteral("%1 is not a bus definition file for this instrument model").arg(path));
  const QString name = instrumentFileName(path, model);
  CollectingInteraction& ui = instrument.ui();
  ui.answer = options.named.contains(QStringLiteral("replace")) ? 0 : 1;
  const QString refused = charactersInstrumentCannotHold(name);
  if (!refused.isEmpty())
    return fail(
        QStringLiteral("%1: the instrument cannot store these characters in a file name: %2")
            .arg(name, refused));
  if (Tarvik_fileTransfer(state, state.session, path, 1, 0, 0, 0) < 0) {
    return fail(QStringLiteral("%1: the name must have at most %2 characters before its "
                               "extension and %3 in all")
                    .arg(name)
                    .arg(uploadNameLimit(model))
                    .arg(uploadNameLimit(model) + 4));
  }
  if (ui.asked > 0 && ui.answer != 0)
    return fail(
        QStringLiteral("%1 already exists on the instrument; --replace replaces it").arg(name));
  if (!ui.messages.isEmpty()) return fail(ui.messages.join(QLatin1Char(' ')));
  std::printf("%s\n", qUtf8Printable(name));
  return 0;
}

}  // namespace

int runInstrument(const QStringList& args) {
  if (args.isEmpty()) return usage();
  // Sub-commands by name; each takes the parsed options.
  const std::map<QString, std::function<int(const Options&)>> commands = {
      {QStringLiteral("identify"), identify},
      {QStringLiteral("list"), list},
      {QStringLiteral("fetch"), fetch},
      {QStringLiteral("send"), send},
  };
  const auto it = commands.find(args.first());
  if (it == commands.end()) return usage();
  Options options;
  QString error;
  if (!parseOptions(args.mid(1), options, error)) return fail(error);
  return it->second(options);
}

}  // namespace karvel::cli
