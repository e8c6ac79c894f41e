// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/RegisterCommand.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <cstdio>

#include "cli/Console.h"
#include "cli/Output.h"
#include "cli/ReportCommand.h"
#include "cli/ResultCompareCommand.h"
#include "core/frame/AppState.h"
#include "core/frame/Installation.h"
#include "core/frame/SafeWrite.h"
#include "core/frame/Settings.h"
#include "core/register/Register.h"
#include "core/register/RegisterLocation.h"
#include "core/register/RegisterSharing.h"
#include "core/register/RegisterTexts.h"
#include "core/results/ResultReader.h"
#include "core/workbook/SheetExport.h"

namespace karvel::cli {

namespace {

// The register and technician the windows use, from the settings file.
struct RegisterSettings {
  QString path;
  QString technician;
  bool isDefault = true;
  QString localPath;  // the register on this computer (offline work)
};

RegisterSettings settingsHere() {
  const Installation installation = locateInstallation(QCoreApplication::applicationDirPath());
  AppState state;
  WindowGeometry unused;
  // The named lines are read even from a file that lacks other values.
  readSettingsFile(installation.settingsPath, state, unused);
  RegisterSettings s;
  s.technician = state.technician;
  s.isDefault = state.registerPath.isEmpty();
  s.localPath = Register::defaultPath(installation);
  s.path = s.isDefault ? s.localPath : state.registerPath;
  return s;
}

void addRegisterOption(CommandLine& line) {
  line.addOption(QCommandLineOption(
      QStringLiteral("register"),
      QStringLiteral("The register file, or a PostgreSQL server's "
                     "postgresql://user@host:port/database (password from ~/.pgpass or "
                     "PGPASSWORD; default: the one the windows use, as the settings "
                     "name it, else register.sqlite beside a portable program or "
                     "~/.local/share/karvel/register.sqlite)."),
      QStringLiteral("PATH")));
}

// A server register that would not open: not reached (and no local
// register to work on), else it answered and refused this account, its
// database or its driver.
CliError serverOpenError(const Register& reg, const QString& message) {
  return CliError(reg.unreachableAtOpen() ? ErrorKind::LinkUnreachable : ErrorKind::Permission,
                  message, {}, reg.displayName());
}

// The register the command opened, which its failures name.
QString openedPath;

// A register that would not open, by its cause: missing, a folder, not
// readable or writable by this account, else a file that is no register
// (another program's, damaged, newer).
CliError registerOpenError(const QString& path, const QString& message) {
  CliError e = readError(path, message);
  if (!QFileInfo::exists(path)) return writeError(path, message);
  if (e.kind != ErrorKind::FileUnreadable || QFileInfo(path).isDir()) return e;
  const CliError write = writeError(path, message);
  e.kind = write.kind == ErrorKind::Permission ? ErrorKind::Permission : ErrorKind::FileInvalid;
  return e;
}

// What an operation on the open register could not do (a result or a
// segment it does not hold, a damaged table): the register is not what
// the command needs.
int failedInRegister(const QString& message) {
  if (isServerLocation(openedPath))
    return fail(CliError(ErrorKind::FileInvalid, message, {}, openedPath.trimmed()));
  return fail(ErrorKind::FileInvalid, message, openedPath);
}

// Opens the register of --register, else the settings' one. Only `add`
// makes a missing one (and a default register's folder): a mistyped path
// given to a command that reads is said, not made into an empty register.
bool openRegister(const CommandLine& line, Register& reg, bool mayCreate = false) {
  const RegisterSettings settings = settingsHere();
  QString path = line.value(QStringLiteral("register"));
  if (path.isEmpty()) {
    path = settings.path;
    if (settings.isDefault && mayCreate) QDir().mkpath(QFileInfo(path).absolutePath());
  }
  openedPath = path;
  const int language = line.language(English);
  if (isServerLocation(path)) {
    // A server that cannot be reached is said once, on stderr; the work
    // goes on in the local register, and what waited is sent once it answers.
    RegisterOpening opening;
    QString error;
    if (!openSharedRegister(reg, path.trimmed(), settings.localPath, language, mayCreate, &opening,
                            &error)) {
      report(serverOpenError(reg, error));
      return false;
    }
    if (opening.offline) note(opening.notice);
    if (opening.shared.sent > 0)
      note(
          pick(registertext::kSharedNow, language).arg(opening.shared.sent).arg(reg.displayName()));
    for (const QString& problem : opening.shared.problems) note(problem);
    reg.setTechnician(settings.technician);
    return true;
  }
  if (!mayCreate && !QFileInfo::exists(path)) {
    fail(ErrorKind::FileNotFound,
         pick(registertext::kNoRegister, language).arg(QDir::toNativeSeparators(path)), path);
    return false;
  }
  QString error;
  if (!reg.open(QDir::fromNativeSeparators(path), language, &error)) {
    report(registerOpenError(path, error));
    return false;
  }
  reg.setTechnician(settings.technician);
  return true;
}

std::optional<qint64> idOf(const QString& text) {
  bool ok = false;
  const qint64 id = text.toLongLong(&ok);
  if (!ok || id <= 0) return std::nullopt;
  return id;
}

QString dateText(const QDateTime& date) { return date.toString(Qt::ISODate); }

QString yesNo(bool value) { return value ? QStringLiteral("true") : QStringLiteral("false"); }

void printJsonArray(const QJsonArray& array) {
  std::fputs(QJsonDocument(array).toJson(QJsonDocument::Indented).constData(), stdout);
}

QJsonValue numberJson(const std::optional<double>& v) { return v ? QJsonValue(*v) : QJsonValue(); }
QString numberText(const std::optional<double>& v) {
  return v ? QString::number(*v, 'g', QLocale::FloatingPointShortest) : QString();
}

QJsonObject entryJson(const RegisterEntry& e) {
  return {{"id", e.id},
          {"site", e.site},
          {"segment", e.segment},
          {"file", e.fileName},
          {"date", dateText(e.date)},
          {"date_source", dateSourceName(e.dateSource)},
          {"bus", e.bus},
          {"verdict", e.verdict},
          {"verdict_status", statusName(e.verdictStatus)},
          {"baseline", e.baseline},
          {"technician", e.technician},
          {"note", e.note},
          {"filed", dateText(e.filed)},
          {"sha256", e.sha256},
          {"size", e.size},
          {"instrument_model", e.instrument.model},
          {"instrument_serial", e.instrument.serial},
          {"instrument_firmware", e.instrument.firmware},
          {"complete", e.problemMarker.isEmpty()},
          {"origin", originName(originOf(e))},
          {"source_file", QDir::toNativeSeparators(e.sourcePath)}};
}

const QStringList kEntryColumns = {"id",
                                   "site",
                                   "segment",
                                   "file",
                                   "date",
                                   "date_source",
                                   "bus",
                                   "verdict",
                                   "verdict_status",
                                   "baseline",
                                   "technician",
                                   "note",
                                   "filed",
                                   "sha256",
                                   "size",
                                   "instrument_model",
                                   "instrument_serial",
                                   "instrument_firmware",
                                   "complete",
                                   "origin",
                                   "source_file"};

QStringList entryFields(const RegisterEntry& e) {
  QStringList out;
  const QJsonObject o = entryJson(e);
  for (const QString& column : kEntryColumns) {
    const QJsonValue v = o.value(column);
    out << (v.isBool()     ? yesNo(v.toBool())
            : v.isDouble() ? QString::number(v.toInteger())
                           : v.toString());
  }
  return out;
}

// One tab-separated line: number, site, segment, date and its source,
// status, baseline mark, file, technician.
QString entryLine(const RegisterEntry& e) {
  return QStringList{QString::number(e.id),
                     e.site,
                     e.segment,
                     dateText(e.date),
                     dateSourceName(e.dateSource),
                     statusName(e.verdictStatus),
                     e.baseline ? QStringLiteral("baseline") : QStringLiteral("-"),
                     e.fileName,
                     e.technician.isEmpty() ? QStringLiteral("-") : e.technician}
      .join(u'\t');
}

int addCommand(const QStringList& args) {
  CommandLine line(
      QStringLiteral("register add"), QStringLiteral("FILE.HTM..."),
      QStringLiteral(
          "Files result files in the register under a site and a segment (both made when new): "
          "each kept byte for byte with its measurements, its date (written in the result, else "
          "the file's time, marked as such), the technician and a note. A file filed before "
          "(the same bytes) is not filed twice: the command says where it is. A result of "
          "another bus than the segment's is refused. Prints, per file, its number in the "
          "register."));
  line.addArgument(QStringLiteral("FILE.HTM..."), QStringLiteral("The result files."));
  line.addOption(
      QCommandLineOption(QStringLiteral("site"), QStringLiteral("The site."), QStringLiteral("S")));
  line.addOption(QCommandLineOption(QStringLiteral("segment"),
                                    QStringLiteral("The bus segment of the site."),
                                    QStringLiteral("G")));
  line.addOption(QCommandLineOption(QStringLiteral("customer"),
                                    QStringLiteral("The customer of a new site."),
                                    QStringLiteral("C")));
  line.addOption(
      QCommandLineOption(QStringLiteral("technician"),
                         QStringLiteral("Who measured (default: the name kept in the settings)."),
                         QStringLiteral("T")));
  line.addOption(QCommandLineOption(QStringLiteral("note"),
                                    QStringLiteral("A note on the results."), QStringLiteral("N")));
  addRegisterOption(line);
  line.addFormatOption();
  line.addLanguageOption();
  if (const std::optional<int> end = line.parse(args, 1, 100000)) return *end;
  if (line.value(QStringLiteral("site")).trimmed().isEmpty() ||
      line.value(QStringLiteral("segment")).trimmed().isEmpty())
    return line.usageError(QStringLiteral("add needs --site and --segment"));
  Register reg;
  if (!openRegister(line, reg, true)) return kExitFailure;
  if (const QString denied = reg.cannotFileReason(); !denied.isEmpty())
    return fail(CliError(ErrorKind::Permission, denied, {}, reg.displayName()));
  RegisterAddRequest request;
  request.site = line.value(QStringLiteral("site"));
  request.segment = line.value(QStringLiteral("segment"));
  request.customer = line.value(QStringLiteral("customer"));
  request.note = line.value(QStringLiteral("note"));
  request.technician = line.isSet(QStringLiteral("technician"))
                           ? line.value(QStringLiteral("technician"))
                           : settingsHere().technician;
  const int language = line.language(English);
  int code = kExitOk;
  QJsonArray json;
  CsvTable csv({"file", "id", "already_filed", "site", "segment"});
  for (const QString& file : line.arguments()) {
    QString error;
    // Kept as where the result came from, shown when it is opened again.
    request.sourcePath = QFileInfo(file).absoluteFilePath();
    const std::optional<RegisterAddOutcome> added = reg.addFile(file, request, &error);
    if (!added) {
      const CliError unread = readError(file, error);
      fail(unread.kind == ErrorKind::FileUnreadable && !QFileInfo(file).isDir()
               ? CliError{ErrorKind::FileInvalid, error, file, {}}
               : unread);
      code = kExitFailure;
      continue;
    }
    if (added->alreadyFiled)
      note(pick(registertext::kAlreadyFiled, language)
               .arg(file)
               .arg(added->id)
               .arg(added->site, added->segment));
    switch (line.format()) {
      case Format::Text:
        printLine(QStringLiteral("%1\t%2\t%3\t%4 / %5")
                      .arg(added->id)
                      .arg(added->alreadyFiled ? QStringLiteral("already filed")
                                               : QStringLiteral("added"),
                           file, added->site, added->segment));
        break;
      case Format::Csv:
        csv.add({file, QString::number(added->id), yesNo(added->alreadyFiled), added->site,
                 added->segment});
        break;
      case Format::Json:
        json.append(QJsonObject{{"file", file},
                                {"id", added->id},
                                {"already_filed", added->alreadyFiled},
                                {"site", added->site},
                                {"segment", added->segment}});
        break;
    }
    std::fflush(stdout);
  }
  if (line.format() == Format::Csv) csv.print();
  if (line.format() == Format::Json) printJsonArray(json);
  return code;
}

int listCommand(const QStringList& args) {
  CommandLine line(
      QStringLiteral("register list"), QString(),
      QStringLiteral(
          "Lists the filed results by site, segment and date. As text, one tab-separated line "
          "per result: number, site, segment, date, where the date came from (file: written in "
          "the result; modified: the file's time), verdict status (pass, warning, fail), "
          "\"baseline\" or \"-\", file and technician. In json an array of objects."));
  line.addOption(QCommandLineOption(QStringLiteral("site"), QStringLiteral("Only this site."),
                                    QStringLiteral("S")));
  line.addOption(QCommandLineOption(QStringLiteral("segment"),
                                    QStringLiteral("Only segments of this name."),
                                    QStringLiteral("G")));
  line.addOption(QCommandLineOption(QStringLiteral("since"),
                                    QStringLiteral("Only results dated on or after DATE "
                                                   "(2026-11-23 or 2026-11-23T14:00:00)."),
                                    QStringLiteral("DATE")));
  line.addOption(QCommandLineOption(
      QStringLiteral("search"),
      QStringLiteral("Only results whose site, customer, segment, file, note, technician, "
                     "instrument serial number or verdict holds TEXT (any case)."),
      QStringLiteral("TEXT")));
  addRegisterOption(line);
  line.addFormatOption();
  line.addLanguageOption();
  if (const std::optional<int> end = line.parse(args, 0, 0)) return *end;
  RegisterFilter filter;
  filter.site = line.value(QStringLiteral("site"));
  filter.segment = line.value(QStringLiteral("segment"));
  filter.text = line.value(QStringLiteral("search"));
  if (line.isSet(QStringLiteral("since"))) {
    const QString since = line.value(QStringLiteral("since"));
    filter.since = parseIsoDateTime(since);
    if (!filter.since.isValid())
      return line.usageError(
          QStringLiteral("--since takes a date as 2026-11-23 or 2026-11-23T14:00:00, not \"%1\"")
              .arg(since));
  }
  Register reg;
  if (!openRegister(line, reg)) return kExitFailure;
  QString error;
  const auto entries = reg.list(filter, &error);
  if (!entries) return failedInRegister(error);
  switch (line.format()) {
    case Format::Text:
      for (const RegisterEntry& e : *entries) printLine(entryLine(e));
      break;
    case Format::Csv: {
      CsvTable csv(kEntryColumns);
      for (const RegisterEntry& e : *entries) csv.add(entryFields(e));
      csv.print();
      break;
    }
    case Format::Json: {
      QJsonArray array;
      for (const RegisterEntry& e : *entries) array.append(entryJson(e));
      printJsonArray(array);
      break;
    }
  }
  std::fflush(stdout);
  return kExitOk;
}

int showCommand(const QStringList& args) {
  CommandLine line(QStringLiteral("register show"), QStringLiteral("ID"),
                   QStringLiteral("Prints one filed result: where and when it was filed, by "
                                  "whom, where it came from (origin: instrument, with its model "
                                  "and serial number, or file, with the file it was filed from "
                                  "as source_file; unknown for results filed before KARVEL kept "
                                  "it), and its measurements (numbers in base units)."));
  line.addArgument(QStringLiteral("ID"), QStringLiteral("The result's number in the register."));
  addRegisterOption(line);
  line.addFormatOption();
  line.addLanguageOption();
  if (const std::optional<int> end = line.parse(args, 1, 1)) return *end;
  const std::optional<qint64> id = idOf(line.arguments()[0]);
  if (!id) return line.usageError(QStringLiteral("ID is a result's number"));
  Register reg;
  if (!openRegister(line, reg)) return kExitFailure;
  QString error;
  const auto entry = reg.entry(*id, &error);
  if (!entry) return failedInRegister(error);
  const auto rows = reg.measurements(*id, &error);
  if (!rows) return failedInRegister(error);
  switch (line.format()) {
    case Format::Text: {
      const QJsonObject o = entryJson(*entry);
      const QStringList fields = entryFields(*entry);
      for (qsizetype i = 0; i < kEntryColumns.size(); ++i)
        printLine(kEntryColumns[i] + u'\t' + fields[i]);
      for (const RegisterMeasurement& m : *rows)
        printLine(QStringList{QStringLiteral("row"), QString::number(m.position), m.name,
                              numberText(m.value), numberText(m.minimum), numberText(m.maximum),
                              m.unit, statusName(m.status)}
                      .join(u'\t'));
      break;
    }
    case Format::Csv: {
      CsvTable csv(kEntryColumns +
                   QStringList{"row", "name", "value", "minimum", "maximum", "unit", "status"});
      for (const RegisterMeasurement& m : *rows)
        csv.add(entryFields(*entry) + QStringList{QString::number(m.position), m.name,
                                                  numberText(m.value), numberText(m.minimum),
                                                  numberText(m.maximum), m.unit,
                                                  statusName(m.status)});
      csv.print();
      break;
    }
    case Format::Json: {
      QJsonObject o = entryJson(*entry);
      QJsonArray measurements;
      for (const RegisterMeasurement& m : *rows)
        measurements.append(QJsonObject{{"row", m.position},
                                        {"name", m.name},
                                        {"value", numberJson(m.value)},
                                        {"minimum", numberJson(m.minimum)},
                                        {"maximum", numberJson(m.maximum)},
                                        {"unit", m.unit},
                                        {"status", statusName(m.status)}});
      o.insert("measurements", measurements);
      printJson(o);
      break;
    }
  }
  std::fflush(stdout);
  return kExitOk;
}

int baselineCommand(const QStringList& args) {
  CommandLine line(QStringLiteral("register baseline"), QStringLiteral("ID"),
                   QStringLiteral("Makes a filed result its segment's baseline, in place of the "
                                  "one before (a segment has one at most)."));
  line.addArgument(QStringLiteral("ID"), QStringLiteral("The result's number in the register."));
  addRegisterOption(line);
  line.addLanguageOption();
  if (const std::optional<int> end = line.parse(args, 1, 1)) return *end;
  const std::optional<qint64> id = idOf(line.arguments()[0]);
  if (!id) return line.usageError(QStringLiteral("ID is a result's number"));
  Register reg;
  if (!openRegister(line, reg)) return kExitFailure;
  QString error;
  if (!reg.setBaseline(*id, &error)) return failedInRegister(error);
  const auto entry = reg.entry(*id, &error);
  if (!entry) return failedInRegister(error);
  printLine(QStringLiteral("%1\tbaseline of\t%2 / %3").arg(*id).arg(entry->site, entry->segment));
  return kExitOk;
}

int compareCommand(const QStringList& args) {
  CommandLine line(
      QStringLiteral("register compare"), QString(),
      QStringLiteral(
          "Compares the results of one segment as \"result compare\" does (same output): every "
          "result filed there, or with --since-baseline the baseline and the results dated "
          "after it, in date order."));
  line.addOption(
      QCommandLineOption(QStringLiteral("site"), QStringLiteral("The site."), QStringLiteral("S")));
  line.addOption(QCommandLineOption(QStringLiteral("segment"), QStringLiteral("The segment."),
                                    QStringLiteral("G")));
  line.addOption(QCommandLineOption(QStringLiteral("since-baseline"),
                                    QStringLiteral("Start at the segment's baseline.")));
  line.addOption(
      QCommandLineOption(QStringLiteral("shrink"),
                         QStringLiteral("The share of the margin, in percent, whose loss "
                                        "is flagged (default 25)."),
                         QStringLiteral("PERCENT"), QStringLiteral("25")));
  line.addOption(
      QCommandLineOption(QStringLiteral("workbook"),
                         QStringLiteral("Also writes the comparison into the workbook OUT.xlsx."),
                         QStringLiteral("OUT.xlsx")));
  addRegisterOption(line);
  line.addFormatOption();
  line.addLanguageOption();
  if (const std::optional<int> end = line.parse(args, 0, 0)) return *end;
  const QString site = line.value(QStringLiteral("site"));
  const QString segment = line.value(QStringLiteral("segment"));
  if (site.isEmpty() || segment.isEmpty())
    return line.usageError(QStringLiteral("compare needs --site and --segment"));
  bool ok = false;
  const double shrink = line.value(QStringLiteral("shrink")).toDouble(&ok);
  if (!ok || shrink < 0 || shrink > 100)
    return line.usageError(QStringLiteral("--shrink takes a percentage from 0 to 100"));
  const QString workbook = line.value(QStringLiteral("workbook"));
  if (line.isSet(QStringLiteral("workbook")) &&
      !workbook.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive))
    return fail(ErrorKind::CannotWrite,
                QStringLiteral("%1: the workbook's name must end in \".xlsx\"").arg(workbook),
                workbook);
  CompareOptions options;
  options.shrinkShare = shrink / 100.0;
  Register reg;
  if (!openRegister(line, reg)) return kExitFailure;
  QString error;
  const std::optional<Comparison> c = reg.compareSegment(
      site, segment, line.isSet(QStringLiteral("since-baseline")), options, &error);
  if (!c) return failedInRegister(error);
  if (!workbook.isEmpty()) {
    const QString templateFile =
        templatePath(locateInstallation(QCoreApplication::applicationDirPath()).resourceDir);
    if (!exportComparison(templateFile, *c, line.language(English),
                          QDir::fromNativeSeparators(workbook), &error))
      return fail(workbookError(templateFile, workbook, error));
  }
  printComparison(*c, line.format());
  return kExitOk;
}

int exportCommand(const QStringList& args) {
  CommandLine line(
      QStringLiteral("register export"), QStringLiteral("ID..."),
      QStringLiteral("Writes filed results back into DIR, byte for byte, each under the name it "
                     "was filed with. An existing file is not written over."));
  line.addArgument(QStringLiteral("ID..."), QStringLiteral("The results' numbers."));
  line.addOption(QCommandLineOption(QStringLiteral("to"), QStringLiteral("The folder."),
                                    QStringLiteral("DIR")));
  addRegisterOption(line);
  line.addLanguageOption();
  if (const std::optional<int> end = line.parse(args, 1, 100000)) return *end;
  const QString dir = QDir::fromNativeSeparators(line.value(QStringLiteral("to")));
  if (dir.isEmpty()) return line.usageError(QStringLiteral("export needs --to DIR"));
  QList<qint64> ids;
  for (const QString& word : line.arguments()) {
    const std::optional<qint64> id = idOf(word);
    if (!id) return line.usageError(QStringLiteral("\"%1\" is not a result's number").arg(word));
    ids << *id;
  }
  if (!QFileInfo(dir).isDir())
    return fail(QFileInfo::exists(dir) ? ErrorKind::CannotWrite : ErrorKind::FileNotFound,
                QStringLiteral("%1 is not a folder").arg(QDir::toNativeSeparators(dir)), dir);
  Register reg;
  if (!openRegister(line, reg)) return kExitFailure;
  int code = kExitOk;
  for (qint64 id : ids) {
    QString error;
    const auto entry = reg.entry(id, &error);
    const auto bytes = entry ? reg.originalBytes(id, &error) : std::nullopt;
    if (!bytes) {
      failedInRegister(error);
      code = kExitFailure;
      continue;
    }
    // The stored name is a name, never a path: nothing lands outside DIR.
    QString name = pathFileName(entry->fileName);
    if (name.isEmpty() || name == u"." || name == u"..")
      name = QStringLiteral("result-%1.HTM").arg(id);
    const QString target = QDir(dir).filePath(name);
    if (QFileInfo::exists(target)) {
      fail(ErrorKind::FileExists,
           QStringLiteral("%1 already exists; result %2 was not written")
               .arg(QDir::toNativeSeparators(target))
               .arg(id),
           target);
      code = kExitFailure;
      continue;
    }
    if (!writeFileWhole(target, *bytes, &error)) {
      report(writeError(target,
                        QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(target), error)));
      code = kExitFailure;
      continue;
    }
    printLine(QStringLiteral("%1\t%2").arg(id).arg(QDir::toNativeSeparators(target)));
  }
  return code;
}

