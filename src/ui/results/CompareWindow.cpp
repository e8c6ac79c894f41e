// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/results/CompareWindow.h"

#include <QAreaSeries>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineSeries>
#include <QMenu>
#include <QMenuBar>
#include <QScatterSeries>
#include <QScreen>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QValueAxis>
#include <QtMath>
#include <algorithm>
#include <cmath>

#include "core/frame/Interaction.h"
#include "core/frame/RecentFiles.h"
#include "core/results/CompareTexts.h"
#include "core/results/LimitReach.h"
#include "core/results/Quantity.h"
#include "core/results/ResultReader.h"
#include "core/results/ResultTexts.h"
#include "core/workbook/SheetExport.h"
#include "ui/frame/Colours.h"
#include "ui/frame/ScreenFit.h"
#include "ui/frame/WindowPrint.h"
#include "ui/results/ResultTableModel.h"
#include "ui/results/TableFocus.h"
#include "ui/results/ToleranceBarDelegate.h"

namespace karvel::ui {

namespace {

QString dateText(const CompareRun& run) { return resultDateText(run.date); }

// The decimals a value needs once scaled (at most six): 52.1 needs one.
int decimalsOf(double value) {
  QString text = QString::number(value, 'f', 6);
  while (text.endsWith(u'0')) text.chop(1);
  const qsizetype point = text.indexOf(u'.');
  return point < 0 ? 0 : int(text.size() - point - 1);
}

// The decimals that write every value of a measurement alike (52.1 and 53.0).
int decimalsFor(const CompareMeasurement& m, double factor) {
  int decimals = 0;
  for (const auto& v : m.values)
    if (v) decimals = std::max(decimals, decimalsOf(*v * factor));
  return decimals;
}

// Numbers as the instrument writes them: a point for the decimals, no exponent.
QString numberText(double value, int decimals) { return QString::number(value, 'f', decimals); }

QString marginText(double margin) {
  return QStringLiteral("%1 %").arg(QString::number(std::round(margin * 1000) / 10, 'f', 1));
}

QTableWidgetItem* textItem(const QString& text) {
  auto* item = new QTableWidgetItem(text);
  item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
  return item;
}

// The largest magnitude among a measurement's values and limits.
double largestOf(const CompareMeasurement& m) {
  double largest = 0;
  for (const auto* series : {&m.values, &m.minimum, &m.maximum})
    for (const auto& v : *series)
      if (v) largest = std::max(largest, std::fabs(*v));
  return largest;
}

// The room a date label takes along the axis: the text with the margins the
// chart draws around it, turned by the labels' angle, and the space the axis
// keeps on either side.
qreal dateLabelSpan(const QFontMetricsF& metrics, const QString& label, qreal angle) {
  constexpr qreal kTextMargin = 4;
  constexpr qreal kLabelPadding = 5;
  const qreal turn = qDegreesToRadians(angle);
  const qreal width = metrics.horizontalAdvance(label) + 2 * kTextMargin;
  const qreal height = metrics.height() + 2 * kTextMargin;
  return std::fabs(width * std::cos(turn)) + std::fabs(height * std::sin(turn)) + 2 * kLabelPadding;
}

}  // namespace

std::vector<int> runsLabelled(int runs, int step) {
  std::vector<int> shown;
  if (runs <= 0) return shown;
  step = std::max(step, 1);
  // Every step-th run from the first; the last closes the row, at least a
  // step after the one before it.
  for (int r = 0; r + step <= runs - 1; r += step) shown.push_back(r);
  shown.push_back(runs - 1);
  return shown;
}

int dateLabelStep(const QStringList& labels, const QFont& font, qreal angle, qreal axisWidth) {
  const int runs = int(labels.size());
  if (runs <= 2) return 1;
  const QFontMetricsF metrics(font);
  qreal widest = 0;
  for (const QString& label : labels)
    widest = std::max(widest, dateLabelSpan(metrics, label, angle));
  for (int step = 1; step < runs - 1; ++step) {
    // The axis gives each label an equal share of its width (one share more
    // than there are labels); a label that needs more is cut to "...".
    const qreal share = axisWidth / qreal(runsLabelled(runs, step).size() + 1);
    if (share >= widest) return step;
  }
  return runs - 1;  // the first and the last date only
}

DisplayScale displayScale(const QString& unit, double largest) {
  struct Prefix {
    const char16_t* text;
    int exponent;
  };
  static const Prefix prefixes[] = {{u"p", -12}, {u"n", -9}, {u"\u00B5", -6}, {u"m", -3},
                                    {u"", 0},    {u"k", 3},  {u"M", 6},       {u"G", 9}};
  if (!(largest > 0) || !std::isfinite(largest)) return {1, unit};
  // The prefix that writes the largest value with one to three digits.
  int exponent = int(std::floor(std::log10(largest) / 3)) * 3;
  exponent = std::clamp(exponent, -12, 9);
  QString shown;
  const qsizetype slash = unit.indexOf(u'/');
  if (isBaseUnit(unit) && !unit.contains(u'/')) {
    for (const Prefix& p : prefixes)
      if (p.exponent == exponent) shown = QString::fromUtf16(p.text) + unit;
    return {std::pow(10.0, -exponent), shown};
  }
  // A ratio such as V/s takes its prefix below the line: 1.9e6 V/s is 1.9 V/µs.
  if (slash > 0 && isBaseUnit(unit.left(slash)) && isBaseUnit(unit.mid(slash + 1))) {
    for (const Prefix& p : prefixes)
      if (p.exponent == -exponent)
        shown = unit.left(slash + 1) + QString::fromUtf16(p.text) + unit.mid(slash + 1);
    return {std::pow(10.0, -exponent), shown};
  }
  return {1, unit};
}

CompareWindow::CompareWindow(AppState& state, Comparison comparison, QWidget* parent)
    : QMainWindow(parent),
      state_(state),
      language_(state.language),
      comparison_(std::move(comparison)) {
  setAttribute(Qt::WA_DeleteOnClose);
  setObjectName(QStringLiteral("compareWindow"));
  setWindowTitle(pick(comparetext::kWindowTitle, language_) + QStringLiteral(" : ") +
                 comparison_.bus);

  auto* splitter = new QSplitter(Qt::Vertical, this);
  auto* top = new QWidget(splitter);
  auto* topLayout = new QVBoxLayout(top);
  topLayout->setContentsMargins(0, 0, 0, 0);
  orderNote_ = new QLabel(top);
  orderNote_->setObjectName(QStringLiteral("orderNote"));
  orderNote_->setTextFormat(Qt::PlainText);
  orderNote_->setWordWrap(true);
  orderNote_->setAutoFillBackground(true);
  orderNote_->setMargin(4);
  {
    QPalette palette = orderNote_->palette();
    palette.setColor(QPalette::Window, statusColour(Status::Yellow));
    palette.setColor(QPalette::WindowText, textColourOn(statusColour(Status::Yellow)));
    orderNote_->setPalette(palette);
  }
  topLayout->addWidget(orderNote_);
  table_ = new QTableWidget(top);
  topLayout->addWidget(table_);
  table_->setObjectName(QStringLiteral("compareTable"));
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->verticalHeader()->hide();
  table_->setAccessibleName(pick(comparetext::kTableName, language_));
  letTabLeave(*table_);
  // A run's column heading offers to move it.
  table_->horizontalHeader()->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(table_->horizontalHeader(), &QWidget::customContextMenuRequested, this,
          &CompareWindow::runHeaderMenu);
  chartView_ = new QChartView(splitter);
  chartView_->setObjectName(QStringLiteral("compareChart"));
  chartView_->setRenderHint(QPainter::Antialiasing);
  chartView_->setMinimumHeight(QFontMetrics(font()).height() * 14);
  // Tab stops on the chart, where a screen reader reads what it draws.
  chartView_->setFocusPolicy(Qt::StrongFocus);
  // Its drawing area hands its focus to the view: it is no second, nameless
  // control to a screen reader. (A policy set through a focus proxy would
  // reach the view, hence the proxy is set again afterwards.)
  QWidget* area = chartView_->viewport();
  area->setFocusProxy(nullptr);
  area->setFocusPolicy(Qt::NoFocus);
  area->setFocusProxy(chartView_);
  splitter->setStretchFactor(0, 1);
  splitter->setStretchFactor(1, 1);
  setCentralWidget(splitter);

  // The window fits the screen it opens on (sized first: the chart's date
  // axis goes by its width until the chart is laid out).
  QSize size(QFontMetrics(font()).averageCharWidth() * 160, QFontMetrics(font()).height() * 40);
  if (const QScreen* screen = QGuiApplication::primaryScreen())
    size = size.boundedTo(screen->availableGeometry().size() * 9 / 10);
  resize(size);

  buildMenu();
  fillTable();
  connect(table_, &QTableWidget::currentCellChanged, this, [this](int row, int, int oldRow, int) {
    if (row != oldRow) showMeasurement(row);
    updateRunActions();
  });
  if (table_->rowCount() > 0) {
    table_->selectRow(0);
    showMeasurement(0);
  } else {
    showMeasurement(-1);
  }
}

void CompareWindow::buildMenu() {
  auto menu = [this](const Text5& text) { return menuText(pick(text, language_)); };
  QMenu* file = menuBar()->addMenu(menu(comparetext::kFileMenu));
  file->setObjectName(QStringLiteral("menuFile"));
  QAction* exportItem = file->addAction(menu(comparetext::kExport));
  exportItem->setObjectName(QStringLiteral("actionExport"));
  connect(exportItem, &QAction::triggered, this, &CompareWindow::exportWorkbook);
  QAction* print = file->addAction(menu(comparetext::kPrint));
  print->setObjectName(QStringLiteral("actionPrint"));
  print->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
  connect(print, &QAction::triggered, this, &CompareWindow::printWindow);
  file->addSeparator();
  QAction* close = file->addAction(menu(comparetext::kClose));
  close->setObjectName(QStringLiteral("actionClose"));
  close->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_W));
  connect(close, &QAction::triggered, this, &QWidget::close);

  QMenu* runs = menuBar()->addMenu(menu(comparetext::kRunsMenu));
  runs->setObjectName(QStringLiteral("menuRuns"));
  moveLeft_ = runs->addAction(menu(comparetext::kMoveLeft));
  moveLeft_->setObjectName(QStringLiteral("actionMoveLeft"));
  moveLeft_->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Left));
  connect(moveLeft_, &QAction::triggered, this, [this] {
    if (currentRun() >= 0) moveRun(std::size_t(currentRun()), -1);
  });
  moveRight_ = runs->addAction(menu(comparetext::kMoveRight));
  moveRight_->setObjectName(QStringLiteral("actionMoveRight"));
  moveRight_->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Right));
  connect(moveRight_, &QAction::triggered, this, [this] {
    if (currentRun() >= 0) moveRun(std::size_t(currentRun()), +1);
  });
  connect(runs, &QMenu::aboutToShow, this, &CompareWindow::updateRunActions);
}

