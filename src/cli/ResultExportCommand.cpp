// SPDX-License-Identifier: GPL-3.0-or-later
// karvel-cli result export FILE.HTM... OUT.xlsx: the workbook that the
// spreadsheet dialog writes, without the dialog, for batch use; several
// results go into one workbook with a summary sheet.
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <cstdio>
#include <optional>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

#include "cli/Console.h"
#include "cli/Output.h"
#include "cli/ResultCommand.h"
#include "cli/ResultExportCommand.h"
#include "core/frame/AppState.h"
#include "core/frame/FreedMemory.h"
#include "core/frame/Installation.h"
#include "core/frame/StandardStreams.h"
#include "core/results/ResultReader.h"
#include "core/workbook/SheetExport.h"

namespace karvel::cli {

int runResultExport(const QStringList& args) {
  CommandLine line(
      QStringLiteral("result export"), QStringLiteral("FILE.HTM... OUT.xlsx"),
      QStringLiteral("Writes the result's table into a copy of the template karvel.xl beside the "
                     "program and saves it as OUT.xlsx (replacing an existing file). Several "
                     "result files give one sheet each, named after the file, after a summary "
                     "sheet. The language chooses the headings. OUT \"-\" writes the workbook "
                     "on the standard output; one FILE \"-\" reads the standard input. With "
                     "--format csv or json, prints what was written."));
  line.addArgument(QStringLiteral("FILE.HTM..."), QStringLiteral("The result files."));
  line.addArgument(QStringLiteral("OUT.xlsx"), QStringLiteral("The workbook to write."));
  line.addFormatOption();
  line.addLanguageOption();
  if (const std::optional<int> end = line.parse(args, 2, 10000)) return *end;
  const QStringList inputs = line.arguments().mid(0, line.arguments().size() - 1);
  const QString output = line.arguments().last();
  const int language = line.language(English);
  const bool toStdout = isStandardStream(output);
  // The content is a workbook whatever the name says; a name that says
  // otherwise would mislead whoever opens it.
  if (!toStdout && !output.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive))
    return fail(ErrorKind::CannotWrite,
                QStringLiteral("%1: the workbook's name must end in \".xlsx\"").arg(output),
                output);
  if (inputs.count(QStringLiteral("-")) > 1)
    return line.usageError(QStringLiteral("the standard input (\"-\") can be read only once"));
#ifdef Q_OS_UNIX
  // A zip archive on a terminal is garbage for whoever looks at it.
  if (toStdout && ::isatty(1))
    return line.usageError(
        QStringLiteral("the workbook would go to the terminal: redirect the standard output"));
#endif

  // One result read at a time, its sheet written and its table let go
  // before the next: the memory of the largest result, however many. A bad
  // file still leaves no workbook that lacks it: the workbook is saved only
  // once every sheet is written.
  ResultTable table;
  std::optional<CliError> sourceFailure;
  const ResultSource source = [&](std::size_t i, QString* why) -> const ResultTable* {
    const QString& input = inputs[static_cast<qsizetype>(i)];
    table = ResultTable();
    returnFreedMemory();
    if (!loadResultFile(input, language, table, why)) {
      sourceFailure = resultReadError(input, *why);
      return nullptr;
    }
    if (!holdsResult(table)) {
      *why = notAResultFile(input);
      sourceFailure = CliError{ErrorKind::FileInvalid, *why, input, {}};
      return nullptr;
    }
    if (!table.problemMarker.isEmpty()) {
      warn(QStringLiteral("%1: incomplete result file: \"%2\" is missing or out of "
                          "place; only what comes before it is exported")
               .arg(input, table.problemMarker));
    }
    return &table;
  };
  const QString templateFile =
      templatePath(locateInstallation(QCoreApplication::applicationDirPath()).resourceDir);
  QString error;
  if (!exportResultSources(templateFile, inputs, source, language,
                           toStdout ? output : QDir::fromNativeSeparators(output), &error)) {
    if (sourceFailure) return fail(*sourceFailure);
    if (!QFileInfo::exists(templateFile)) return fail(readError(templateFile, error));
    return fail(writeError(output, error));
  }
  if (toStdout) return kExitOk;  // the workbook is the only data there
  switch (line.format()) {
    case Format::Text:
      break;
    case Format::Csv: {
      CsvTable csv({"workbook", "result"});
      for (const QString& input : inputs) csv.add({output, input});
      csv.print();
      break;
    }
    case Format::Json:
      printJson({{"workbook", output}, {"results", QJsonArray::fromStringList(inputs)}});
      break;
  }
  return kExitOk;
}

}  // namespace karvel::cli
