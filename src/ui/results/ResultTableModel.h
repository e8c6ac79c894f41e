// SPDX-License-Identifier: GPL-3.0-or-later
// The columns of a results window's table over a ResultTable: status icon,
// the five texts as plain text, the 0xD0D0D0 band on odd rows and the status
// colour of the measurement cell; then the margin column, which holds no
// text (ToleranceBarDelegate draws its bar). What only shows (the status
// icon, the status colour, the bar, the two empty headings) is also given in
// words through the accessible roles, which screen readers read.
#pragma once

#include <QAbstractTableModel>
#include <QPixmap>
#include <QStringList>
#include <array>

#include "core/results/ResultTable.h"

namespace karvel::ui {

class ResultTableModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  static constexpr int kColumns = 7;
  static constexpr int kIconColumn = 0;     // column 1
  static constexpr int kMeasureColumn = 4;  // column 5, coloured by status
  static constexpr int kMarginColumn = 6;   // the tolerance bar, beside the file's five

  // `icons` in status order: green, red, yellow (a null pixmap shows nothing).
  // `language` is that of the words said for what only shows.
  ResultTableModel(const ResultTable& table, QStringList headings, std::array<QPixmap, 3> icons,
                   int language, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

 private:
  // The background the table paints under a cell; invalid where the
  // palette's own shows.
  QColor backgroundOf(int row, int column) const;
  // What a screen reader says of a cell (Qt::AccessibleTextRole); null where
  // the cell's own text says it.
  QString accessibleText(const ResultRow& row, int column) const;

  const ResultTable& table_;
  QStringList headings_;
  std::array<QPixmap, 3> icons_;
  int language_;
};

// The colour of a status (verdict field, measurement cell); invalid for None.
QColor statusColour(Status status);

// The band of odd rows (rows counted from 1).
inline constexpr unsigned kBandColour = 0xD0D0D0;

}  // namespace karvel::ui
