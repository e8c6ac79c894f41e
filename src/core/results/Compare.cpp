// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/results/Compare.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <algorithm>
#include <cmath>

#include "core/frame/FreedMemory.h"
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

// Figures worked out from decimals as the instrument writes them are seldom
// exact in binary: 3.6 - 3.1 gives 0.5000000000000004, not 0.5. At the
// edges of the steady band and of the shrink share, a difference within a
// billionth of the figures is rounding, not a change.
bool sameFigure(double a, double b) {
  return std::fabs(a - b) <= 1e-9 * std::max(std::fabs(a), std::fabs(b));
}

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
  const double steady = options.steadyShare * scale;
  if (std::fabs(change) <= steady || sameFigure(std::fabs(change), steady)) return Trend::Steady;
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
  const double loss = (*first - *last) / *first;
  return loss > options.shrinkShare && !sameFigure(loss, options.shrinkShare);
}

}  // namespace

namespace {

// Adds run `r` of `n` to the measurements, which appear in the order they
// are first met, run after run; `index` finds a measurement by its name.
void addRow(Comparison& c, QHash<QString, std::size_t>& index, std::size_t r, std::size_t n,
            const ResultRow& row) {
  {
    auto found = index.constFind(row.cells[0]);
    if (found == index.constEnd()) {
      found = index.insert(row.cells[0], c.measurements.size());
      CompareMeasurement m;
      m.name = row.cells[0];
      m.values.resize(n);
      m.minimum.resize(n);
      m.maximum.resize(n);
      m.margins.resize(n);
      m.statuses.assign(n, Status::None);
      c.measurements.push_back(std::move(m));
    }
    CompareMeasurement& m = c.measurements[*found];
    // A name twice in one run: the first row counts.
    if (m.values[r] || m.statuses[r] != Status::None) return;
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

void addRun(Comparison& c, QHash<QString, std::size_t>& index, std::size_t r, std::size_t n,
            const ResultTable& table) {
  for (const ResultRow& row : table.rows) addRow(c, index, r, n, row);
}

void addTrends(Comparison& c, const CompareOptions& options) {
  for (CompareMeasurement& m : c.measurements) {
    m.trend = trendOf(m, options);
    m.marginShrank = marginShrank(m, options);
  }
}

// The runs (in the order given) that are not all of one bus: the message
// naming the first and the first that differs from it, else empty.
template <typename RunAt>
QString differentBuses(std::size_t n, RunAt runAt, int language) {
  const CompareRun& first = runAt(0);
  for (std::size_t i = 1; i < n; ++i) {
    const CompareRun& run = runAt(i);
    if (normalisedBus(run.table.busHeading) != normalisedBus(first.table.busHeading))
      return pick(comparetext::kDifferentBuses, language)
          .arg(pathFileName(first.table.sourcePath), first.table.busHeading,
               pathFileName(run.table.sourcePath), run.table.busHeading);
  }
  return {};
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
  if (const QString differ = differentBuses(
          runs.size(), [&](std::size_t i) -> const CompareRun& { return runs[i]; }, language);
      !differ.isEmpty()) {
    if (error) *error = differ;
    return std::nullopt;
  }
  if (order == RunOrder::ByDate)
    std::stable_sort(runs.begin(), runs.end(),
                     [](const CompareRun& a, const CompareRun& b) { return a.date < b.date; });
  Comparison c;
  c.order = order;
  c.bus = runs.front().table.busHeading;
  QHash<QString, std::size_t> index;
  for (std::size_t r = 0; r < runs.size(); ++r) addRun(c, index, r, runs.size(), runs[r].table);
  addTrends(c, options);
  c.runs = std::move(runs);
  return c;
}

std::optional<Comparison> compareResultFiles(const QStringList& paths,
                                             const CompareOptions& options, int language,
                                             QString* error, RunOrder order) {
  const std::size_t n = static_cast<std::size_t>(paths.size());
  // Fewer than two: nothing to order; read them for the right message.
  if (n < 2) {
    std::vector<CompareRun> runs;
    for (const QString& path : paths) {
      CompareRun run;
      if (!loadResultFile(path, language, run.table, error)) return std::nullopt;
      if (!holdsResult(run.table)) {
        if (error) *error = pick(comparetext::kNotAResult, language).arg(path);
        return std::nullopt;
      }
      runs.push_back(std::move(run));
    }
    return compareRuns(std::move(runs), options, error, language, order);
  }

  // Each run's date from the head of its file (all the reader looks at for
  // it), so that the files can be read whole one at a time in run order.
  std::vector<CompareRun> given(n);
  for (std::size_t i = 0; i < n; ++i) {
    const QString& path = paths[static_cast<qsizetype>(i)];
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
      ResultTable unread;
      loadResultFile(path, language, unread, error);  // says why in the reader's words
      return std::nullopt;
    }
    // Line ends at most halve the text: twice the head gives the head.
    const QByteArray head = resultTextFromBytes(file.read(2 * kResultDateHead + 16));
    const QDateTime written = resultDateIn(head);
    given[i].date = written.isValid() ? written : QFileInfo(path).lastModified();
    given[i].dateSource = written.isValid() ? DateSource::Result : DateSource::FileTime;
    given[i].table.sourcePath = path;
  }
  std::vector<std::size_t> runOrder(n);
  for (std::size_t i = 0; i < n; ++i) runOrder[i] = i;
  if (order == RunOrder::ByDate)
    std::stable_sort(runOrder.begin(), runOrder.end(),
                     [&](std::size_t a, std::size_t b) { return given[a].date < given[b].date; });

  Comparison c;
  c.order = order;
  QHash<QString, std::size_t> index;
  for (std::size_t r = 0; r < n; ++r) {
    CompareRun& run = given[runOrder[r]];
    const QString path = run.table.sourcePath;
    // Without rows kept, each row goes into the figures as it is read: the
    // run's rows are never all held.
    std::size_t rowsRead = 0;
    const ResultRowSink figures = [&](const ResultRow& row) {
      addRow(c, index, r, n, row);
      ++rowsRead;
    };
    if (!loadResultFile(path, language, run.table, error, nullptr,
                        options.keepRows ? ResultRowSink() : figures))
      return std::nullopt;
    if (!holdsResult(run.table) && rowsRead == 0) {
      if (error) *error = pick(comparetext::kNotAResult, language).arg(path);
      return std::nullopt;
    }
    if (options.keepRows) {
      addRun(c, index, r, n, run.table);
    } else {
      run.rowsReleased = true;
      returnFreedMemory();
    }
  }
  if (const QString differ = differentBuses(
          n, [&](std::size_t i) -> const CompareRun& { return given[i]; }, language);
      !differ.isEmpty()) {
    if (error) *error = differ;
    return std::nullopt;
  }
  addTrends(c, options);
  c.runs.reserve(n);
  for (std::size_t i : runOrder) c.runs.push_back(std::move(given[i]));
  c.bus = c.runs.front().table.busHeading;
  return c;
}

}  // namespace karvel
