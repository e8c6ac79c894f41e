// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/results/ToleranceBarDelegate.h"

#include <QFontMetricsF>
#include <QPainter>
#include <cmath>

#include "core/results/ToleranceBar.h"
#include "ui/results/ResultTableModel.h"

namespace karvel::ui {

ToleranceBarDelegate::ToleranceBarDelegate(const ResultTable& table, QObject* parent)
    : QStyledItemDelegate(parent), table_(table) {}

void ToleranceBarDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const {
  // The row's band and the selection first, as in every other cell.
  QStyledItemDelegate::paint(painter, option, index);
  if (!index.isValid() || index.row() < 0 || index.row() >= int(table_.rows.size())) return;
  const std::optional<ToleranceValues> values =
      toleranceValues(table_.rows[std::size_t(index.row())]);
  if (!values) return;
  const ToleranceBarLayout bar =
      layoutToleranceBar(QRectF(option.rect), QFontMetricsF(option.font).height(), *values);
  if (bar.band.width() <= 0) return;

  const QColor outline(kToleranceOutlineColour);
  QColor markerFill = statusColour(values->status);
  if (!markerFill.isValid()) markerFill = outline;

  painter->save();
  painter->setClipRect(option.rect);
  painter->setRenderHint(QPainter::Antialiasing, false);
  painter->setPen(Qt::NoPen);
  painter->setBrush(QColor(kToleranceBandColour));
  painter->drawRect(bar.band);
  painter->setBrush(QColor(kWarningZoneColour));
  if (bar.lowZone.width() > 0) painter->drawRect(bar.lowZone);
  if (bar.highZone.width() > 0) painter->drawRect(bar.highZone);
  painter->setBrush(Qt::NoBrush);
  painter->setPen(QPen(outline, 1));
  painter->drawRect(bar.band);

  painter->setBrush(markerFill);
  painter->drawRect(bar.marker);
  if (!bar.arrow.isEmpty()) {
    painter->setRenderHint(QPainter::Antialiasing, true);
    painter->drawPolygon(bar.arrow);
  }
  painter->restore();
}

QSize ToleranceBarDelegate::sizeHint(const QStyleOptionViewItem& option,
                                     const QModelIndex& index) const {
  const QSize base = QStyledItemDelegate::sizeHint(option, index);
  const QFontMetricsF metrics(option.font);
  // Room for a band long enough to read the value's place in it.
  return QSize(std::max(base.width(), int(std::ceil(metrics.height() * 9))),
               std::max(base.height(), int(std::ceil(metrics.height() + 4))));
}

}  // namespace karvel::ui