int CompareWindow::currentRun() const {
  const int column = table_->currentColumn();
  const int runs = int(comparison_.runs.size());
  if (column >= valueColumn(0) && column < valueColumn(0) + runs) return column - valueColumn(0);
  if (column >= marginColumn(0) && column < marginColumn(0) + runs) return column - marginColumn(0);
  return -1;
}

void CompareWindow::updateRunActions() {
  if (!moveLeft_) return;
  const int run = currentRun();
  moveLeft_->setEnabled(run > 0);
  moveRight_->setEnabled(run >= 0 && run + 1 < int(comparison_.runs.size()));
}

void CompareWindow::runHeaderMenu(const QPoint& at) {
  const int column = table_->horizontalHeader()->logicalIndexAt(at);
  if (column < 0) return;
  table_->setCurrentCell(std::max(0, table_->currentRow()), column);
  const int run = currentRun();
  if (run < 0) return;
  updateRunActions();
  QMenu menu(this);
  menu.addAction(moveLeft_);
  menu.addAction(moveRight_);
  menu.exec(table_->horizontalHeader()->mapToGlobal(at));
}

bool CompareWindow::moveRun(std::size_t run, int step) {
  const std::size_t n = comparison_.runs.size();
  if (step != -1 && step != 1) return false;
  if (run >= n || (step < 0 && run == 0) || (step > 0 && run + 1 >= n)) return false;
  const std::size_t to = step < 0 ? run - 1 : run + 1;
  std::vector<CompareRun> runs = comparison_.runs;
  std::swap(runs[run], runs[to]);
  QString error;
  std::optional<Comparison> again =
      compareRuns(std::move(runs), options_, &error, language_, RunOrder::Given);
  if (!again) return false;
  // The same measurement stays selected, and the moved run stays current so
  // that it can be moved on.
  const int row = table_->currentRow();
  const QString name = row >= 0 && row < int(comparison_.measurements.size())
                           ? comparison_.measurements[std::size_t(row)].name
                           : QString();
  const bool onMargin = table_->currentColumn() >= marginColumn(0) &&
                        table_->currentColumn() < marginColumn(0) + int(n);
  comparison_ = std::move(*again);
  fillTable();
  int newRow = table_->rowCount() > 0 ? 0 : -1;
  for (std::size_t i = 0; i < comparison_.measurements.size(); ++i)
    if (comparison_.measurements[i].name == name) newRow = int(i);
  if (newRow >= 0) {
    const QSignalBlocker quiet(table_);
    table_->setCurrentCell(newRow, onMargin ? marginColumn(to) : valueColumn(to));
  }
  showMeasurement(newRow);
  updateRunActions();
  return true;
}

