// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/ResultCompareCommand.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <cstdio>

#include "cli/Console.h"
#include "cli/Output.h"
#include "core/frame/AppState.h"
#include "core/frame/Installation.h"
#include "core/frame/StandardStreams.h"
#include "core/results/Compare.h"
#include "core/results/LimitReach.h"
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

// How the text output says where a run's date came from.
QString dateSourceWords(DateSource source) {
  return source == DateSource::Result ? QStringLiteral("written in the result")
                                      : QStringLiteral("file time");
}

// What the trends rest on, beside each of them: nothing when every date was
// written in its result.
QString trendBasisWords(const Comparison& c) {
  switch (orderBasis(c)) {
    case OrderBasis::ResultDates:
      break;
    case OrderBasis::FileTimes:
      return QStringLiteral(" (order from file times)");
    case OrderBasis::Given:
      return QStringLiteral(" (order given)");
  }
  return {};
}

void showText(const Comparison& c) {
  printLine(QStringLiteral("bus\t%1").arg(c.bus));
  const OrderBasis basis = orderBasis(c);
  printLine(QStringLiteral("order\t%1")
                .arg(basis == OrderBasis::Given ? QStringLiteral("given")
                     : basis == OrderBasis::FileTimes
                         ? QStringLiteral("by date, some from file times")
                         : QStringLiteral("by date")));
  for (std::size_t r = 0; r < c.runs.size(); ++r)
    printLine(QStringLiteral("run %1\t%2\t%3 (%4)\t%5")
                  .arg(r + 1)
                  .arg(pathFileName(c.runs[r].table.sourcePath), dateText(c.runs[r]),
                       dateSourceWords(c.runs[r].dateSource), c.runs[r].table.verdict));
  const QString note = trendBasisWords(c);
  for (const CompareMeasurement& m : c.measurements) {
    QStringList values, margins;
    for (std::size_t r = 0; r < c.runs.size(); ++r) {
      values << (m.values[r] ? numberText(m.values[r]) : QStringLiteral("-"));
      margins << (m.margins[r] ? QStringLiteral("%1%").arg(std::round(*m.margins[r] * 1000) / 10)
                               : QStringLiteral("-"));
    }
    printLine(QStringLiteral("%1\t%2\tvalues %3\tmargins %4\t%5%6%7")
                  .arg(m.name, m.unit.isEmpty() ? QStringLiteral("-") : m.unit, values.join(u' '),
                       margins.join(u' '), trendName(m.trend), note,
                       m.marginShrank ? QStringLiteral("\tMARGIN SHRANK") : QString()));
  }
}

void showCsv(const Comparison& c) {
  QStringList header = {QStringLiteral("measurement"), QStringLiteral("unit")};
  for (std::size_t r = 1; r <= c.runs.size(); ++r) header << QStringLiteral("value_%1").arg(r);
  for (std::size_t r = 1; r <= c.runs.size(); ++r) header << QStringLiteral("margin_%1").arg(r);
  header << QStringLiteral("trend") << QStringLiteral("trend_basis")
         << QStringLiteral("margin_shrank");
  // Each run's file, date and where the date came from, on every row, so
  // that a row read alone still tells what its values stand on.
  for (std::size_t r = 1; r <= c.runs.size(); ++r)
    header << QStringLiteral("file_%1").arg(r) << QStringLiteral("date_%1").arg(r)
           << QStringLiteral("date_source_%1").arg(r);
  CsvTable table(header);
  const QString basis = orderBasisName(orderBasis(c));
  for (const CompareMeasurement& m : c.measurements) {
    QStringList row = {m.name, m.unit};
    for (const auto& v : m.values) row << numberText(v);
    for (const auto& v : m.margins) row << numberText(v);
    row << trendName(m.trend) << basis
        << (m.marginShrank ? QStringLiteral("true") : QStringLiteral("false"));
    for (const CompareRun& run : c.runs)
      row << run.table.sourcePath << dateText(run) << dateSourceName(run.dateSource);
    table.add(row);
  }
  table.print();
}

// When the line through the values reaches the limit it heads for; null
// when there is no such line (see LimitReach.h).
QJsonValue limitReachJson(const Comparison& c, std::size_t index) {
  const std::optional<LimitReach> reach = limitReach(c, index);
  if (!reach) return QJsonValue();
  return QJsonObject{
      {"date", reach->date.toString(Qt::ISODate)},
      {"limit", reach->towardsMaximum ? QStringLiteral("maximum") : QStringLiteral("minimum")},
      {"limit_value", reach->limit},
      {"slope_per_day", reach->slopePerDay},
      {"r_squared", reach->rSquared},
      {"points", reach->points},
      {"already_reached", reach->alreadyReached},
      {"method", QStringLiteral("least squares over the result dates")}};
}

