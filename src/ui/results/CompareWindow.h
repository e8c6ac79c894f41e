// SPDX-License-Identifier: GPL-3.0-or-later
// The comparison window: results of one bus side by side over time, one row
// per measurement (its values and margins run by run, trend, whether the
// margin shrank), and for the row selected a chart of its values over the
// runs on its tolerance band. Its File menu exports to a workbook, prints
// and closes.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <vector>

#include "core/frame/AppState.h"
#include "core/results/Compare.h"

class QTableWidget;
class QAction;
class QLabel;

QT_BEGIN_NAMESPACE
class QCategoryAxis;
class QChart;
class QChartView;
class QFont;
QT_END_NAMESPACE

namespace karvel::ui {

struct DisplayScale;

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

  // Runs > Move left / Move right: puts run `run` one place earlier (step
  // -1) or later (+1); from then on the runs keep the order the user gave,
  // and the trends and shrinking margins follow it. False (nothing changes)
  // when there is no such place.
  bool moveRun(std::size_t run, int step);
  // The run of the table's current column (its value or its margin), or -1.
  int currentRun() const;
  // The sentence above the table when some runs' dates are file times.
  QLabel* orderNote() const { return orderNote_; }

  // The table's columns: name, unit, one value per run (headed by its file,
  // its date and where the date came from), one margin per run, trend
  // (headed by what the order rests on, when not the results' own dates),
  // margin shrank, limit reached.
  int valueColumn(std::size_t run) const { return 2 + int(run); }
  int marginColumn(std::size_t run) const { return 2 + int(comparison_.runs.size() + run); }
  int trendColumn() const { return 2 + 2 * int(comparison_.runs.size()); }
  int shrankColumn() const { return trendColumn() + 1; }
  // When the values, moving as they have, reach a limit (LimitReach.h).
  int limitColumn() const { return shrankColumn() + 1; }

 protected:
  // Ctrl+Tab and Ctrl+Shift+Tab move on from any control, as Tab does.
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void buildMenu();
  void fillTable();
  void updateRunActions();
  void runHeaderMenu(const QPoint& at);
  QString chartDescription(const CompareMeasurement& m, const DisplayScale& scale) const;
  // Puts on the date axis the labels that fit `axisWidth` whole: every k-th
  // run's, the first and the last (runsLabelled, dateLabelStep). Again at
  // each width the chart takes.
  void thinDateLabels(qreal axisWidth);
  // Shows `chart` in the view and deletes the one it showed.
  void replaceChart(QChart* chart);
  // Widens the chart's margins where the first or the last date label,
  // `inset` pixels inside the plot area, would pass the chart's edge.
  void makeRoomForEndDates(const QString& first, const QString& last, qreal inset);

  AppState& state_;
  const int language_;  // the window keeps the language it was opened in
  Comparison comparison_;
  QTableWidget* table_ = nullptr;
  QChartView* chartView_ = nullptr;
  QLabel* orderNote_ = nullptr;
  QAction* moveLeft_ = nullptr;
  QAction* moveRight_ = nullptr;
  CompareOptions options_;
  QPointer<QCategoryAxis> dateAxis_;  // the chart's run axis
  QStringList dateLabels_;            // every run's label, in run order
  qreal datesThinnedFor_ = -1;        // the axis width the labels fit
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

// The runs whose dates the chart's axis shows with `step`: every step-th
// from the first, and the last, never closer than a step to the one before.
std::vector<int> runsLabelled(int runs, int step);
// The smallest step with which the dates of `labels` (every run's, in
// `font`, turned by `angle` degrees) fit whole on an axis `axisWidth`
// pixels wide: 1 when all fit, at most the step that leaves the first and
// the last.
int dateLabelStep(const QStringList& labels, const QFont& font, qreal angle, qreal axisWidth);

// Opens a comparison window for the result files at `paths`. A refusal
// (files of different buses, a file that cannot be read) is told through
// state.ui and opens nothing (nullptr).
CompareWindow* openComparison(AppState& state, const QStringList& paths);

// File > Compare results ...: asks for the result files, then openComparison.
// Nothing when the user chose no file.
CompareWindow* CompareResults(AppState& state);

}  // namespace karvel::ui