void CompareWindow::fillTable() {
  const std::size_t runs = comparison_.runs.size();
  table_->setColumnCount(limitColumn() + 1);
  table_->setRowCount(int(comparison_.measurements.size()));
  QStringList headings = {pick(comparetext::kMeasurement, language_),
                          pick(comparetext::kUnit, language_)};
  for (const CompareRun& run : comparison_.runs)
    headings << pathFileName(run.table.sourcePath) + u'\n' + dateText(run) + u'\n' +
                    dateSourceText(run.dateSource, language_);
  for (const CompareRun& run : comparison_.runs)
    headings << pick(comparetext::kMargin, language_).arg(pathFileName(run.table.sourcePath)) +
                    u'\n' + dateText(run);
  // What the trends rest on, beside them, when not the results' own dates.
  const QString note = trendNote(comparison_, language_);
  headings << pick(comparetext::kTrend, language_) + (note.isEmpty() ? QString() : u'\n' + note)
           << pick(comparetext::kMarginShrank, language_)
           << pick(comparetext::kLimitReachHeading, language_);
  table_->setHorizontalHeaderLabels(headings);
  table_->horizontalHeaderItem(limitColumn())->setToolTip(limitReachMethodText(language_));
  // A date that is only a file's time stands out in its heading.
  for (std::size_t run = 0; run < runs; ++run) {
    QFont font = table_->font();
    font.setItalic(comparison_.runs[run].dateSource == DateSource::FileTime);
    table_->horizontalHeaderItem(valueColumn(run))->setFont(font);
  }
  orderNote_->setText(pick(comparetext::kFileTimesWarning, language_));
  orderNote_->setVisible(orderBasis(comparison_) == OrderBasis::FileTimes);

  for (int r = 0; r < table_->rowCount(); ++r) {
    const CompareMeasurement& m = comparison_.measurements[std::size_t(r)];
    const DisplayScale scale = displayScale(m.unit, largestOf(m));
    const int decimals = decimalsFor(m, scale.factor);
    table_->setItem(r, 0, textItem(m.name));
    table_->setItem(r, 1, textItem(scale.unit));
    for (std::size_t run = 0; run < runs; ++run) {
      // A run without the measurement (or without a number for it) leaves a gap.
      QTableWidgetItem* value =
          textItem(m.values[run] ? numberText(*m.values[run] * scale.factor, decimals) : QString());
      value->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      // The status of the run, as its results window shows it, and in words
      // for those who do not see the colour.
      if (const QColor colour = statusColour(m.statuses[run]); colour.isValid() && m.values[run]) {
        value->setBackground(colour);
        value->setForeground(textColourOn(colour));
        const QString status = statusText(m.statuses[run], language_);
        value->setData(Qt::AccessibleTextRole, value->text() + QStringLiteral(", ") + status);
        value->setToolTip(status);
      }
      table_->setItem(r, valueColumn(run), value);
      QTableWidgetItem* margin = textItem(m.margins[run] ? marginText(*m.margins[run]) : QString());
      margin->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      table_->setItem(r, marginColumn(run), margin);
    }
    table_->setItem(r, trendColumn(), textItem(trendText(m.trend, language_)));
    QTableWidgetItem* shrank =
        textItem(m.marginShrank ? pick(comparetext::kYes, language_) : QString());
    if (m.marginShrank) {
      shrank->setBackground(QColor(kShrankColour));
      shrank->setForeground(textColourOn(QColor(kShrankColour)));
      QFont bold = shrank->font();
      bold.setBold(true);
      shrank->setFont(bold);
      table_->item(r, 0)->setFont(bold);
    }
    table_->setItem(r, shrankColumn(), shrank);
    const std::optional<LimitReach> reach = limitReach(comparison_, std::size_t(r));
    QTableWidgetItem* limit = textItem(reach ? limitReachText(*reach, language_) : QString());
    if (reach) limit->setToolTip(limitReachMethodText(language_));
    table_->setItem(r, limitColumn(), limit);
  }
  table_->resizeColumnsToContents();
  table_->horizontalHeader()->setStretchLastSection(true);
}