int backupCommand(const QStringList& args) {
  CommandLine line(QStringLiteral("register backup"), QStringLiteral("OUT.sqlite"),
                   QStringLiteral("Copies the register into the new file OUT.sqlite, consistent "
                                  "as of one moment, while other programs go on using it."));
  line.addArgument(QStringLiteral("OUT.sqlite"), QStringLiteral("The copy (must not exist)."));
  addRegisterOption(line);
  line.addLanguageOption();
  if (const std::optional<int> end = line.parse(args, 1, 1)) return *end;
  Register reg;
  if (!openRegister(line, reg)) return kExitFailure;
  QString error;
  const QString copy = line.arguments()[0];
  if (!reg.backup(QDir::fromNativeSeparators(copy), &error))
    return fail(QFileInfo::exists(copy) ? CliError{ErrorKind::FileExists, error, copy, {}}
                                        : writeError(copy, error));
  return kExitOk;
}

int checkCommand(const QStringList& args) {
  CommandLine line(QStringLiteral("register check"), QString(),
                   QStringLiteral("Checks the whole register: the file's structure, the links "
                                  "between its tables, every stored file against its hash and "
                                  "the baselines. Prints \"ok\", or one problem per line and "
                                  "exits with 1."));
  addRegisterOption(line);
  line.addLanguageOption();
  if (const std::optional<int> end = line.parse(args, 0, 0)) return *end;
  Register reg;
  if (!openRegister(line, reg)) return kExitFailure;
  QString error;
  const std::optional<QStringList> problems = reg.check(&error);
  if (!problems) return failedInRegister(error);
  if (problems->isEmpty()) {
    printLine(QStringLiteral("ok"));
    return kExitOk;
  }
  for (const QString& p : *problems) printLine(p);
  return kExitFailure;
}

