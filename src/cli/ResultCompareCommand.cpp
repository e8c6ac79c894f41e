#include "cli/ResultCompareCommand.h"

#include <QCoreApplication>
#include <QDir>
#include <QJsonArray>
#include <cstdio>

#include "cli/Console.h"
#include "cli/Output.h"
#include "core/frame/AppState.h"
#include "core/frame/Installation.h"
#include "core/results/Compare.h"
#include "core/results/ResultReader.h"
#include "core/workbook/SheetExport.h"

namespace karvel::cli {

namespace {

QJsonValue jsonNumber(const std::optional<double>& value) {
  return value ? QJsonValue(*value) : QJsonValue();
}

QString numberText(const std::optional<double>& value) {
  return value ? QString::number(*value, 'g', QLocale::FloatingPointShortest) : QString();
}

QString dateText(const CompareRun& run) { return run.date.toString(Qt::ISODate); }

void showText(const Comparison& c) {
  printLine(QStringLiteral("bus\t%1").arg(c.bus));
  for (std::size_t r = 0; r < c.runs.size(); ++r)
    printLine(QStringLiteral("run %1\t%2\t%3 (%4)\t%5")
                  .arg(r + 1)
                  .arg(pathFileName(c.runs[r].table.sourcePath), dateText(c.runs[r]),
                       c.runs[r].dateFromFile ? QStringLiteral("from the file")
                                              : QStringLiteral("file modified"),
                       c.runs[r].table.verdict));
  for (const CompareMeasurement& m : c.measurements) {
    QStringList values, margins;
    for (std::size_t r = 0; r < c.runs.size(); ++r) {
      values << (m.values[r] ? numberText(m.values[r]) : QStringLiteral("-"));
      margins << (m.margins[r] ? QStringLiteral("%1%").arg(std::round(*m.margins[r] * 1000) / 10)
                               : QStringLiteral("-"));
    }
    printLine(QStringLiteral("%1\t%2\tvalues %3\tmargins %4\t%5%6")
                  .arg(m.name, m.unit.isEmpty() ? QStringLiteral("-") : m.unit, values.join(u' '),
                       margins.join(u' '), trendName(m.trend),
                       m.marginShrank ? QStringLiteral("\tMARGIN SHRANK") : QString()));
  }
}

void showCsv(const Comparison& c) {
  QStringList header = {QStringLiteral("measurement"), QStringLiteral("unit")};
  for (std::size_t r = 1; r <= c.runs.size(); ++r) header << QStringLiteral("value_%1").arg(r);
  for (std::size_t r = 1; r <= c.runs.size(); ++r) header << QStringLiteral("margin_%1").arg(r);
  header << QStringLiteral("trend") << QStringLiteral("margin_shrank");
  CsvTable table(header);
  for (const CompareMeasurement& m : c.measurements) {
    QStringList row = {m.name, m.unit};
    for (const auto& v : m.values) row << numberText(v);
    for (const auto& v : m.margins) row << numberText(v);
    row << trendName(m.trend)
        << (m.marginShrank ? QStringLiteral("true") : QStringLiteral("false"));
    table.add(row);
  }
  table.print();
}

void showJson(const Comparison& c) {
  QJsonArray runs;
  for (const CompareRun& run : c.runs)
    runs.append(QJsonObject{
        {"file", run.table.sourcePath},
        {"date", dateText(run)},
        {"date_source", run.dateFromFile ? QStringLiteral("file") : QStringLiteral("modified")},
        {"verdict", run.table.verdict},
        {"verdict_status", statusName(run.table.verdictColour)}});
  QJsonArray measurements;
  for (const CompareMeasurement& m : c.measurements) {
    QJsonArray values, minimum, maximum, margins, statuses;
    for (std::size_t r = 0; r < c.runs.size(); ++r) {
      values.append(jsonNumber(m.values[r]));
      minimum.append(jsonNumber(m.minimum[r]));
      maximum.append(jsonNumber(m.maximum[r]));
      margins.append(jsonNumber(m.margins[r]));
      statuses.append(m.values[r] || m.statuses[r] != Status::None
                          ? QJsonValue(statusName(m.statuses[r]))
                          : QJsonValue());
    }
    measurements.append(QJsonObject{{"name", m.name},
                                    {"unit", m.unit},
                                    {"values", values},
                                    {"minimum", minimum},
                                    {"maximum", maximum},
                                    {"margins", margins},
                                    {"statuses", statuses},
                                    {"trend", trendName(m.trend)},
                                    {"margin_shrank", m.marginShrank}});
  }
  printJson({{"bus", c.bus}, {"runs", runs}, {"measurements", measurements}});
}

}  // namespace

int runResultCompare(const QStringList& args) {
  CommandLine line(
      QStringLiteral("result compare"), QStringLiteral("FILE.HTM FILE.HTM..."),
      QStringLiteral(
          "Compares results of one bus: the runs ordered by date (written in the file, else the "
          "file's modification time), each measurement matched by name with its value per run "
          "(in base units), its margin to the nearer limit (a share of the band: 0 at a limit, "
          "0.5 in the middle, below 0 outside), its trend (rising, falling, steady or unknown) "
          "and whether its margin shrank by more than --shrink percent from the first run to the "
          "last. A measurement missing from a run has no value there. Results of different "
          "buses are refused."));
  line.addArgument(QStringLiteral("FILE.HTM..."), QStringLiteral("The result files."));
  line.addOption(
      QCommandLineOption(QStringLiteral("shrink"),
                         QStringLiteral("The share of the margin, in percent, whose loss "
                                        "is flagged (default 25)."),
                         QStringLiteral("PERCENT"), QStringLiteral("25")));
  line.addOption(QCommandLineOption(
      QStringLiteral("workbook"),
      QStringLiteral("Also writes the comparison into the workbook OUT.xlsx: the comparison sheet "
                     "with a chart per measurement, a summary and a sheet per result."),
      QStringLiteral("OUT.xlsx")));
  line.addFormatOption();
  line.addLanguageOption();
  if (const std::optional<int> end = line.parse(args, 1, 10000)) return *end;
  const QString workbook = line.value(QStringLiteral("workbook"));
  if (line.isSet(QStringLiteral("workbook")) &&
      !workbook.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive))
    return fail(QStringLiteral("%1: the workbook's name must end in \".xlsx\"").arg(workbook));
  CompareOptions options;
  bool ok = false;
  const double shrink = line.value(QStringLiteral("shrink")).toDouble(&ok);
  if (!ok || shrink < 0 || shrink > 100)
    return line.usageError(QStringLiteral("--shrink takes a percentage from 0 to 100"));
  options.shrinkShare = shrink / 100.0;
  QString error;
  const std::optional<Comparison> c =
      compareResultFiles(line.arguments(), options, line.language(English), &error);
  if (!c) return fail(error);
  if (!workbook.isEmpty()) {
    const QString templateFile =
        templatePath(locateInstallation(QCoreApplication::applicationDirPath()).resourceDir);
    if (!exportComparison(templateFile, *c, line.language(English),
                          QDir::fromNativeSeparators(workbook), &error))
      return fail(error);
  }
  switch (line.format()) {
    case Format::Text:
      showText(*c);
      break;
    case Format::Csv:
      showCsv(*c);
      break;
    case Format::Json:
      showJson(*c);
      break;
  }
  std::fflush(stdout);
  return kExitOk;
}

}  // namespace karvel::cli