// What the chart draws, run by run, for a screen reader: the date, the
// value with its status, and the band.
QString CompareWindow::chartDescription(const CompareMeasurement& m,
                                        const DisplayScale& scale) const {
  const int decimals = decimalsFor(m, scale.factor);
  // Limits take at least the values' decimals: "51.0 to 53.2" as the band shows.
  auto withUnit = [&](double v, int places) {
    const QString number =
        numberText(v * scale.factor, std::max(places, decimalsOf(v * scale.factor)));
    return scale.unit.isEmpty() ? number : number + u' ' + scale.unit;
  };
  QStringList parts;
  for (std::size_t r = 0; r < comparison_.runs.size(); ++r) {
    QString what = pick(comparetext::kChartNoValue, language_);
    if (r < m.values.size() && m.values[r]) {
      what = withUnit(*m.values[r], decimals) + QStringLiteral(", ") +
             statusText(m.statuses[r], language_);
    }
    if (r < m.minimum.size() && m.minimum[r] && m.maximum[r]) {
      what += QStringLiteral(", ") +
              pick(comparetext::kChartBand, language_)
                  .arg(withUnit(*m.minimum[r], decimals), withUnit(*m.maximum[r], decimals));
    }
    parts << pick(comparetext::kChartRun, language_).arg(dateText(comparison_.runs[r]), what);
  }
  return pick(comparetext::kChartRuns, language_)
      .arg(m.name, QString::number(comparison_.runs.size()), parts.join(QStringLiteral("; ")));
}

