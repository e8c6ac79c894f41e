// SPDX-License-Identifier: GPL-3.0-or-later
// When a measurement would reach its limit if it kept moving as it has: the
// least-squares line of its values over the result dates (in days), and the
// day that line crosses the limit it heads for. Said only when three or
// more results carry a value, on at least two different dates, and the line
// explains most of the variation (R² at or above kLimitReachMinFit).
#pragma once

#include <QDateTime>
#include <QString>
#include <optional>
#include <vector>

#include "core/results/Compare.h"

namespace karvel {

// The share of the variation the line must explain; below it the values
// scatter too much for a date to mean anything.
inline constexpr double kLimitReachMinFit = 0.8;
// Fewer values than this draw no line worth extending.
inline constexpr int kLimitReachMinPoints = 3;
// A crossing further away than this (about a century) is no forecast.
inline constexpr double kLimitReachMaxDays = 36525;

struct LimitReach {
  QDateTime date;  // when the line reaches the limit
  bool towardsMaximum = true;
  double limit = 0;        // the limit reached (the latest result's), base units
  double slopePerDay = 0;  // base units per day
  // The fitted line itself, for a chart to draw the line the date comes
  // from: its value on `from`, and the first and last dates it rests on.
  QDateTime from, to;
  double valueAtFrom = 0;
  double rSquared = 0;  // the share of the variation the line explains
  int points = 0;       // the values the line rests on
  // The line crossed the limit on or before the latest result's date: the
  // value is at or past it already, or the line says it should be.
  bool alreadyReached = false;

  // The line's value on `when` (base units).
  double valueAt(const QDateTime& when) const;
};

// The line through the values of `m` over `dates` (one per run, as
// m.values). Nothing when the values are too few or on one date, do not
// move, move away from the limits there are (or there is none on their
// side), scatter (R² below kLimitReachMinFit) or reach it too far away.
std::optional<LimitReach> limitReach(const CompareMeasurement& m,
                                     const std::vector<QDateTime>& dates);

// The same for measurement `index` of `comparison`, over its runs' dates.
std::optional<LimitReach> limitReach(const Comparison& comparison, std::size_t index);

// What a table cell says of it ("maximum around 2027-03-14", "minimum
// already reached"), and the footnote naming the method, in `language`.
QString limitReachText(const LimitReach& reach, int language);
QString limitReachMethodText(int language);

}  // namespace karvel
