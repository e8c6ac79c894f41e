// SPDX-License-Identifier: GPL-3.0-or-later
// The tolerance bar of a results row: where the band from the minimum to the
// maximum tolerance, its two warning zones and the marker of the measured
// value go inside a table cell. Geometry only, so that it is checked as
// rectangles, and one for every painter: the results window's
// ToleranceBarDelegate and the maintenance report's PDF both draw it.
#pragma once

#include <QPolygonF>
#include <QRectF>
#include <QString>
#include <optional>

#include "core/results/ResultTable.h"

namespace karvel {

// The numbers a bar needs, in base units (minimum below maximum).
struct ToleranceValues {
  double minimum = 0;
  double maximum = 0;
  double value = 0;
  Status status = Status::None;
};

// A row's limits and measured value read as numbers ("9.70 µs" as 9.7e-6 s).
// Nothing when one of the three is no number ("---"), their units differ, or
// the maximum is not above the minimum: such a row shows no bar.
std::optional<ToleranceValues> toleranceValues(const ResultRow& row);

// The share of the band each warning zone takes. A result file carries no
// warning limits, so the zones say what the row's status implies: 10 % at
// each end, widened until a yellow row's value lies inside a zone, narrowed
// until a green row's value lies outside both (by kZoneClearance either
// way). Never more than half the band, never below 0.
inline constexpr double kDefaultZoneShare = 0.10;
inline constexpr double kZoneClearance = 0.02;
double warningZoneShare(const ToleranceValues& values);

// The bar in words, for those who do not see it (screen readers, tooltips):
// the value, the band and the distance to the nearer limit as a share of the
// band ("2.51 V, band 2.00 V to 3.00 V, 49 % inside"), or how far beyond
// which limit the value lies. A row without a bar says why.
QString toleranceBarText(const ResultRow& row, int language);

// A share of the band in percent, as the bar's words and the report say
// it: whole numbers, but one decimal below 1 % so that a value just past a
// limit never reads "0 % above" ("49", "0.4", "-13").
QString percentText(double share);

// Which end a value beyond the band is held at.
enum class Clamp { None, Below, Above };

struct ToleranceBarLayout {
  QRectF band;         // the whole band; the minimum at its left edge
  QRectF lowZone;      // the warning zone at the minimum's end
  QRectF highZone;     // the warning zone at the maximum's end
  double markerX = 0;  // the value's place, held at the band's ends
  QRectF marker;       // centred on markerX, taller than the band
  Clamp clamp = Clamp::None;
  QPolygonF arrow;  // beyond the clamped end, pointing away; else empty
};

// Lays the bar out in `cell`. `lineHeight` is the font's line height: the
// bar, the marker and the room kept at both ends for an arrow grow with it.
// A cell too narrow for a band gives an empty band.
ToleranceBarLayout layoutToleranceBar(const QRectF& cell, double lineHeight,
                                      const ToleranceValues& values);

}  // namespace karvel
