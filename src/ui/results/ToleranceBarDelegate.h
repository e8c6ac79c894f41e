// SPDX-License-Identifier: GPL-3.0-or-later
// Paints the tolerance bar of each results row (see ToleranceBar.h) in the
// margin column: the band, its warning zones, and the marker of the measured
// value in the row's status colour, with an arrow when the value lies beyond
// the band. Rows without numbers keep an empty cell.
#pragma once

#include <QStyledItemDelegate>

#include "core/results/ResultTable.h"

namespace karvel::ui {

class ToleranceBarDelegate : public QStyledItemDelegate {
  Q_OBJECT
 public:
  // `table` outlives the delegate (both belong to the results window).
  explicit ToleranceBarDelegate(const ResultTable& table, QObject* parent = nullptr);

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

 private:
  const ResultTable& table_;
};

// The colours of the bar beside the status colours of the markers.
inline constexpr unsigned kToleranceBandColour = 0xCFE8D0;
inline constexpr unsigned kWarningZoneColour = 0xF0B84A;
inline constexpr unsigned kToleranceOutlineColour = 0x505050;

}  // namespace karvel::ui
