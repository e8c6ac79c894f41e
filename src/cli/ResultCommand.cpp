// karvel-cli result show FILE: what a results window would show, as text.
#include <QTextStream>
#include <cstdio>

#include "cli/ResultCommand.h"
#include "cli/Console.h"
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

const char* statusName(Status status) {
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

int usage() {
  std::fputs(
      "usage: karvel-cli result show FILE [--language 0-4]\n"
      "Prints, tab-separated: title, label, bus and verdict lines, then one\n"
      "\"row\" line per measurement with its five texts and its status\n"
      "(green, yellow, red or none). Line feeds, tabs and backslashes inside\n"
      "texts are written as \\n, \\t and \\\\.\n",
      stderr);
  return 2;
}

}  // namespace

int runResult(const QStringList& args) {
  if (args.size() < 2 || args[0] != QLatin1String("show")) return usage();
  const QString path = args[1];
  int language = English;
  if (!parseLanguageOption(args, 2, &language)) return usage();

  ResultTable table;
  QString error;
  if (!loadResultFile(path, language, table, &error)) {
    return fail(error);
  }
  QTextStream out(stdout);
  out.setEncoding(QStringConverter::Utf8);
  out << "title\t" << field(table.title) << '\n';
  out << "label\t" << field(table.tableLabel) << '\n';
  out << "bus\t" << field(table.busHeading) << '\n';
  out << "verdict\t" << statusName(table.verdictColour) << '\t' << field(table.verdict) << '\n';
  for (const ResultRow& row : table.rows) {
    out << "row";
    for (const QString& cell : row.cells) out << '\t' << field(cell);
    out << '\t' << statusName(row.status) << '\n';
  }
  out.flush();
  if (!table.problemMarker.isEmpty()) {
    std::fprintf(stderr,
                 "karvel-cli: warning: incomplete result file: \"%s\" is missing or out of "
                 "place; only what comes before it was read\n",
                 table.problemMarker.toUtf8().constData());
  }
  return 0;
}

}  // namespace karvel::cli
