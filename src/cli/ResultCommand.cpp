// SPDX-License-Identifier: GPL-3.0-or-later
// karvel-cli result show FILE: what a results window would show, as text,
// csv or json.
#include <QFileInfo>
#include <QJsonArray>
#include <QTextStream>
#include <algorithm>
#include <cstdio>

#include "cli/Console.h"
#include "cli/Output.h"
#include "cli/ResultCommand.h"
#include "cli/ResultCompareCommand.h"
#include "cli/ResultExportCommand.h"
#include "core/frame/AppState.h"
#include "core/results/ResultReader.h"

namespace karvel::cli {

namespace {

// One field per tab-separated column: line ends, tabs and backslashes inside
// the file's texts are written as \n, \r, \t and \\ so that a row stays on
// one line.
QString field(const QString& text) {
  QString out;
  out.reserve(text.size());
  for (QChar c : text) {
    switch (c.unicode()) {
      case '\n':
        out += QStringLiteral("\\n");
        break;
      case '\r':
        out += QStringLiteral("\\r");
        break;
      case '\t':
        out += QStringLiteral("\\t");
        break;
      case '\\':
        out += QStringLiteral("\\\\");
        break;
      default:
        out += c;
    }
  }
  return out;
}

// The colour words of the text output, as people read them in the window.
const char* colourName(Status status) {
  switch (status) {
    case Status::Green:
      return "green";
    case Status::Red:
      return "red";
    case Status::Yellow:
      return "yellow";
    case Status::None:
      break;
  }
  return "none";
}

const char* const kCellNames[] = {"label", "minimum", "maximum", "measurement", "distance"};

void showText(const ResultTable& table) {
  QTextStream out(stdout);
  out.setEncoding(QStringConverter::Utf8);
  out << "title\t" << field(table.title) << '\n';
  out << "label\t" << field(table.tableLabel) << '\n';
  out << "bus\t" << field(table.busHeading) << '\n';
  out << "verdict\t" << colourName(table.verdictColour) << '\t' << field(table.verdict) << '\n';
  // Only a result that writes its date has this line.
  if (table.date.isValid()) out << "date\t" << table.date.toString(Qt::ISODate) << '\n';
  for (const ResultRow& row : table.rows) {
    out << "row";
    for (const QString& cell : row.cells) out << '\t' << field(cell);
    out << '\t' << colourName(row.status) << '\n';
  }
}

void showJson(const ResultTable& table) {
  QJsonArray rows;
  for (std::size_t i = 0; i < table.rows.size(); ++i) {
    const ResultRow& r = table.rows[i];
    QJsonObject row{{"row", static_cast<int>(i + 1)}, {"label", r.cells[0]}};
    for (int c = 1; c < 5; ++c) row.insert(kCellNames[c], toJson(quantity(r.cells[c])));
    row.insert("status", statusName(r.status));
    rows.append(row);
  }
  const QJsonValue date =
      table.date.isValid() ? QJsonValue(table.date.toString(Qt::ISODate)) : QJsonValue();
  printJson({{"file", table.sourcePath},
             {"title", table.title},
             {"table_label", table.tableLabel},
             {"bus", table.busHeading},
             {"verdict", table.verdict},
             {"verdict_status", statusName(table.verdictColour)},
             {"date", date},
             {"rows", rows},
             {"complete", table.problemMarker.isEmpty()},
             {"missing_marker",
              table.problemMarker.isEmpty() ? QJsonValue() : QJsonValue(table.problemMarker)}});
}

void showCsv(const ResultTable& table) {
  QStringList header{"file",    "title",          "table_label", "bus",
                     "verdict", "verdict_status", "row",         "label"};
  for (int c = 1; c < 5; ++c) header += csvHeader(kCellNames[c]);
  header += QStringLiteral("status");
  header += QStringLiteral("date");
  const QString date = table.date.isValid() ? table.date.toString(Qt::ISODate) : QString();
  CsvTable csv(header);
  for (std::size_t i = 0; i < table.rows.size(); ++i) {
    const ResultRow& r = table.rows[i];
    QStringList fields{table.sourcePath,       table.title,   table.tableLabel,
                       table.busHeading,       table.verdict, statusName(table.verdictColour),
                       QString::number(i + 1), r.cells[0]};
    for (int c = 1; c < 5; ++c) fields += csvFields(quantity(r.cells[c]));
    fields += statusName(r.status);
    fields += date;
    csv.add(fields);
  }
  csv.print();
}

// How --check judges a result: the rows (and the verdict) that make it fail.
enum class CheckLevel { None, Fail, Warning };

bool checkFails(const ResultTable& table, CheckLevel level) {
  const auto counts = [level](Status status) {
    return status == Status::Red || (level == CheckLevel::Warning && status == Status::Yellow);
  };
  if (counts(table.verdictColour)) return true;
  return std::any_of(table.rows.cbegin(), table.rows.cend(),
                     [&](const ResultRow& row) { return counts(row.status); });
}

int showCommand(QStringList args) {
  CommandLine line(
      QStringLiteral("result show"), QStringLiteral("FILE"),
      QStringLiteral(
          "Prints what a results window shows of a diagnostic result file. As text, "
          "tab-separated: title, label, bus and verdict lines, a date line when the result "
          "writes its date (as 2026-11-23T14:02:51), then one \"row\" line per "
          "measurement with its five texts and its status (green, yellow, red or none); line "
          "feeds, tabs and backslashes inside texts are written as \\n, \\t and \\\\. In csv and "
          "json each value also has its number and unit, and statuses read pass, warning, fail "
          "or none. With --check the exit code is the test's verdict: 3 when a row failed, 0 "
          "when none did."));
  line.addArgument(QStringLiteral("FILE"),
                   QStringLiteral("The result file (.HTM); \"-\" reads the standard input."));
  line.addOption(QCommandLineOption(
      QStringLiteral("check"),
      QStringLiteral("--check: exit with 3 when a row failed (or the verdict did); "
                     "--check=warning: also when one warned. An incomplete file is a failure "
                     "(1)."),
      QStringLiteral("fail|warning")));
  line.addFormatOption();
  line.addLanguageOption();
  // "--check" alone is the usual form: the option's value is then "fail".
  for (QString& word : args)
    if (word == u"--check") word = QStringLiteral("--check=fail");
  if (const std::optional<int> end = line.parse(args, 1, 1)) return *end;
  CheckLevel check = CheckLevel::None;
  if (line.isSet(QStringLiteral("check"))) {
    const QString level = line.value(QStringLiteral("check"));
    if (level == u"fail")
      check = CheckLevel::Fail;
    else if (level == u"warning")
      check = CheckLevel::Warning;
    else
      return line.usageError(
          QStringLiteral("--check takes fail or warning, not \"%1\"").arg(level));
  }
  const int language = line.language(English);
  const QString path = line.arguments()[0];
  ResultTable table;
  QString error;
  if (!loadResultFile(path, language, table, &error)) return fail(resultReadError(path, error));
  if (!holdsResult(table)) return fail(ErrorKind::FileInvalid, notAResultFile(path), path);
  switch (line.format()) {
    case Format::Text:
      showText(table);
      break;
    case Format::Csv:
      showCsv(table);
      break;
    case Format::Json:
      showJson(table);
      break;
  }
  std::fflush(stdout);
  if (!table.problemMarker.isEmpty()) {
    const QString text = QStringLiteral(
                             "incomplete result file: \"%1\" is missing or out of place; only what "
                             "comes before it was read")
                             .arg(table.problemMarker);
    // A test bench cannot call a result good whose rows are not all there.
    if (check != CheckLevel::None) return fail(ErrorKind::FileInvalid, text, path);
    warn(text);
  }
  if (check != CheckLevel::None && checkFails(table, check)) return kExitCheckFailed;
  return kExitOk;
}

}  // namespace

CliError resultReadError(const QString& path, const QString& message) {
  CliError e = readError(path, message);
  // Readable, but larger than any result: not what the command needs.
  const QFileInfo info(path);
  if (e.kind == ErrorKind::FileUnreadable && info.isFile() && info.size() > kResultFileMax)
    e.kind = ErrorKind::FileInvalid;
  return e;
}

QString notAResultFile(const QString& path) {
  return QStringLiteral("%1 is not a result file (no result markers found)").arg(path);
}

int runResult(const QStringList& args) {
  if (const std::optional<int> end =
          checkGroup(QStringLiteral("result"),
                     {QStringLiteral("show"), QStringLiteral("export"), QStringLiteral("compare")},
                     QStringLiteral("Diagnostic result files shown, exported and compared.\n\n"
                                    "  result show FILE [--check[=warning]]\n"
                                    "  result export FILE.HTM... OUT.xlsx\n"
                                    "  result compare FILE.HTM FILE.HTM..."),
                     args))
    return *end;
  if (args.first() == u"export") return runResultExport(args.mid(1));
  if (args.first() == u"compare") return runResultCompare(args.mid(1));
  return showCommand(args.mid(1));
}

}  // namespace karvel::cli