void showJson(const Comparison& c) {
  QJsonArray runs;
  for (const CompareRun& run : c.runs)
    runs.append(QJsonObject{{"file", run.table.sourcePath},
                            {"date", dateText(run)},
                            {"date_source", dateSourceName(run.dateSource)},
                            {"verdict", run.table.verdict},
                            {"verdict_status", statusName(run.table.verdictColour)}});
  QJsonArray measurements;
  const QString basis = orderBasisName(orderBasis(c));
  for (std::size_t index = 0; index < c.measurements.size(); ++index) {
    const CompareMeasurement& m = c.measurements[index];
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
                                    {"trend_basis", basis},
                                    {"margin_shrank", m.marginShrank},
                                    {"limit_reach", limitReachJson(c, index)}});
  }
  printJson(
      {{"bus", c.bus},
       {"order", c.order == RunOrder::Given ? QStringLiteral("given") : QStringLiteral("date")},
       {"runs", runs},
       {"measurements", measurements}});
}

}  // namespace

int runResultCompare(const QStringList& args) {
  CommandLine line(
      QStringLiteral("result compare"), QStringLiteral("FILE.HTM FILE.HTM..."),
      QStringLiteral(
          "Compares two or more results of one bus: the runs ordered by date (written in the "
          "result, else the file's modification time, which a copy may have changed: the output "
          "says so beside each trend) or kept in the order given with --order given, each "
          "measurement matched by name with its value per run "
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
                     "with a chart per measurement (the first 200), a summary and a sheet per "
                     "result."),
      QStringLiteral("OUT.xlsx")));
  line.addOption(QCommandLineOption(
      QStringLiteral("order"),
      QStringLiteral("date (the default): the runs by their dates; given: in the order of the "
                     "files on the command line."),
      QStringLiteral("date|given"), QStringLiteral("date")));
  line.addFormatOption();
  line.addLanguageOption();
  if (const std::optional<int> end = line.parse(args, 1, 10000)) return *end;
  // One result has nothing to be compared with: a mistake of the command line.
  if (line.arguments().size() < 2)
    return line.usageError(QStringLiteral("compare needs at least two result files"));
  const QString orderWord = line.value(QStringLiteral("order"));
  if (orderWord != u"date" && orderWord != u"given")
    return line.usageError(
        QStringLiteral("--order takes date or given, not \"%1\"").arg(orderWord));
  const RunOrder order = orderWord == u"given" ? RunOrder::Given : RunOrder::ByDate;
  const QString workbook = line.value(QStringLiteral("workbook"));
  if (line.isSet(QStringLiteral("workbook")) &&
      !workbook.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive))
    return fail(ErrorKind::CannotWrite,
                QStringLiteral("%1: the workbook's name must end in \".xlsx\"").arg(workbook),
                workbook);
  // Each result is read again for the workbook: a stream cannot be.
  if (line.arguments().contains(QStringLiteral("-")) || isStandardStream(workbook))
    return line.usageError(QStringLiteral("compare reads files, not the standard streams (\"-\")"));
  CompareOptions options;
  bool ok = false;
  const double shrink = line.value(QStringLiteral("shrink")).toDouble(&ok);
  if (!ok || shrink < 0 || shrink > 100)
    return line.usageError(QStringLiteral("--shrink takes a percentage from 0 to 100"));
  options.shrinkShare = shrink / 100.0;
  // The figures are all the outputs need; a workbook reads each result
  // again for its sheet.
  options.keepRows = false;
  QString error;
  std::optional<Comparison> c =
      compareResultFiles(line.arguments(), options, line.language(English), &error, order);
  if (!c) return fail(comparedFilesError(line.arguments(), error));
  if (!workbook.isEmpty()) {
    const QString templateFile =
        templatePath(locateInstallation(QCoreApplication::applicationDirPath()).resourceDir);
    // Its measurements packed while each result is read again for its sheet.
    if (!exportComparisonReleasing(templateFile, *c, line.language(English),
                                   QDir::fromNativeSeparators(workbook), &error))
      return fail(workbookError(templateFile, workbook, error));
  }
  printComparison(*c, line.format());
  return kExitOk;
}

CliError comparedFilesError(const QStringList& paths, const QString& message) {
  // A file that is missing, a folder or protected is named; otherwise the
  // files were read and are no results of one bus.
  for (const QString& path : paths) {
    const CliError e = readError(path, message);
    if (e.kind != ErrorKind::FileUnreadable || QFileInfo(path).isDir()) return e;
  }
  for (const QString& path : paths)
    if (message.contains(path)) return {ErrorKind::FileInvalid, message, path, {}};
  return {ErrorKind::FileInvalid, message, {}, {}};
}

CliError workbookError(const QString& templateFile, const QString& workbook,
                       const QString& message) {
  if (!QFileInfo::exists(templateFile)) return readError(templateFile, message);
  return writeError(workbook, message);
}

void printComparison(const Comparison& comparison, Format format) {
  switch (format) {
    case Format::Text:
      showText(comparison);
      break;
    case Format::Csv:
      showCsv(comparison);
      break;
    case Format::Json:
      showJson(comparison);
      break;
  }
  std::fflush(stdout);
}

}  // namespace karvel::cli
