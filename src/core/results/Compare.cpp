#include "core/results/Compare.h"

#include <QFileInfo>
#include <algorithm>
#include <cmath>

#include "core/results/CompareTexts.h"
#include "core/results/Quantity.h"
#include "core/results/ResultReader.h"

namespace karvel {

QString trendText(Trend trend, int language) {
  switch (trend) {
    case Trend::Rising:
      return pick(comparetext::kRising, language);
    case Trend::Falling:
      return pick(comparetext::kFalling, language);
    case Trend::Steady:
      return pick(comparetext::kSteady, language);
    case Trend::Unknown:
      break;
  }
  return pick(comparetext::kUnknown, language);
}

QString trendName(Trend trend) {
  switch (trend) {
    case Trend::Rising:
      return QStringLiteral("rising");
    case Trend::Falling:
      return QStringLiteral("falling");
    case Trend::Steady:
      return QStringLiteral("steady");
    case Trend::Unknown:
      break;
  }
  return QStringLiteral("unknown");
}

QDateTime resultDate(const QByteArray& text, const QString& path, bool* fromFile) {
  const QDateTime written = resultDateIn(text);
  if (fromFile) *fromFile = written.isValid();
  if (written.isValid()) return written;
  return QFileInfo(path).lastModified();
}

QString dateSourceName(DateSource source) {
  return source == DateSource::Result ? QStringLiteral("file") : QStringLiteral("modified");
}

QString dateSourceText(DateSource source, int language) {
  return pick(
      source == DateSource::Result ? comparetext::kDateInResult : comparetext::kDateFileTime,
      language);
}

OrderBasis orderBasis(const Comparison& comparison) {
  if (comparison.order == RunOrder::Given) return OrderBasis::Given;
  for (const CompareRun& run : comparison.runs)
    if (run.dateSource == DateSource::FileTime) return OrderBasis::FileTimes;
  return OrderBasis::ResultDates;
}

QString orderBasisName(OrderBasis basis) {
  switch (basis) {
    case OrderBasis::ResultDates:
      break;
    case OrderBasis::FileTimes:
      return QStringLiteral("file_times");
    case OrderBasis::Given:
      return QStringLiteral("given");
  }
  return QStringLiteral("dates");
}

QString trendNote(const Comparison& comparison, int language) {
  switch (orderBasis(comparison)) {
    case OrderBasis::ResultDates:
      break;
    case OrderBasis::FileTimes: {
      int count = 0;
      for (const CompareRun& run : comparison.runs)
        count += run.dateSource == DateSource::FileTime ? 1 : 0;
      return pick(comparetext::kTrendOnFileTimes, language).arg(count).arg(comparison.runs.size());
    }
    case OrderBasis::Given:
      return pick(comparetext::kTrendInGivenOrder, language);
  }
  return {};
}

std::optional<double> marginOf(std::optional<double> value, std::optional<double> minimum,
                               std::optional<double> maximum) {
  if (!value) return std::nullopt;
  if (minimum && maximum) {
    const double band = *maximum - *minimum;
    if (!(band > 0)) return std::nullopt;
    return std::min(*value - *minimum, *maximum - *value) / band;
  }
  if (minimum && *minimum != 0) return (*value - *minimum) / std::fabs(*minimum);
  if (maximum && *maximum != 0) return (*maximum - *value) / std::fabs(*maximum);
  return std::nullopt;
}

namespace {

QString normalisedBus(const QString& heading) { return heading.simplified().toCaseFolded(); }

Trend trendOf(const CompareMeasurement& m, const CompareOptions& options) {
  std::optional<double> first, last;
  std::optional<double> band;
  int count = 0;
  for (std::size_t i = 0; i < m.values.size(); ++i) {
    if (!m.values[i]) continue;
    ++count;
    if (!first) first = m.values[i];
    last = m.values[i];
    if (!band && m.minimum[i] && m.maximum[i] && *m.maximum[i] > *m.minimum[i])
      band = *m.maximum[i] - *m.minimum[i];
  }
  if (count < 2) return Trend::Unknown;
  // Steady within a share of the band, or of the first value without one.
  const double scale = band ? *band : std::fabs(*first);
  const double change = *last - *first;
  if (std::fabs(change) <= options.steadyShare * scale) return Trend::Steady;
  return change > 0 ? Trend::Rising : Trend::Falling;
}

bool marginShrank(const CompareMeasurement& m, const CompareOptions& options) {
  std::optional<double> first, last;
  for (const auto& margin : m.margins) {
    if (!margin) continue;
    if (!first) first = margin;
    last = margin;
  }
  if (!first || !last || first == last) return false;
  // A run that went out of its band after being in it has lost all of it.
  if (*first <= 0) return false;
  return (*first - *last) / *first > options.shrinkShare;
}

}  // namespace

bool sameBus(const QString& a, const QString& b) { return normalisedBus(a) == normalisedBus(b); }

std::optional<Comparison> compareRuns(std::vector<CompareRun> runs, const CompareOptions& options,
                                      QString* error, int language, RunOrder order) {
  if (runs.empty()) {
    if (error) *error = pick(comparetext::kNoResults, language);
    return std::nullopt;
  }
  if (runs.size() < 2) {
    if (error) *error = pick(comparetext::kOneResult, language);
    return std::nullopt;
  }
  for (const CompareRun& run : runs) {
    if (!sameBus(run.table.busHeading, runs.front().table.busHeading)) {
      if (error)
        *error =
            pick(comparetext::kDifferentBuses, language)
                .arg(pathFileName(runs.front().table.sourcePath), runs.front().table.busHeading,
                     pathFileName(run.table.sourcePath), run.table.busHeading);
      return std::nullopt;
    }
  }
  if (order == RunOrder::ByDate)
    std::stable_sort(runs.begin(), runs.end(),
                     [](const CompareRun& a, const CompareRun& b) { return a.date < b.date; });
  Comparison c;
  c.order = order;
  c.bus = runs.front().table.busHeading;
  const std::size_t n = runs.size();
  // Measurements in the order they first appear, run after run.
  std::vector<QString> names;
  std::map<QString, std::size_t> index;
  for (const CompareRun& run : runs)
    for (const ResultRow& row : run.table.rows)
      if (index.emplace(row.cells[0], names.size()).second) names.push_back(row.cells[0]);
  c.measurements.resize(names.size());
  for (std::size_t i = 0; i < names.size(); ++i) {
    CompareMeasurement& m = c.measurements[i];
    m.name = names[i];
    m.values.resize(n);
    m.minimum.resize(n);
    m.maximum.resize(n);
    m.margins.resize(n);
    m.statuses.assign(n, Status::None);
  }
  for (std::size_t r = 0; r < n; ++r) {
    for (const ResultRow& row : runs[r].table.rows) {
      CompareMeasurement& m = c.measurements[index.at(row.cells[0])];
      // A name twice in one run: the first row counts.
      if (m.values[r] || m.statuses[r] != Status::None) continue;
      const Quantity value = siQuantity(row.cells[3]);
      const Quantity min = siQuantity(row.cells[1]);
      const Quantity max = siQuantity(row.cells[2]);
      m.values[r] = value.number;
      m.minimum[r] = min.number;
      m.maximum[r] = max.number;
      m.statuses[r] = row.status;
      m.margins[r] = marginOf(value.number, min.number, max.number);
      for (const Quantity* q : {&value, &min, &max})
        if (m.unit.isEmpty() && q->number) m.unit = q->unit;
    }
  }
  for (CompareMeasurement& m : c.measurements) {
    m.trend = trendOf(m, options);
    m.marginShrank = marginShrank(m, options);
  }
  c.runs = std::move(runs);
  return c;
}

std::optional<Comparison> compareResultFiles(const QStringList& paths,
                                             const CompareOptions& options, int language,
                                             QString* error, RunOrder order) {
  std::vector<CompareRun> runs;
  for (const QString& path : paths) {
    CompareRun run;
    if (!loadResultFile(path, language, run.table, error)) return std::nullopt;
    if (!holdsResult(run.table)) {
      if (error) *error = pick(comparetext::kNotAResult, language).arg(path);
      return std::nullopt;
    }
    // The reader has the date the result writes; the file's time stands in
    // only when it writes none.
    run.dateSource = run.table.date.isValid() ? DateSource::Result : DateSource::FileTime;
    run.date = run.table.date.isValid() ? run.table.date : QFileInfo(path).lastModified();
    runs.push_back(std::move(run));
  }
  return compareRuns(std::move(runs), options, error, language, order);
}

}  // namespace karvel
