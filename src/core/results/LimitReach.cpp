// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/results/LimitReach.h"

#include <cmath>

#include "core/results/CompareTexts.h"

namespace karvel {

namespace {

constexpr double kMsPerDay = 86400000.0;

// The latest limit with a number on the given side: limits may have been
// changed on the instrument, and the newest is the one that counts now.
std::optional<double> latestLimit(const std::vector<std::optional<double>>& limits) {
  for (auto it = limits.rbegin(); it != limits.rend(); ++it)
    if (*it && std::isfinite(**it)) return **it;
  return std::nullopt;
}

}  // namespace

std::optional<LimitReach> limitReach(const CompareMeasurement& m,
                                     const std::vector<QDateTime>& dates) {
  const std::size_t n = std::min(m.values.size(), dates.size());
  // Days are counted from the first dated value, so that the sums stay small.
  std::optional<QDateTime> origin;
  std::vector<double> xs, ys;
  QDateTime firstDate, lastDate;
  for (std::size_t i = 0; i < n; ++i) {
    if (!m.values[i] || !std::isfinite(*m.values[i]) || !dates[i].isValid()) continue;
    if (!origin) origin = dates[i];
    xs.push_back(double(origin->msecsTo(dates[i])) / kMsPerDay);
    ys.push_back(*m.values[i]);
    if (!firstDate.isValid() || dates[i] < firstDate) firstDate = dates[i];
    if (!lastDate.isValid() || dates[i] > lastDate) lastDate = dates[i];
  }
  const int points = int(xs.size());
  if (points < kLimitReachMinPoints) return std::nullopt;
  double meanX = 0, meanY = 0;
  for (int i = 0; i < points; ++i) {
    meanX += xs[std::size_t(i)];
    meanY += ys[std::size_t(i)];
  }
  meanX /= points;
  meanY /= points;
  double sxx = 0, sxy = 0, syy = 0;
  for (int i = 0; i < points; ++i) {
    const double dx = xs[std::size_t(i)] - meanX;
    const double dy = ys[std::size_t(i)] - meanY;
    sxx += dx * dx;
    sxy += dx * dy;
    syy += dy * dy;
  }
  // All on one date, or values that do not move: no line to extend.
  if (!(sxx > 0) || !(syy > 0)) return std::nullopt;
  const double slope = sxy / sxx;
  const double intercept = meanY - slope * meanX;
  const double rSquared = (sxy * sxy) / (sxx * syy);
  if (!std::isfinite(slope) || slope == 0 || !(rSquared >= kLimitReachMinFit)) return std::nullopt;
  const bool up = slope > 0;
  const std::optional<double> limit = latestLimit(up ? m.maximum : m.minimum);
  if (!limit) return std::nullopt;
  const double days = (*limit - intercept) / slope;
  if (!std::isfinite(days) ||
      days > double(origin->msecsTo(lastDate)) / kMsPerDay + kLimitReachMaxDays)
    return std::nullopt;
  LimitReach reach;
  // A crossing long before the first result (values far past the limit all
  // along) is still "already reached"; its date is kept within the results'.
  reach.date =
      origin->addMSecs(qint64(std::llround(std::max(days, -kLimitReachMaxDays) * kMsPerDay)));
  reach.towardsMaximum = up;
  reach.limit = *limit;
  reach.slopePerDay = slope;
  reach.from = firstDate;
  reach.to = lastDate;
  reach.valueAtFrom = intercept + slope * double(origin->msecsTo(firstDate)) / kMsPerDay;
  reach.rSquared = rSquared;
  reach.points = points;
  reach.alreadyReached = reach.date <= lastDate;
  return reach;
}

double LimitReach::valueAt(const QDateTime& when) const {
  return valueAtFrom + slopePerDay * double(from.msecsTo(when)) / kMsPerDay;
}

std::optional<LimitReach> limitReach(const Comparison& comparison, std::size_t index) {
  if (index >= comparison.measurements.size()) return std::nullopt;
  std::vector<QDateTime> dates;
  dates.reserve(comparison.runs.size());
  for (const CompareRun& run : comparison.runs) dates.push_back(run.date);
  return limitReach(comparison.measurements[index], dates);
}

QString limitReachText(const LimitReach& reach, int language) {
  const QString limit = pick(
      reach.towardsMaximum ? comparetext::kLimitMaximum : comparetext::kLimitMinimum, language);
  if (reach.alreadyReached) return pick(comparetext::kLimitReachPast, language).arg(limit);
  return pick(comparetext::kLimitReachOn, language)
      .arg(reach.date.date().toString(Qt::ISODate), limit);
}

QString limitReachMethodText(int language) {
  return pick(comparetext::kLimitReachMethod, language)
      .arg(QString::number(kLimitReachMinFit * 100, 'f', 0));
}

}  // namespace karvel