void CompareWindow::showMeasurement(int row) {
  auto* chart = new QChart;
  chart->legend()->hide();
  chart->setBackgroundRoundness(0);
  if (row < 0 || row >= int(comparison_.measurements.size())) {
    replaceChart(chart);
    chartView_->setAccessibleName(pick(comparetext::kChartEmpty, language_));
    chartView_->setAccessibleDescription(QString());
    return;
  }
  const CompareMeasurement& m = comparison_.measurements[std::size_t(row)];
  const DisplayScale scale = displayScale(m.unit, largestOf(m));
  const int runs = int(comparison_.runs.size());
  chartView_->setAccessibleName(pick(comparetext::kChartName, language_).arg(m.name));
  chartView_->setAccessibleDescription(chartDescription(m, scale));
  chart->setTitle(m.name);

  auto* xAxis = new QCategoryAxis;
  xAxis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
  xAxis->setStartValue(-0.5);
  // Each run by its date (the table's headings name the files); an axis
  // takes a label once only, so a date seen before takes the run's number.
  dateLabels_.clear();
  for (int r = 0; r < runs; ++r) {
    QString label = dateText(comparison_.runs[std::size_t(r)]);
    if (dateLabels_.contains(label)) label += QStringLiteral(" (%1)").arg(r + 1);
    dateLabels_ << label;
  }
  // The dates lie level: turned, they would take hardly less width and much
  // more height.
  dateAxis_ = xAxis;
  datesThinnedFor_ = -1;
  // Until the chart is laid out, the window's width stands for the axis's.
  thinDateLabels(std::max(chartView_->width(), width()) * 0.8);
  connect(
      chart, &QChart::plotAreaChanged, this,
      [this, chart] {
        if (chartView_->chart() == chart) thinDateLabels(chart->plotArea().width());
      },
      Qt::QueuedConnection);
  auto* yAxis = new QValueAxis;
  yAxis->setTitleText(scale.unit);
  chart->addAxis(xAxis, Qt::AlignBottom);
  chart->addAxis(yAxis, Qt::AlignLeft);
  auto attach = [&](QAbstractSeries* series) {
    chart->addSeries(series);
    series->attachAxis(xAxis);
    series->attachAxis(yAxis);
  };
  double low = INFINITY, high = -INFINITY;
  auto widen = [&](double v) {
    low = std::min(low, v);
    high = std::max(high, v);
  };

  // The band of each run spans its place on the axis; runs without both
  // limits break it.
  for (int r = 0; r < runs;) {
    if (!m.minimum[std::size_t(r)] || !m.maximum[std::size_t(r)]) {
      ++r;
      continue;
    }
    auto* upper = new QLineSeries;
    auto* lower = new QLineSeries;
    for (; r < runs && m.minimum[std::size_t(r)] && m.maximum[std::size_t(r)]; ++r) {
      const double min = *m.minimum[std::size_t(r)] * scale.factor;
      const double max = *m.maximum[std::size_t(r)] * scale.factor;
      upper->append(r - 0.5, max);
      upper->append(r + 0.5, max);
      lower->append(r - 0.5, min);
      lower->append(r + 0.5, min);
      widen(min);
      widen(max);
    }
    auto* band = new QAreaSeries(upper, lower);
    // The area uses its two lines but does not own them.
    upper->setParent(band);
    lower->setParent(band);
    band->setObjectName(QStringLiteral("toleranceBand"));
    band->setColor(QColor(kToleranceBandColour));
    band->setBorderColor(QColor(kToleranceBandColour).darker(130));
    attach(band);
  }

  // The values, joined run to run; a run without one breaks the line.
  for (int r = 0; r < runs;) {
    if (!m.values[std::size_t(r)]) {
      ++r;
      continue;
    }
    auto* line = new QLineSeries;
    line->setObjectName(QStringLiteral("valueLine"));
    for (; r < runs && m.values[std::size_t(r)]; ++r)
      line->append(r, *m.values[std::size_t(r)] * scale.factor);
    QPen pen(QColor(0x1F4E9A));
    pen.setWidthF(2);
    line->setPen(pen);
    attach(line);
  }
  // Each value as a point in its run's status colour.
  auto* points = new QScatterSeries;
  points->setObjectName(QStringLiteral("valuePoints"));
  points->setMarkerSize(QFontMetrics(font()).height() * 0.7);
  points->setPen(QPen(QColor(kToleranceOutlineColour)));
  for (int r = 0; r < runs; ++r) {
    if (!m.values[std::size_t(r)]) continue;
    const double v = *m.values[std::size_t(r)] * scale.factor;
    points->append(r, v);
    widen(v);
  }
  attach(points);
  for (int i = 0, r = 0; r < runs; ++r) {
    if (!m.values[std::size_t(r)]) continue;
    QColor colour = statusColour(m.statuses[std::size_t(r)]);
    if (!colour.isValid()) colour = QColor(kToleranceOutlineColour);
    points->setPointConfiguration(i++, {{QXYSeries::PointConfiguration::Color, colour}});
  }

  if (!std::isfinite(low)) low = 0, high = 1;
  const double pad = high > low ? (high - low) * 0.1 : std::max(std::fabs(high) * 0.1, 1.0);
  yAxis->setRange(low - pad, high + pad);
  yAxis->applyNiceNumbers();
  replaceChart(chart);
}

