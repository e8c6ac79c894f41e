// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/results/ToleranceBar.h"

#include <algorithm>
#include <cmath>

#include "core/results/Quantity.h"
#include "core/results/ResultTexts.h"

namespace karvel {

std::optional<ToleranceValues> toleranceValues(const ResultRow& row) {
  const Quantity min = siQuantity(row.cells[1]);
  const Quantity max = siQuantity(row.cells[2]);
  const Quantity value = siQuantity(row.cells[3]);
  if (!min.number || !max.number || !value.number) return std::nullopt;
  if (!std::isfinite(*min.number) || !std::isfinite(*max.number) || !std::isfinite(*value.number))
    return std::nullopt;
  if (!(*max.number > *min.number)) return std::nullopt;
  // A limit written without its unit ("0") still goes with the others.
  QString unit;
  for (const Quantity* q : {&min, &max, &value}) {
    if (q->unit.isEmpty()) continue;
    if (!unit.isEmpty() && q->unit != unit) return std::nullopt;
    unit = q->unit;
  }
  return ToleranceValues{*min.number, *max.number, *value.number, row.status};
}

namespace {

// Where the value lies along the band: 0 at the minimum, 1 at the maximum.
double placeInBand(const ToleranceValues& v) {
  return (v.value - v.minimum) / (v.maximum - v.minimum);
}

}  // namespace

QString percentText(double share) {
  const double percent = share * 100;
  if (percent != 0 && std::fabs(percent) < 0.95) return QString::number(percent, 'f', 1);
  return QString::number(std::round(percent), 'f', 0);
}

QString toleranceBarText(const ResultRow& row, int language) {
  const std::optional<ToleranceValues> values = toleranceValues(row);
  if (!values) return pick(resulttext::kBarNone, language);
  const double t = placeInBand(*values);
  const Text5* words = &resulttext::kBarInside;
  double share = std::min(t, 1.0 - t);
  if (t > 1) {
    words = &resulttext::kBarAbove;
    share = t - 1;
  } else if (t < 0) {
    words = &resulttext::kBarBelow;
    share = -t;
  }
  return pick(*words, language)
      .arg(row.cells[3].simplified(), row.cells[1].simplified(), row.cells[2].simplified(),
           percentText(share));
}

double warningZoneShare(const ToleranceValues& values) {
  const double t = placeInBand(values);
  const double fromNearerEnd = std::min(t, 1.0 - t);
  double share = kDefaultZoneShare;
  if (fromNearerEnd >= 0) {
    if (values.status == Status::Yellow)
      share = std::max(share, fromNearerEnd + kZoneClearance);
    else if (values.status == Status::Green)
      share = std::min(share, fromNearerEnd - kZoneClearance);
  }
  return std::clamp(share, 0.0, 0.5);
}

ToleranceBarLayout layoutToleranceBar(const QRectF& cell, double lineHeight,
                                      const ToleranceValues& values) {
  ToleranceBarLayout bar;
  const double h = std::max(lineHeight, 1.0);
  const double padding = std::round(h * 0.25);
  const double arrowRoom = std::round(h * 0.7);
  const double bandHeight = std::max(4.0, std::round(h * 0.5));
  const double markerWidth = std::max(5.0, std::round(h * 0.3));
  const double markerHeight = std::min(std::max(bandHeight + 4, std::round(h * 0.9)),
                                       std::max(cell.height() - 2, bandHeight));
  const double centreY = cell.center().y();

  const double left = cell.left() + padding + arrowRoom;
  const double right = cell.right() - padding - arrowRoom;
  if (right - left < markerWidth) {
    bar.band = QRectF(left, centreY - bandHeight / 2, 0, bandHeight);
    return bar;
  }
  bar.band = QRectF(left, centreY - bandHeight / 2, right - left, bandHeight);

  const double zone = warningZoneShare(values) * bar.band.width();
  bar.lowZone = QRectF(bar.band.left(), bar.band.top(), zone, bandHeight);
  bar.highZone = QRectF(bar.band.right() - zone, bar.band.top(), zone, bandHeight);

  double t = placeInBand(values);
  if (t < 0) {
    bar.clamp = Clamp::Below;
    t = 0;
  } else if (t > 1) {
    bar.clamp = Clamp::Above;
    t = 1;
  }
  bar.markerX = bar.band.left() + t * bar.band.width();
  bar.marker =
      QRectF(bar.markerX - markerWidth / 2, centreY - markerHeight / 2, markerWidth, markerHeight);

  // The arrow sits in the room beyond the band's end, clear of the marker.
  const double half = bandHeight * 0.8;
  if (bar.clamp == Clamp::Below) {
    const double base = bar.marker.left() - 1;
    const double tip = bar.band.left() - arrowRoom;
    bar.arrow << QPointF(base, centreY - half) << QPointF(tip, centreY)
              << QPointF(base, centreY + half);
  } else if (bar.clamp == Clamp::Above) {
    const double base = bar.marker.right() + 1;
    const double tip = bar.band.right() + arrowRoom;
    bar.arrow << QPointF(base, centreY - half) << QPointF(tip, centreY)
              << QPointF(base, centreY + half);
  }
  return bar;
}

}  // namespace karvel
