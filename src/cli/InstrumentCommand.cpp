// SPDX-License-Identifier: GPL-3.0-or-later
// karvel-cli instrument ...: the instrument session without the window, on
// the same core routines (OpenDev, Tarvik_close). Each sub-command opens a
// session, does its work and closes it again.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QRegularExpression>
#include <algorithm>
#include <cstdio>

#include "cli/Console.h"
#include "cli/Instrument.h"
#include "cli/InstrumentCommand.h"
#include "cli/Output.h"
#include "cli/PortsCommand.h"
#include "core/frame/AppState.h"
#include "core/frame/StandardStreams.h"
#include "core/instrument/Catalogue.h"
#include "core/instrument/Communication.h"
#include "core/instrument/ExportCommand.h"
#include "core/instrument/FileTransfer.h"
#include "core/instrument/TransferTexts.h"
#include "io/Visa.h"

namespace karvel::cli {

namespace {

void addAddressOption(CommandLine& line) {
  line.addOption(QCommandLineOption(
      QStringLiteral("address"),
      QStringLiteral("The instrument's resource name: ASRL3, ASRL/dev/ttyUSB0::INSTR, "
                     "TCPIP0::192.168.1.20::23::SOCKET, or USB for the USB search (default: "
                     "the connection of the program's settings)."),
      QStringLiteral("RESOURCE")));
  line.addLanguageOption();
}

// Opens the session the command line asks for; false once the failure was
// told.
bool open(Instrument& instrument, const CommandLine& line) {
  instrument.prepare(line);
  return instrument.open(line.value(QStringLiteral("address")));
}

// "bus" or "results" as a file kind; -1 for anything else.
int kindOf(const QString& word) {
  if (word == u"bus") return kKindBus;
  if (word == u"results") return kKindResult;
  return -1;
}

// The line of a command stopped by Ctrl+C before any file moved.
const QString kNothingMoved = QStringLiteral("no file was fetched or sent");

// What the stores are called: the internal memory and the SD card.
QString storeName(int store) {
  return store == 0 ? QStringLiteral("internal") : QStringLiteral("sd-card");
}

int identify(const QStringList& args) {
  CommandLine line(
      QStringLiteral("instrument identify"), QString(),
      QStringLiteral("Opens a session as the program does and prints the model "
                     "(RQ4102 or RQ6102) and the instrument's identification. Exits with 1 when "
                     "no supported instrument answered: over the network, a peer whose reply "
                     "names no supported model is printed as \"unidentified instrument\" with "
                     "its reply, escaped."));
  addAddressOption(line);
  line.addFormatOption();
  if (const std::optional<int> end = line.parse(args, 0, 0)) return *end;
  Instrument instrument;
  if (!open(instrument, line)) return instrument.openFailed();
  AppState& state = instrument.state();
  if (instrument.interrupted()) return instrument.stopped(kNothingMoved);
  // A peer that named no supported model opened all the same (over the
  // network): what it answered is what there is to show.
  const bool identified = state.instrumentModel != kModelNone;
  QByteArray reply = state.identificationReply;
  if (identified) {
    // Asked once more: the reply as the instrument gives it now.
    reply.clear();
    instrument.visa().viWrite(state.session, "\r*IDN?\r");
    instrument.visa().viRead(state.session, &reply, kIdentifyReadMax);
    if (instrument.interrupted()) return instrument.stopped(kNothingMoved);
  }
  // Escaped: a control character in a reply must not act on the terminal.
  const QString identification = escapedReply(reply);
  const QString model =
      identified ? modelName(state.instrumentModel) : QStringLiteral("unidentified instrument");
  const QString resource = currentAddress(state);
  switch (line.format()) {
    case Format::Text:
      std::printf("model %s\n", qUtf8Printable(model));
      std::printf("identification %s\n", identification.toUtf8().constData());
      break;
    case Format::Csv: {
      CsvTable table({"resource", "model", "identification"});
      table.add({resource, model, identification});
      table.print();
      break;
    }
    case Format::Json:
      printJson({{"resource", resource}, {"model", model}, {"identification", identification}});
      break;
  }
  return identified ? kExitOk : kExitFailure;
}

int list(const QStringList& args) {
  CommandLine line(QStringLiteral("instrument list"), QStringLiteral("bus|results"),
                   QStringLiteral("Lists the bus definition files or the result files in the "
                                  "instrument's stores: each file's name and store (0 the "
                                  "internal memory, 1 the SD card)."));
  line.addArgument(QStringLiteral("bus|results"), QStringLiteral("The kind of file to list."));
  addAddressOption(line);
  line.addFormatOption();
  if (const std::optional<int> end = line.parse(args, 1, 1)) return *end;
  const int kind = kindOf(line.arguments()[0]);
  if (kind < 0)
    return line.usageError(
        QStringLiteral("the kind is bus or results, not \"%1\"").arg(line.arguments()[0]));
  Instrument instrument;
  if (!open(instrument, line)) return instrument.openFailed();
  AppState& state = instrument.state();
  if (instrument.interrupted()) return instrument.stopped(kNothingMoved);
  QList<CatalogueEntry> files;
  const int listing = RetourneCatalogue(state, kind, files);
  // A list cut short between the stores would look whole.
  if (instrument.interrupted()) return instrument.stopped(kNothingMoved);
  if (listing < 0)
    return instrument.linkFailed(
        QStringLiteral("the instrument did not answer the catalogue query"));
  const int model = state.instrumentModel;
  switch (line.format()) {
    case Format::Text:
      // A name's escape sequences must not reach the terminal, nor its line
      // feeds and tabs split a record; csv and json carry it exactly.
      for (const CatalogueEntry& file : files)
        std::printf("%s\t%d\n", qUtf8Printable(visibleName(file.name)), file.store);
      break;
    case Format::Csv: {
      CsvTable table({"name", "store", "store_name"});
      for (const CatalogueEntry& file : files)
        table.add({file.name, QString::number(file.store), storeName(file.store)});
      table.print();
      break;
    }
    case Format::Json: {
      QJsonArray array;
      for (const CatalogueEntry& file : files)
        array.append(QJsonObject{
            {"name", file.name}, {"store", file.store}, {"store_name", storeName(file.store)}});
      printJson({{"resource", currentAddress(state)},
                 {"model", modelName(model)},
                 {"kind", line.arguments()[0]},
                 {"files", array}});
      break;
    }
  }
  return kExitOk;
}

int fetch(const QStringList& args) {
  CommandLine line(QStringLiteral("instrument fetch"),
                   QStringLiteral("NAME --kind bus|results --to DIR"),
                   QStringLiteral("Fetches the file NAME from a store of the instrument into the "
                                  "folder DIR and prints the path written (csv, json: name, "
                                  "store, kind, file and size). --to - writes the file on the "
                                  "standard output, and nothing else."));
  line.addArgument(QStringLiteral("NAME"),
                   QStringLiteral("The file's name as instrument list prints it."));
  line.addOption(QCommandLineOption(QStringLiteral("kind"), QStringLiteral("bus or results."),
                                    QStringLiteral("KIND")));
  line.addOption(QCommandLineOption(
      QStringLiteral("store"), QStringLiteral("0 the internal memory (default), 1 the SD card."),
      QStringLiteral("STORE"), QStringLiteral("0")));
  line.addOption(
      QCommandLineOption(QStringLiteral("to"),
                         QStringLiteral("The folder to write into (\"-\": the standard output)."),
                         QStringLiteral("DIR")));
  addAddressOption(line);
  line.addFormatOption();
  if (const std::optional<int> end = line.parse(args, 1, 1)) return *end;
  const QString name = line.arguments()[0];
  const int kind = kindOf(line.value(QStringLiteral("kind")));
  const QString storeText = line.value(QStringLiteral("store"));
  if (kind < 0) return line.usageError(QStringLiteral("--kind bus or --kind results is needed"));
  if (storeText != u"0" && storeText != u"1")
    return line.usageError(QStringLiteral("--store is 0 or 1, not \"%1\"").arg(storeText));
  const QString dir = line.value(QStringLiteral("to"));
  if (dir.isEmpty()) return line.usageError(QStringLiteral("--to DIR is needed"));
  const bool toStdout = isStandardStream(dir);
  if (!toStdout && !QFileInfo(dir).isDir())
    return fail(QFileInfo::exists(dir) ? ErrorKind::CannotWrite : ErrorKind::FileNotFound,
                QStringLiteral("%1 is not a folder").arg(dir), dir);
  // The instrument's name never picks a place outside DIR.
  const QString local = safeLocalName(name);
  if (local.isEmpty())
    return fail(ErrorKind::CannotWrite,
                QStringLiteral("%1 cannot be a file name").arg(visibleName(name)));
  const QString target =
      toStdout ? dir : QDir::toNativeSeparators(QDir(dir).absoluteFilePath(local));
  Instrument instrument;
  instrument.prepare(line);
  // A name that no command can carry is refused before the instrument is asked.
  if (const QString refusal = fetchNameRefusal(name, instrument.state().language);
      !refusal.isEmpty())
    return fail(
        ErrorKind::NotOnInstrument,
        pick(text::kFetchNameRefused, instrument.state().language).arg(visibleName(name), refusal));
  if (!instrument.open(line.value(QStringLiteral("address")))) return instrument.openFailed();
  AppState& state = instrument.state();
  const QString notFetched =
      QStringLiteral("%1 was not fetched; nothing was written in %2").arg(visibleName(name), dir);
  if (instrument.interrupted()) return instrument.stopped(notFetched);
  // Listed first, as the import dialog does: the listing also leaves the
  // instrument on its internal memory, where the stores' folders start.
  QList<CatalogueEntry> files;
  const int listing = RetourneCatalogue(state, kind, files);
  if (instrument.interrupted()) return instrument.stopped(notFetched);
  if (listing < 0)
    return instrument.linkFailed(
        QStringLiteral("the instrument did not answer the catalogue query"));
  const bool listed = std::any_of(files.cbegin(), files.cend(), [&](const CatalogueEntry& e) {
    return e.store == storeText.toInt() && e.name.compare(name, Qt::CaseInsensitive) == 0;
  });
  if (!listed)
    return report({ErrorKind::NotOnInstrument,
                   QStringLiteral("%1 is not in store %2").arg(visibleName(name), storeText),
                   {},
                   currentAddress(state)});
  QString reason;
  const int fetched =
      downloadFile(state, state.session, name, static_cast<io::ViUInt16>(storeText.toInt()),
                   static_cast<io::ViInt16>(kind), target, instrument.transferWatch(), &reason);
  // A cancelled fetch has told the instrument to stop and written nothing;
  // one whose last byte came before Ctrl+C was written whole.
  if (instrument.interrupted()) {
    if (fetched < 0) return instrument.stopped(notFetched);
    if (!toStdout) std::printf("%s\n", qUtf8Printable(target));
    return instrument.stopped(QStringLiteral("%1 had already arrived whole and was written to %2")
                                  .arg(visibleName(name), target));
  }
  if (fetched == kDownloadCannotWrite)
    return fail(writeError(target, QStringLiteral("cannot write %1: %2").arg(target, reason)));
  if (fetched == kDownloadBadReply)
    return report({ErrorKind::LinkLost,
                   pick(text::kFetchBadReply, state.language).arg(visibleName(name), reason),
                   {},
                   currentAddress(state)});
  if (fetched < 0)
    return instrument.linkFailed(
        QStringLiteral("%1 could not be fetched from store %2 (not listed there, or the transfer "
                       "failed)")
            .arg(name, storeText));
  if (toStdout) return kExitOk;  // the file is the only data there
  switch (line.format()) {
    case Format::Text:
      std::printf("%s\n", qUtf8Printable(target));
      break;
    case Format::Csv: {
      CsvTable table({"name", "store", "kind", "file", "size"});
      table.add({name, storeText, line.value(QStringLiteral("kind")), target,
                 QString::number(QFileInfo(target).size())});
      table.print();
      break;
    }
    case Format::Json:
      printJson({{"name", name},
                 {"store", storeText.toInt()},
                 {"kind", line.value(QStringLiteral("kind"))},
                 {"file", target},
                 {"size", QFileInfo(target).size()}});
      break;
  }
  return kExitOk;
}

int send(const QStringList& args) {
  CommandLine line(QStringLiteral("instrument send"), QStringLiteral("FILE"),
                   QStringLiteral("Sends the bus definition file FILE to the instrument's "
                                  "internal memory, under the name the instrument gives it, and "
                                  "prints that name (csv, json: file, name and whether it "
                                  "replaced one)."));
  line.addArgument(QStringLiteral("FILE"), QStringLiteral("The bus definition file."));
  line.addOption(QCommandLineOption(QStringLiteral("replace"),
                                    QStringLiteral("Replace a file of the same name.")));
  addAddressOption(line);
  line.addFormatOption();
  if (const std::optional<int> end = line.parse(args, 1, 1)) return *end;
  const QString path = line.arguments()[0];
  // The file's name becomes the instrument's: a stream has none.
  if (isStandardStream(path))
    return line.usageError(QStringLiteral("send needs a file, not the standard input"));
  QFile file(path);
  if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly))
    return fail(readError(path, QStringLiteral("cannot read %1").arg(path)));
  file.close();
  Instrument instrument;
  if (!open(instrument, line)) return instrument.openFailed();
  AppState& state = instrument.state();
  if (instrument.interrupted()) return instrument.stopped(kNothingMoved);
  const int model = state.instrumentModel;
  if (!busFileSuitsModel(path, model))
    return fail(
        ErrorKind::FileInvalid,
        QStringLiteral("%1 is not a bus definition file for this instrument model").arg(path),
        path);
  const QString name = instrumentFileName(path, model);
  CollectingInteraction& ui = instrument.ui();
  ui.answer = line.isSet(QStringLiteral("replace")) ? 0 : 1;
  const QString refused = charactersInstrumentCannotHold(name);
  if (!refused.isEmpty())
    return fail(
        ErrorKind::FileInvalid,
        QStringLiteral("%1: the instrument cannot store these characters in a file name: %2")
            .arg(name, refused),
        path);
  const qsizetype messagesBefore = ui.messages.size();
  const SendOutcome outcome = sendFile(state, state.session, path, instrument.transferWatch());
  if (instrument.interrupted()) {
    switch (outcome) {
      case SendOutcome::Cancelled:
        // The transfer says so when the instrument kept part of the file.
        if (ui.messages.size() > messagesBefore)
          return instrument.stopped(
              QStringLiteral("%1 was not sent whole, and the partial file could not be removed "
                             "from the instrument: delete %2 there")
                  .arg(path, name));
        return instrument.stopped(
            QStringLiteral("%1 was not sent; the instrument keeps nothing of it as %2")
                .arg(path, name));
      case SendOutcome::Sent:
        std::printf("%s\n", qUtf8Printable(name));
        return instrument.stopped(
            QStringLiteral("%1 had already gone out whole and is kept on the instrument as %2")
                .arg(path, name));
      case SendOutcome::NotConfirmed:
        return instrument.stopped(
            QStringLiteral("%1 went out whole, but the instrument does not list %2")
                .arg(path, name));
      default:
        return instrument.stopped(kNothingMoved);
    }
  }
  switch (outcome) {
    case SendOutcome::Sent: {
      // The question "replace?" was asked only when the name was taken.
      const bool replaced = ui.asked > 0;
      switch (line.format()) {
        case Format::Text:
          std::printf("%s\n", qUtf8Printable(name));
          break;
        case Format::Csv: {
          CsvTable table({"file", "name", "replaced"});
          table.add({path, name, replaced ? QStringLiteral("true") : QStringLiteral("false")});
          table.print();
          break;
        }
        case Format::Json:
          printJson({{"file", path}, {"name", name}, {"replaced", replaced}});
          break;
      }
      return kExitOk;
    }
    case SendOutcome::Declined:
      return report(
          {ErrorKind::FileExists,
           QStringLiteral("%1 already exists on the instrument; --replace replaces it").arg(name),
           name, currentAddress(state)});
    case SendOutcome::Refused:
    case SendOutcome::NotEncodable:
      return fail(ErrorKind::FileInvalid,
                  QStringLiteral("%1: the name must have at most %2 characters before its "
                                 "extension and %3 in all")
                      .arg(name)
                      .arg(uploadNameLimit(model))
                      .arg(uploadNameLimit(model) + 4),
                  path);
    case SendOutcome::NotConfirmed:
      // The store does not list what it took: the instrument's memory is full.
      return report({ErrorKind::MemoryFull,
                     ui.messages.isEmpty()
                         ? QStringLiteral("%1 was not kept by the instrument").arg(name)
                         : ui.messages.join(u'\n'),
                     path, currentAddress(state)});
    case SendOutcome::Cancelled:
      break;
  }
  return instrument.linkFailed(ui.messages.isEmpty() ? QStringLiteral("%1 was not sent").arg(name)
                                                     : ui.messages.join(u'\n'));
}

}  // namespace

int runInstrument(const QStringList& args) {
  if (const std::optional<int> end = checkGroup(
          QStringLiteral("instrument"),
          {QStringLiteral("identify"), QStringLiteral("list"), QStringLiteral("fetch"),
           QStringLiteral("send"), QStringLiteral("ports")},
          QStringLiteral(
              "The instrument identified, its stores listed, files fetched and sent, and the "
              "serial ports of this machine.\n\n"
              "  instrument identify [--address RESOURCE]\n"
              "  instrument list bus|results [--address RESOURCE]\n"
              "  instrument fetch NAME --kind bus|results [--store 0|1] --to DIR [--address "
              "RESOURCE]\n"
              "  instrument send FILE [--replace] [--address RESOURCE]\n"
              "  instrument ports [--probe]"),
          args))
    return *end;
  const QString verb = args.first();
  const QStringList rest = args.mid(1);
  if (verb == u"identify") return identify(rest);
  if (verb == u"list") return list(rest);
  if (verb == u"fetch") return fetch(rest);
  if (verb == u"send") return send(rest);
  return runPorts(rest);
}

}  // namespace karvel::cli