void CompareWindow::replaceChart(QChart* chart) {
  // The view owns the chart it shows but only lets go of the one before.
  QChart* before = chartView_->chart();
  chartView_->setChart(chart);
  if (before != chart) delete before;
}

void CompareWindow::thinDateLabels(qreal axisWidth) {
  if (!dateAxis_ || dateLabels_.isEmpty() || axisWidth <= 0) return;
  // Once for each width: the labels' new place changes the plot area again.
  if (std::fabs(axisWidth - datesThinnedFor_) < 1) return;
  datesThinnedFor_ = axisWidth;
  const int runs = int(dateLabels_.size());
  const std::vector<int> shown = runsLabelled(
      runs,
      dateLabelStep(dateLabels_, dateAxis_->labelsFont(), dateAxis_->labelsAngle(), axisWidth));
  QStringList wanted;
  for (int r : shown) wanted << dateLabels_[r];
  makeRoomForEndDates(wanted.first(), wanted.last(), axisWidth / (2 * runs));
  if (wanted == dateAxis_->categoriesLabels()) return;
  for (const QString& label : dateAxis_->categoriesLabels()) dateAxis_->remove(label);
  for (int r : shown) dateAxis_->append(dateLabels_[r], r);
  dateAxis_->setRange(-0.5, runs - 0.5);
}