int syncCommand(const QStringList& args) {
  CommandLine line(
      QStringLiteral("register sync"), QString(),
      QStringLiteral(
          "Sends to the register's server the results filed in the local register while it "
          "could not be reached (marked \"not yet shared\"), each once: one the server holds "
          "already is not filed twice. Prints how many were sent and how many still wait; exits "
          "with 1 when the server cannot be reached or some could not be sent."));
  addRegisterOption(line);
  line.addLanguageOption();
  if (const std::optional<int> end = line.parse(args, 0, 0)) return *end;
  const RegisterSettings settings = settingsHere();
  QString location = line.value(QStringLiteral("register"));
  if (location.isEmpty()) location = settings.path;
  const int language = line.language(English);
  if (!isServerLocation(location))
    return fail(
        ErrorKind::Usage,
        pick(registertext::kBadServerAddress, language).arg(QDir::toNativeSeparators(location)));
  Register reg;
  QString error;
  if (!reg.open(location.trimmed(), language, &error)) return fail(serverOpenError(reg, error));
  reg.setTechnician(settings.technician);
  const ShareOutcome outcome = shareWaiting(reg, settings.localPath, language);
  for (const QString& problem : outcome.problems) note(problem);
  printLine(pick(registertext::kSharedNow, language).arg(outcome.sent).arg(reg.displayName()));
  const int left = waitingCount(settings.localPath, reg.displayName(), language);
  if (left > 0) {
    printLine(pick(registertext::kStillPending, language).arg(left).arg(reg.displayName()));
    return kExitFailure;
  }
  return kExitOk;
}

}  // namespace

