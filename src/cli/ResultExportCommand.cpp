// karvel-cli result export FILE.HTM OUT.xlsx: the workbook that the
// spreadsheet dialog writes, without the dialog, for batch use.
#include <QCoreApplication>
#include <QDir>
#include <cstdio>

#include "cli/Console.h"
#include "cli/ResultExportCommand.h"
#include "core/frame/AppState.h"
#include "core/frame/Installation.h"
#include "core/results/ResultReader.h"
#include "core/workbook/SheetExport.h"

namespace karvel::cli {

namespace {

int usage() {
  std::fputs(
      "usage: karvel-cli result export FILE.HTM OUT.xlsx [--language 0-4]\n"
      "Writes the result's table into a copy of the template karvel.xl beside\n"
      "the program and saves it as OUT.xlsx (replacing an existing file). The\n"
      "language (0 French, 1 English, 2 German, 3 Spanish, 4 Italian; default 1)\n"
      "chooses the heading of the measurements column.\n",
      stderr);
  return 2;
}

}  // namespace

int runResultExport(const QStringList& args) {
  if (args.size() < 2) return usage();
  const QString input = args[0];
  const QString output = args[1];
  int language = English;
  if (!parseLanguageOption(args, 2, &language)) return usage();

  ResultTable table;
  QString error;
  if (!loadResultFile(input, language, table, &error)) {
    fail(error);
    return 1;
  }
  if (!table.problemMarker.isEmpty()) {
    std::fprintf(stderr,
                 "karvel-cli: warning: incomplete result file: \"%s\" is missing or out of "
                 "place; only what comes before it is exported\n",
                 table.problemMarker.toUtf8().constData());
  }
  const QString templateFile =
      templatePath(locateInstallation(QCoreApplication::applicationDirPath()).resourceDir);
  if (!exportResultTable(templateFile, table, language, QDir::fromNativeSeparators(output),
                         &error)) {
    fail(error);
    return 1;
  }
  return 0;
}

}  // namespace karvel::cli