void CompareWindow::makeRoomForEndDates(const QString& first, const QString& last, qreal inset) {
  // The first and the last date stand half a run inside the plot area; what
  // of them reaches further needs the chart's margin on that side, or the
  // view cuts it off.
  QChart* chart = chartView_->chart();
  const QRectF plot = chart->plotArea();
  if (!dateAxis_ || plot.isEmpty()) return;
  const QFontMetricsF metrics(dateAxis_->labelsFont());
  const qreal angle = dateAxis_->labelsAngle();
  auto beyond = [&](const QString& label) {
    return dateLabelSpan(metrics, label, angle) / 2 - inset;
  };
  QMargins margins = chart->margins();
  const qreal leftShort = beyond(first) - plot.left();
  const qreal rightShort = beyond(last) - (chart->size().width() - plot.right());
  if (leftShort > 0) margins.setLeft(margins.left() + int(std::ceil(leftShort)));
  if (rightShort > 0) margins.setRight(margins.right() + int(std::ceil(rightShort)));
  if (margins != chart->margins()) chart->setMargins(margins);
}

// The workbook of the runs with the comparison sheet first, saved where the
// user says; an existing file is replaced only after a Yes.
void CompareWindow::exportWorkbook() {
  if (!state_.ui) return;
  // Its questions belong to this window, which stays in front.
  DialogOwner owner(*state_.ui, this);
  FileRequest request;
  request.folder = state_.workingDir;
  request.pattern = QStringLiteral("*.xlsx");
  request.types = {QStringLiteral("Workbook (*.xlsx)")};
  request.defaultFile = pick(comparetext::kSheetName, language_) + QStringLiteral(".xlsx");
  request.title = pick(comparetext::kExport, language_).remove(QStringLiteral("__"));
  request.confirm = FileRequest::Confirm::Save;
  request.forceExtension = true;
  for (;;) {
    const FileChoice choice = state_.ui->chooseFile(request);
    if (choice.kind == FileChoice::Kind::None) return;
    if (choice.kind == FileChoice::Kind::Existing) {
      const int answer =
          state_.ui->ask(pick(excel::kQuestionTitle, language_), pick(excel::kQuestion, language_),
                         {pick(excel::kYes, language_), pick(excel::kNo, language_)}, 1, 1);
      if (answer != 0) continue;
    }
    QString error;
    bool written = false;
    {
      BusyCursor busy(*state_.ui);
      written = exportComparison(templatePath(state_.programDir), comparison_, language_,
                                 choice.path, &error);
    }
    if (written)
      state_.ui->message(pick(comparetext::kWindowTitle, language_),
                         pick(comparetext::kSaved, language_).arg(choice.path));
    else
      state_.ui->message(pick(resulttext::kErrorWord, language_), error);
    return;
  }
}

