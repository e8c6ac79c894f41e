// karvel-cli result export FILE.HTM OUT.xlsx: the workbook that the
// spreadsheet dialog writes, without the dialog, for batch use.
#include <QCoreApplication>
#include <QDir>
#include <cstdio>

#include "cli/Console.h"
#include "cli/ResultCommand.h"
#include "cli/ResultExportCommand.h"
#include "core/frame/AppState.h"
#include "core/frame/Installation.h"
#include "core/results/ResultReader.h"
#include "core/workbook/SheetExport.h"

namespace karvel::cli {

int runResultExport(const QStringList& args) {
  CommandLine line(
      QStringLiteral("result export"), QStringLiteral("FILE.HTM OUT.xlsx"),
      QStringLiteral("Writes the result's table into a copy of the template karvel.xl beside the "
                     "program and saves it as OUT.xlsx (replacing an existing file). The language "
                     "chooses the heading of the measurements column."));
  line.addArgument(QStringLiteral("FILE.HTM"), QStringLiteral("The result file."));
  line.addArgument(QStringLiteral("OUT.xlsx"), QStringLiteral("The workbook to write."));
  line.addLanguageOption();
  if (const std::optional<int> end = line.parse(args, 2, 2)) return *end;
  const QString input = line.arguments()[0];
  const QString output = line.arguments()[1];
  const int language = line.language(English);
  // The content is a workbook whatever the name says; a name that says
  // otherwise would mislead whoever opens it.
  if (!output.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive))
    return fail(QStringLiteral("%1: the workbook's name must end in \".xlsx\"").arg(output));

  ResultTable table;
  QString error;
  if (!loadResultFile(input, language, table, &error)) return fail(error);
  if (!holdsResult(table)) return fail(notAResultFile(input));
  if (!table.problemMarker.isEmpty()) {
    fail(QStringLiteral("warning: incomplete result file: \"%1\" is missing or out of place; only "
                        "what comes before it is exported")
             .arg(table.problemMarker));
  }
  const QString templateFile =
      templatePath(locateInstallation(QCoreApplication::applicationDirPath()).resourceDir);
  if (!exportResultTable(templateFile, table, language, QDir::fromNativeSeparators(output), &error))
    return fail(error);
  return kExitOk;
}

}  // namespace karvel::cli
