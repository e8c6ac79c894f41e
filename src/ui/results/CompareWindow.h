// The comparison window: results of one bus side by side over time, one row
// per measurement (its values and margins run by run, trend, whether the
// margin shrank), and for the row selected a chart of its values over the
// runs on its tolerance band. Its File menu exports to a workbook, prints
// and closes.
#pragma once

#include <QMainWindow>

#include "core/frame/AppState.h"
#include "core/results/Compare.h"

class QTableWidget;
class QAction;

QT_BEGIN_NAMESPACE
class QChartView;
QT_END_NAMESPACE

namespace karvel::ui {

class CompareWindow : public QMainWindow {
  Q_OBJECT
 public:
  CompareWindow(AppState& state, Comparison comparison, QWidget* parent = nullptr);

  const Comparison& comparison() const { return comparison_; }
  QTableWidget* table() const { return table_; }
  QChartView* chartView() const { return chartView_; }

  // Shows measurement `row` (its table row) in the chart.
  void showMeasurement(int row);

  // The commands of the window's File menu.
  void exportWorkbook();
  void printWindow();

  // The table's columns: name, unit, one value per run, one margin per run,
  // trend, margin shrank.
  int valueColumn(std::size_t run) const { return 2 + int(run); }
  int marginColumn(std::size_t run) const { return 2 + int(comparison_.runs.size() + run); }
  int trendColumn() const { return 2 + 2 * int(comparison_.runs.size()); }
  int shrankColumn() const { return trendColumn() + 1; }

 private:
  void buildMenu();
  void fillTable();

  AppState& state_;
  const int language_;  // the window keeps the language it was opened in
  Comparison comparison_;
  QTableWidget* table_ = nullptr;
  QChartView* chartView_ = nullptr;
};

// The highlight of a margin that shrank.
inline constexpr unsigned kShrankColour = 0xFFB347;

// The value of `si` (in `unit`, a base unit or a ratio of two) written with
// the prefix that suits `largest` (the largest magnitude of the series it
// belongs to): the factor to multiply by and the unit to show ("µs").
struct DisplayScale {
  double factor = 1;
  QString unit;
};
DisplayScale displayScale(const QString& unit, double largest);

// Opens a comparison window for the result files at `paths`. A refusal
// (files of different buses, a file that cannot be read) is told through
// state.ui and opens nothing (nullptr).
CompareWindow* openComparison(AppState& state, const QStringList& paths);

// File > Compare results ...: asks for the result files, then openComparison.
// Nothing when the user chose no file.
CompareWindow* CompareResults(AppState& state);

}  // namespace karvel::ui