int runRegister(const QStringList& args) {
  const QStringList commands = {"add",    "list",   "show",  "baseline", "compare",
                                "export", "backup", "check", "sync",     "report"};
  if (const std::optional<int> end = checkGroup(
          QStringLiteral("register"), commands,
          QStringLiteral(
              "The site register: results filed by site and segment, with baselines and "
              "history.\n\n"
              "  register add FILE.HTM... --site S --segment G [--technician T] [--note N]\n"
              "  register list [--site S] [--segment G] [--since DATE] [--search TEXT]\n"
              "  register show ID\n"
              "  register baseline ID\n"
              "  register compare --site S --segment G [--since-baseline] [--workbook OUT.xlsx]\n"
              "  register export ID... --to DIR\n"
              "  register report --site S [--from DATE] [--to DATE] [--technician T] OUT.pdf\n"
              "  register backup OUT.sqlite\n"
              "  register check\n"
              "  register sync\n\n"
              "Each takes --register PATH or a PostgreSQL server's postgresql://user@host/db "
              "(default: the register the windows use)."),
          args))
    return *end;
  const QString sub = args.first();
  const QStringList rest = args.mid(1);
  if (sub == u"add") return addCommand(rest);
  if (sub == u"list") return listCommand(rest);
  if (sub == u"show") return showCommand(rest);
  if (sub == u"baseline") return baselineCommand(rest);
  if (sub == u"compare") return compareCommand(rest);
  if (sub == u"export") return exportCommand(rest);
  if (sub == u"backup") return backupCommand(rest);
  if (sub == u"sync") return syncCommand(rest);
  if (sub == u"report") return runRegisterReport(rest);
  return checkCommand(rest);
}

bool openRegisterOf(const CommandLine& line, Register& reg) { return openRegister(line, reg); }

int registerFailed(const QString& message) { return failedInRegister(message); }

}  // namespace karvel::cli