void CompareWindow::printWindow() {
  if (!state_.ui) return;
  // The print is named like the comparison's sheet, beside the latest run:
  // the window's title holds the bus, whose "/" and ":" make no file name.
  PrintChoice choice;
  const QString latest =
      comparison_.runs.empty() ? QString() : comparison_.runs.back().table.sourcePath;
  const QString folder = QFileInfo(QDir::fromNativeSeparators(latest)).absolutePath();
  nameAfterFile(choice, QDir(folder).filePath(pick(comparetext::kSheetName, language_) + ".pdf"));
  DialogOwner owner(*state_.ui, this);
  if (!state_.ui->choosePrinter(choice)) return;
  if (!ui::printWindow(*this, choice)) {
    state_.ui->message(pick(resulttext::kErrorWord, language_),
                       pick(resulttext::kCannotPrint, language_).arg(printTargetName(choice)));
  }
}

void CompareWindow::keyPressEvent(QKeyEvent* event) {
  if (const std::optional<bool> next = ctrlTabDirection(*event)) {
    focusNextPrevChild(*next);
    return;
  }
  QMainWindow::keyPressEvent(event);
}

CompareWindow* openComparison(AppState& state, const QStringList& paths) {
  QString error;
  std::optional<Comparison> comparison;
  {
    BusyCursor busy(*state.ui);
    comparison = compareResultFiles(paths, CompareOptions{}, state.language, &error);
  }
  if (!comparison) {
    state.ui->message(pick(resulttext::kErrorWord, state.language), error);
    return nullptr;
  }
  auto* window = new CompareWindow(state, std::move(*comparison));
  QObject::connect(qApp, &QCoreApplication::aboutToQuit, window, &QWidget::close);
  keepOnScreen(*window);
  window->show();
  return window;
}

CompareWindow* CompareResults(AppState& state) {
  if (!state.ui) return nullptr;
  FileRequest request;
  const UserMemory memory = loadUserMemory(userMemoryPath(state.settingsPath));
  if (!memory.lastFolder.isEmpty() && QFileInfo(memory.lastFolder).isDir())
    request.folder = memory.lastFolder;
  request.pattern = QStringLiteral("*.HTM");
  request.types = {QStringLiteral("HTM files (*.HTM)")};
  request.title = pick(comparetext::kChooseFiles, state.language);
  request.confirm = FileRequest::Confirm::Load;
  const QStringList paths = state.ui->chooseFiles(request);
  if (paths.isEmpty()) return nullptr;
  return openComparison(state, paths);
}

}  // namespace karvel::ui
