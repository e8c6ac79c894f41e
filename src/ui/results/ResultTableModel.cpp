// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/results/ResultTableModel.h"

#include <QColor>

#include "core/results/ResultTexts.h"
#include "core/results/ToleranceBar.h"
#include "ui/frame/Colours.h"

namespace karvel::ui {

QColor statusColour(Status status) {
  const int rgb = statusRgb(status);
  return rgb < 0 ? QColor() : QColor(QRgb(rgb));
}

ResultTableModel::ResultTableModel(const ResultTable& table, QStringList headings,
                                   std::array<QPixmap, 3> icons, int language, QObject* parent)
    : QAbstractTableModel(parent),
      table_(table),
      headings_(std::move(headings)),
      icons_(std::move(icons)),
      language_(language) {}

int ResultTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : int(table_.rows.size());
}

int ResultTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumns;
}

QVariant ResultTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= int(table_.rows.size())) return {};
  const ResultRow& row = table_.rows[std::size_t(index.row())];
  const int column = index.column();
  switch (role) {
    case Qt::DisplayRole:
      if (column >= 1 && column <= int(row.cells.size())) return row.cells[std::size_t(column - 1)];
      return {};
    case Qt::DecorationRole:
      if (column == kIconColumn && row.status != Status::None) {
        const QPixmap& icon = icons_[std::size_t(row.status)];
        if (!icon.isNull()) return icon;
      }
      return {};
    case Qt::BackgroundRole: {
      const QColor background = backgroundOf(index.row(), column);
      return background.isValid() ? QVariant(background) : QVariant();
    }
    case Qt::ForegroundRole: {
      // Text on a background of our own reads whatever the palette; on the
      // palette's own background the palette's text colour stays.
      const QColor background = backgroundOf(index.row(), column);
      return background.isValid() ? QVariant(textColourOn(background)) : QVariant();
    }
    case Qt::TextAlignmentRole:
      return int(Qt::AlignLeft | Qt::AlignVCenter);
    case Qt::AccessibleTextRole: {
      const QString text = accessibleText(row, column);
      return text.isNull() ? QVariant() : QVariant(text);
    }
    case Qt::AccessibleDescriptionRole:
      // The measurement's colour is its status; the bar needs its key.
      if (column == kMeasureColumn && row.status != Status::None)
        return statusText(row.status, language_);
      if (column == kMarginColumn) return pick(resulttext::kBarDescription, language_);
      return {};
    case Qt::ToolTipRole:
      // The icon and the bar tell the mouse too what they tell a screen reader.
      if (column == kIconColumn || column == kMarginColumn) return accessibleText(row, column);
      return {};
    default:
      return {};
  }
}

QString ResultTableModel::accessibleText(const ResultRow& row, int column) const {
  if (column == kIconColumn) return statusText(row.status, language_);
  if (column == kMarginColumn) return toleranceBarText(row, language_);
  // An empty cell on a banded row would otherwise be said as nothing at all.
  if (column >= 1 && column <= int(row.cells.size()) &&
      row.cells[std::size_t(column - 1)].trimmed().isEmpty())
    return pick(resulttext::kEmptyCell, language_);
  return {};
}

QColor ResultTableModel::backgroundOf(int row, int column) const {
  const Status status = table_.rows[std::size_t(row)].status;
  // The status colour of the measurement cell is laid over the band.
  if (column == kMeasureColumn && status != Status::None) return statusColour(status);
  if (row % 2 == 0) return QColor(kBandColour);  // rows 1, 3, 5, ...
  return {};
}

QVariant ResultTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation == Qt::Horizontal && role == Qt::DisplayRole) {
    return section >= 0 && section < headings_.size() ? headings_[section] : QString();
  }
  // The status and name columns show no heading, but are named to a screen
  // reader; the others are read as shown.
  if (orientation == Qt::Horizontal && role == Qt::AccessibleTextRole) {
    if (section == kIconColumn) return pick(resulttext::kColumnStatus, language_);
    if (section == 1) return pick(resulttext::kColumnName, language_);
    return section >= 0 && section < headings_.size() ? headings_[section] : QString();
  }
  return QAbstractTableModel::headerData(section, orientation, role);
}

}  // namespace karvel::ui
