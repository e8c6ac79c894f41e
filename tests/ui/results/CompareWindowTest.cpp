// SPDX-License-Identifier: GPL-3.0-or-later
// The comparison window over result files written for the test: the table
// (values per run, gaps, margins, trend, the shrink flag), the chart of the
// selected measurement on its tolerance band, the refusal of mixed buses,
// File > Compare results ... of the main window, and the window's own menu.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QAreaSeries>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QGraphicsScene>
#include <QGraphicsTextItem>
#include <QImage>
#include <QJsonObject>
#include <QLabel>
#include <QLineSeries>
#include <QMenu>
#include <QPointer>
#include <QScatterSeries>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtMath>
#include <algorithm>

#include "core/frame/AppState.h"
#include "support/ExportFixtures.h"
#include "support/ScriptedInteraction.h"
#include "support/WorkbookReader.h"
#include "ui/frame/Features.h"
#include "ui/frame/MainWindow.h"
#include "ui/results/CompareWindow.h"
#include "ui/results/ToleranceBarDelegate.h"
#include "ui_MainWindow.h"

using namespace karvel;
using namespace karvel::ui;

namespace {

struct Row {
  const char* name;
  const char* min;
  const char* max;
  const char* value;
  const char* status;
};

class CompareWindowTest : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  test::ScriptedInteraction ui;
  AppState state;
  QList<QPointer<CompareWindow>> windows;

  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    state.ui = &ui;
    state.programDir = QStringLiteral(KARVEL_APPDIR);
    state.settingsPath = dir.filePath("karvel.ini");
  }
  void TearDown() override {
    for (const QPointer<CompareWindow>& w : windows)
      if (w) w->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  // A titled result file of `bus` written on `date`.
  QString result(const QString& name, const char* bus, const char* date,
                 const std::vector<Row>& rows) {
    QByteArray page =
        "<HTML><HEAD><TITLE>TarvikIV - Bus diagnostic result</TITLE></HEAD><BODY>"
        "<H1>" +
        QByteArray(bus) +
        "</H1><H3>LIN</H3><H2 class=\"green\">Diagnostic : GOOD</H2>"
        "<P>Date : " +
        QByteArray(date) + "</P><TABLE><TBODY>\n";
    for (const Row& r : rows)
      page += QByteArray("<TR class=\"row\"><TD>") + r.name + "</TD><TD>" + r.min + "</TD><TD>" +
              r.max + "</TD><TD class=\"" + r.status + "\">" + r.value + "</TD><TD>0 %</TD></TR>\n";
    page += "</TBODY></TABLE></BODY></HTML>";
    const QString path = dir.filePath(name);
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(page.replace("µ", "\xB5"));  // the instrument writes Windows-1252
    return path;
  }

  // Three runs of one LIN bus, given latest first: the bit time creeps to
  // its upper limit; the dominant level is missing from the middle run.
  QStringList threeRuns() {
    const char* bus = "LIN - 19200 bit/s";
    return {result("c.HTM", bus, "2026-03-20 09:00",
                   {{"Bit time", "51.0 µs", "53.2 µs", "52.9 µs", "yellow"},
                    {"Dominant level", "0.00 V", "2.40 V", "0.95 V", "green"}}),
            result("a.HTM", bus, "2026-03-01 09:00",
                   {{"Bit time", "51.0 µs", "53.2 µs", "52.1 µs", "green"},
                    {"Dominant level", "0.00 V", "2.40 V", "0.92 V", "green"}}),
            result("b.HTM", bus, "2026-03-10 09:00",
                   {{"Bit time", "51.0 µs", "53.2 µs", "52.5 µs", "green"}})};
  }

  CompareWindow* open(const QStringList& paths) {
    CompareWindow* w = openComparison(state, paths);
    windows.append(w);
    return w;
  }

  static int rowOf(CompareWindow* w, const QString& name) {
    for (int r = 0; r < w->table()->rowCount(); ++r)
      if (w->table()->item(r, 0)->text() == name) return r;
    return -1;
  }
  static QString text(CompareWindow* w, int row, int column) {
    const QTableWidgetItem* item = w->table()->item(row, column);
    return item ? item->text() : QString();
  }
  template <typename T>
  static QList<T*> seriesOf(CompareWindow* w, const char* name) {
    QList<T*> found;
    for (QAbstractSeries* s : w->chartView()->chart()->series())
      if (auto* t = qobject_cast<T*>(s); t && s->objectName() == name) found << t;
    return found;
  }
};

}  // namespace

TEST_F(CompareWindowTest, TableHoldsTheRunsInDateOrderWithGapsMarginsAndTrends) {
  CompareWindow* w = open(threeRuns());
  ASSERT_NE(w, nullptr) << ui.lastMessage().toStdString();
  EXPECT_TRUE(ui.messages.isEmpty());
  EXPECT_TRUE(w->isVisible());
  EXPECT_EQ(w->windowTitle(), "Comparison of results : LIN - 19200 bit/s");
  QTableWidget* t = w->table();
  ASSERT_EQ(t->columnCount(), 2 + 3 + 3 + 3);
  EXPECT_EQ(t->horizontalHeaderItem(0)->text(), "Measurement");
  EXPECT_EQ(t->horizontalHeaderItem(1)->text(), "Unit");
  // Each run's heading says where its date came from.
  EXPECT_EQ(t->horizontalHeaderItem(w->valueColumn(0))->text(),
            "a.HTM\n2026-03-01 09:00\ndate in the result");
  EXPECT_EQ(t->horizontalHeaderItem(w->valueColumn(2))->text(),
            "c.HTM\n2026-03-20 09:00\ndate in the result");
  EXPECT_EQ(t->horizontalHeaderItem(w->marginColumn(1))->text(), "Margin b.HTM\n2026-03-10 09:00");
  EXPECT_EQ(t->horizontalHeaderItem(w->trendColumn())->text(), "Trend");
  EXPECT_EQ(t->horizontalHeaderItem(w->shrankColumn())->text(), "Margin shrank");

  const int bit = rowOf(w, "Bit time");
  ASSERT_GE(bit, 0);
  EXPECT_EQ(text(w, bit, 1), QString::fromUtf8("µs"));
  EXPECT_EQ(text(w, bit, w->valueColumn(0)), "52.1");
  EXPECT_EQ(text(w, bit, w->valueColumn(1)), "52.5");
  EXPECT_EQ(text(w, bit, w->valueColumn(2)), "52.9");
  EXPECT_EQ(text(w, bit, w->marginColumn(0)), "50.0 %");
  EXPECT_EQ(text(w, bit, w->marginColumn(2)), "13.6 %");  // 0.3 of a 2.2 µs band
  EXPECT_EQ(text(w, bit, w->trendColumn()), "rising");
  EXPECT_EQ(text(w, bit, w->shrankColumn()), "yes");
  EXPECT_EQ(t->item(bit, w->shrankColumn())->background().color(), QColor(kShrankColour));
  EXPECT_TRUE(t->item(bit, w->shrankColumn())->font().bold());
  // Each value on its run's status colour.
  EXPECT_EQ(t->item(bit, w->valueColumn(2))->background().color(), QColor(0xFFFF00));
  EXPECT_EQ(t->item(bit, w->valueColumn(0))->background().color(), QColor(0x00FF00));

  const int level = rowOf(w, "Dominant level");
  ASSERT_GE(level, 0);
  EXPECT_EQ(text(w, level, 1), "V");
  EXPECT_EQ(text(w, level, w->valueColumn(0)), "0.92");
  EXPECT_EQ(text(w, level, w->valueColumn(1)), "") << "missing from the middle run: a gap";
  EXPECT_EQ(text(w, level, w->marginColumn(1)), "");
  EXPECT_EQ(text(w, level, w->valueColumn(2)), "0.95");
  EXPECT_EQ(text(w, level, w->trendColumn()), "steady");
  EXPECT_EQ(text(w, level, w->shrankColumn()), "");
  EXPECT_EQ(t->item(level, w->shrankColumn())->background().style(), Qt::NoBrush);
}

TEST_F(CompareWindowTest, ChartShowsTheSelectedMeasurementOnItsBandWithGaps) {
  CompareWindow* w = open(threeRuns());
  ASSERT_NE(w, nullptr);
  // The first row is shown at once.
  EXPECT_EQ(w->chartView()->chart()->title(), "Bit time");
  ASSERT_EQ(seriesOf<QScatterSeries>(w, "valuePoints").size(), 1);
  const QScatterSeries* points = seriesOf<QScatterSeries>(w, "valuePoints")[0];
  ASSERT_EQ(points->count(), 3);
  EXPECT_DOUBLE_EQ(points->at(2).x(), 2);
  EXPECT_NEAR(points->at(2).y(), 52.9, 1e-9) << "in the table's unit, µs";
  EXPECT_EQ(seriesOf<QLineSeries>(w, "valueLine").size(), 1);
  ASSERT_EQ(seriesOf<QAreaSeries>(w, "toleranceBand").size(), 1);
  const QAreaSeries* band = seriesOf<QAreaSeries>(w, "toleranceBand")[0];
  ASSERT_EQ(band->upperSeries()->count(), 6);  // each run spans its place on the axis
  EXPECT_NEAR(band->upperSeries()->at(0).y(), 53.2, 1e-9);
  EXPECT_NEAR(band->lowerSeries()->at(5).y(), 51.0, 1e-9);

  // Selecting another row redraws the chart: two values, the line broken.
  w->table()->selectRow(rowOf(w, "Dominant level"));
  EXPECT_EQ(w->chartView()->chart()->title(), "Dominant level");
  ASSERT_EQ(seriesOf<QScatterSeries>(w, "valuePoints").size(), 1);
  EXPECT_EQ(seriesOf<QScatterSeries>(w, "valuePoints")[0]->count(), 2);
  const QList<QLineSeries*> lines = seriesOf<QLineSeries>(w, "valueLine");
  ASSERT_EQ(lines.size(), 2);
  EXPECT_EQ(lines[0]->count(), 1);
  EXPECT_EQ(lines[1]->count(), 1);
  EXPECT_DOUBLE_EQ(lines[1]->at(0).x(), 2);
  EXPECT_EQ(seriesOf<QAreaSeries>(w, "toleranceBand").size(), 2) << "no band without the run";
  // Runs by their dates along the axis.
  auto* axis = qobject_cast<QCategoryAxis*>(w->chartView()->chart()->axes(Qt::Horizontal).value(0));
  ASSERT_NE(axis, nullptr);
  EXPECT_EQ(axis->categoriesLabels(),
            QStringList({"2026-03-01 09:00", "2026-03-10 09:00", "2026-03-20 09:00"}));

  // Drawn: the band's colour shows in the chart.
  w->chartView()->resize(500, 300);
  const QImage image = w->chartView()->grab().toImage();
  ASSERT_FALSE(image.isNull());
  int bandPixels = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if ((image.pixel(x, y) & 0xFFFFFF) == kToleranceBandColour) ++bandPixels;
  EXPECT_GT(bandPixels, 1000);
}

TEST_F(CompareWindowTest, RunsOfTheSameDateKeepTheirOwnPlaceOnTheAxis) {
  const char* bus = "LIN - 19200 bit/s";
  CompareWindow* w =
      open({result("x.HTM", bus, "2026-03-01 09:00", {{"Bit time", "51", "53", "52.1", "green"}}),
            result("y.HTM", bus, "2026-03-01 09:00", {{"Bit time", "51", "53", "53", "yellow"}})});
  ASSERT_NE(w, nullptr);
  auto* axis = qobject_cast<QCategoryAxis*>(w->chartView()->chart()->axes(Qt::Horizontal).value(0));
  ASSERT_NE(axis, nullptr);
  EXPECT_EQ(axis->categoriesLabels(), QStringList({"2026-03-01 09:00", "2026-03-01 09:00 (2)"}));
  // Written alike: as many decimals for every run.
  EXPECT_EQ(text(w, 0, w->valueColumn(1)), "53.0");
  EXPECT_EQ(text(w, 0, 1), "");
}

namespace {

// A date label as the chart draws it: its text and the middle of its place
// in the view.
struct DrawnLabel {
  QString text;
  qreal centre = 0;
};

// The date labels the chart shows now, left to right: the visible texts of
// the scene below the plot area.
QList<DrawnLabel> drawnDateLabels(QChartView* view) {
  QList<DrawnLabel> labels;
  QChart* chart = view->chart();
  const qreal below = chart->mapToScene(chart->plotArea().bottomLeft()).y();
  for (QGraphicsItem* item : view->scene()->items()) {
    auto* label = dynamic_cast<QGraphicsTextItem*>(item);
    if (!label || !label->isVisible() || label->toPlainText().isEmpty()) continue;
    const QRectF place = label->sceneBoundingRect();
    if (place.top() < below) continue;  // the values' axis, the chart's title
    labels.append({label->toPlainText(), qreal(view->mapFromScene(place.center()).x())});
  }
  std::sort(labels.begin(), labels.end(),
            [](const DrawnLabel& a, const DrawnLabel& b) { return a.centre < b.centre; });
  return labels;
}

}  // namespace

// A hundred results on one axis: the dates shown are whole and apart, the
// first and the last among them, at any width of the window and in every
// language; the axis shows what fits rather than a row of "...".
TEST_F(CompareWindowTest, AHundredRunsShowWholeDatesThatDoNotOverlap) {
  const char* bus = "LIN - 19200 bit/s";
  QStringList paths;
  QStringList dates;
  for (int r = 0; r < 100; ++r) {
    dates << QDate(2024, 1, 1).addDays(r * 5).toString(Qt::ISODate) + QStringLiteral(" 09:00");
    paths << result(QStringLiteral("r%1.HTM").arg(r, 3, 10, QChar(u'0')), bus,
                    dates.last().toLatin1().constData(),
                    {{"Bit time", "51.0 µs", "53.2 µs", r % 7 ? "52.1 µs" : "52.6 µs", "green"}});
  }
  for (const int language : {French, English, German, Spanish, Italian}) {
    state.language = language;
    CompareWindow* w = open(paths);
    ASSERT_NE(w, nullptr) << ui.lastMessage().toStdString();
    for (const QSize size :
         {QSize(1024, 600), QSize(1600, 900), QSize(700, 500), QSize(1024, 600)}) {
      SCOPED_TRACE(QStringLiteral("language %1, %2x%3")
                       .arg(language)
                       .arg(size.width())
                       .arg(size.height())
                       .toStdString());
      w->resize(size);
      for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
      auto* axis =
          qobject_cast<QCategoryAxis*>(w->chartView()->chart()->axes(Qt::Horizontal).value(0));
      ASSERT_NE(axis, nullptr);
      const QList<DrawnLabel> shown = drawnDateLabels(w->chartView());
      ASSERT_GE(shown.size(), size.width() >= 1024 ? 4 : 2);
      EXPECT_EQ(shown.first().text.toStdString(), dates.first().toStdString());
      EXPECT_EQ(shown.last().text.toStdString(), dates.last().toStdString());
      const QFontMetricsF metrics(axis->labelsFont());
      const qreal angle = qDegreesToRadians(axis->labelsAngle());
      // Along the axis a label takes its width and height turned by the angle.
      auto span = [&](const QString& text) {
        return std::fabs(metrics.horizontalAdvance(text) * std::cos(angle)) +
               std::fabs(metrics.height() * std::sin(angle));
      };
      const int viewWidth = w->chartView()->viewport()->width();
      for (qsizetype i = 0; i < shown.size(); ++i) {
        EXPECT_TRUE(dates.contains(shown[i].text)) << "elided: " << shown[i].text.toStdString();
        // Within the view, not cut by its edge.
        EXPECT_GE(shown[i].centre - span(shown[i].text) / 2, 0) << shown[i].text.toStdString();
        EXPECT_LE(shown[i].centre + span(shown[i].text) / 2, viewWidth)
            << shown[i].text.toStdString();
        if (i == 0) continue;
        EXPECT_GE(shown[i].centre - shown[i - 1].centre,
                  (span(shown[i].text) + span(shown[i - 1].text)) / 2)
            << shown[i - 1].text.toStdString() << " overlaps " << shown[i].text.toStdString();
      }
      EXPECT_FALSE(axis->labelsTruncated());
      if (HasFailure()) return;  // one width and language tells enough
    }
    w->close();
  }
}

TEST_F(CompareWindowTest, ResultsOfDifferentBusesAreRefusedWithTheReason) {
  const QString lin = result("lin.HTM", "LIN - 19200 bit/s", "2026-03-01 09:00",
                             {{"Bit time", "51.0 µs", "53.2 µs", "52.1 µs", "green"}});
  const QString can = result("can.HTM", "CANHIGHSPEED - 500 kbit/s", "2026-03-02 09:00",
                             {{"Bit time", "1.9 µs", "2.1 µs", "2.0 µs", "green"}});
  EXPECT_EQ(open({lin, can}), nullptr);
  ASSERT_EQ(ui.messages.size(), 1);
  EXPECT_EQ(ui.messages[0].title, "Error");
  EXPECT_EQ(ui.messages[0].text,
            "These results are not of the same bus:\nlin.HTM (LIN - 19200 bit/s)\n"
            "can.HTM (CANHIGHSPEED - 500 kbit/s)");
  EXPECT_EQ(ui.busyDepth, 0);

  ui.messages.clear();
  EXPECT_EQ(open({lin, dir.filePath("absent.HTM")}), nullptr);
  ASSERT_EQ(ui.messages.size(), 1);
  EXPECT_TRUE(ui.messages[0].text.contains("absent.HTM"));
}

TEST_F(CompareWindowTest, FileCompareResultsOfTheMainWindowOpensTheWindow) {
  test::RecordingClock clock;
  state.clock = &clock;
  MainWindow main(state);
  attachFeatures(main);
  main.GestionMenu(item::FirstLanguage + English);
  QAction* compare = main.findChild<QAction*>("actionCompare");
  ASSERT_NE(compare, nullptr);
  const QList<QAction*> items = main.form().menuFile->actions();
  const qsizetype at = items.indexOf(compare);
  ASSERT_GE(at, 0);
  EXPECT_GT(at, items.indexOf(main.form().actionPrint));
  EXPECT_EQ(items[at + 1]->menu(), main.findChild<QMenu*>("menuRecent"));
  EXPECT_EQ(compare->text(), "Co&mpare results ...");
  // The dispatcher's item numbers stay as they were.
  EXPECT_EQ(main.menuItem(item::Exit), main.form().actionExit);
  EXPECT_FALSE(compare->property("karvelItem").isValid());

  // Cancelled: nothing opens, nothing is said.
  compare->trigger();
  ASSERT_EQ(ui.fileRequests.size(), 1);
  EXPECT_EQ(ui.fileRequests[0].title, "Results to compare");
  EXPECT_EQ(ui.fileRequests[0].pattern, "*.HTM");
  EXPECT_TRUE(ui.messages.isEmpty());

  ui.fileLists.enqueue(threeRuns());
  compare->trigger();
  CompareWindow* w = nullptr;
  for (QWidget* top : QApplication::topLevelWidgets())
    if (auto* c = qobject_cast<CompareWindow*>(top); c && c->isVisible()) w = c;
  ASSERT_NE(w, nullptr);
  windows.append(w);
  EXPECT_EQ(w->table()->rowCount(), 2);

  // The item follows the language chosen.
  main.GestionMenu(item::FirstLanguage + French);
  emit main.form().menuFile->aboutToShow();
  EXPECT_EQ(compare->text(), QString::fromUtf8("Co&mparer des résultats ..."));
}

TEST_F(CompareWindowTest, WindowSpeaksTheLanguageItOpenedIn) {
  state.language = French;
  CompareWindow* w = open(threeRuns());
  ASSERT_NE(w, nullptr);
  state.language = English;
  EXPECT_EQ(w->windowTitle(), "Comparaison des résultats : LIN - 19200 bit/s");
  EXPECT_EQ(w->table()->horizontalHeaderItem(0)->text(), "Mesure");
  EXPECT_EQ(w->table()->horizontalHeaderItem(w->shrankColumn())->text(),
            QString::fromUtf8("Marge réduite"));
  EXPECT_EQ(text(w, rowOf(w, "Bit time"), w->trendColumn()), "en hausse");
  EXPECT_EQ(text(w, rowOf(w, "Bit time"), w->shrankColumn()), "oui");
  EXPECT_EQ(w->findChild<QMenu*>("menuFile")->title(), "&Fichier");
  EXPECT_EQ(w->findChild<QAction*>("actionClose")->text(), "&Fermer");
}

TEST_F(CompareWindowTest, PrintsThroughThePrintDialogAndClosesWithCtrlW) {
  CompareWindow* w = open(threeRuns());
  ASSERT_NE(w, nullptr);
  ui.printAnswers.enqueue(false);
  w->findChild<QAction*>("actionPrint")->trigger();
  ASSERT_EQ(ui.printRequests.size(), 1);
  // Named like the comparison sheet, beside the latest run; no "/" of the bus.
  EXPECT_EQ(ui.printRequests[0].documentName, "Comparison.pdf");
  EXPECT_EQ(QDir::fromNativeSeparators(ui.printRequests[0].proposedFile),
            QDir(dir.path()).filePath("Comparison.pdf"));

  const QString pdf = dir.filePath("comparison.pdf");
  ui.printAnswers.enqueue(true);
  ui.printReply.outputFile = pdf;
  w->findChild<QAction*>("actionPrint")->trigger();
  QFile out(pdf);
  ASSERT_TRUE(out.open(QIODevice::ReadOnly));
  EXPECT_TRUE(out.read(4) == "%PDF");
  EXPECT_TRUE(ui.messages.isEmpty());
  // Asked over this window, not over the main window that would hide it.
  EXPECT_EQ(ui.owners, QList<QObject*>({w, w}));
  EXPECT_EQ(ui.dialogOwner(), nullptr);

  QAction* close = w->findChild<QAction*>("actionClose");
  EXPECT_EQ(close->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_W));
  QPointer<CompareWindow> guard = w;
  close->trigger();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(guard.isNull());
}

TEST_F(CompareWindowTest, ExportsToAWorkbookAskingBeforeReplacingOne) {
  CompareWindow* w = open(threeRuns());
  ASSERT_NE(w, nullptr);
  state.workingDir = dir.path();
  QAction* exportItem = w->findChild<QAction*>("actionExport");
  ASSERT_NE(exportItem, nullptr);
  EXPECT_EQ(exportItem->text(), "E&xport to a workbook ...");

  const QString target = dir.filePath("lin.xlsx");
  ui.files.enqueue({FileChoice::Kind::New, target});
  exportItem->trigger();
  ASSERT_EQ(ui.fileRequests.size(), 1);
  EXPECT_EQ(ui.fileRequests[0].folder, dir.path());
  EXPECT_EQ(ui.fileRequests[0].defaultFile, "Comparison.xlsx");
  EXPECT_EQ(ui.fileRequests[0].confirm, FileRequest::Confirm::Save);
  ASSERT_EQ(ui.messages.size(), 1);
  EXPECT_EQ(ui.messages[0].text, "Workbook saved: " + target);
  const QJsonObject book = test::readWorkbook(target);
  ASSERT_FALSE(book.contains("error")) << book["error"].toString().toStdString();
  EXPECT_EQ(book["active"].toString(), "Comparison");
  EXPECT_EQ(ui.busyDepth, 0);
  EXPECT_EQ(ui.owners, QList<QObject*>({w, w}));

  // An existing file: No asks for another name, cancelling there writes nothing.
  QFile::resize(target, 0);
  ui.files.enqueue({FileChoice::Kind::Existing, target});
  ui.answers.enqueue(1);
  exportItem->trigger();
  ASSERT_EQ(ui.questions.size(), 1);
  EXPECT_EQ(ui.questions[0].text, "Sheet already exist !    Overwrite Data ?\n");
  EXPECT_EQ(ui.fileRequests.size(), 3);
  EXPECT_EQ(QFileInfo(target).size(), 0);
  EXPECT_EQ(ui.messages.size(), 1);

  // A place that cannot take the file: said, with the reason.
  const QString locked = test::unwritableFolder(dir) + "/lin.xlsx";
  ui.files.enqueue({FileChoice::Kind::New, locked});
  exportItem->trigger();
  ASSERT_EQ(ui.messages.size(), 2);
  EXPECT_EQ(ui.messages[1].title, "Error");
  EXPECT_TRUE(ui.messages[1].text.contains(locked)) << ui.messages[1].text.toStdString();
  EXPECT_FALSE(QFileInfo::exists(locked));
}

TEST(DisplayScale, WritesValuesWithTheirPrefix) {
  const DisplayScale micro = displayScale("s", 52.9e-6);
  EXPECT_EQ(micro.unit, QString::fromUtf8("µs"));
  EXPECT_NEAR(52.9e-6 * micro.factor, 52.9, 1e-9);
  EXPECT_EQ(displayScale("V", 2.4).unit, "V");
  EXPECT_EQ(displayScale("V", 0.2).unit, "mV");
  EXPECT_EQ(displayScale("Hz", 500e3).unit, "kHz");
  // A ratio takes its prefix below the line.
  const DisplayScale slew = displayScale("V/s", 1.9e6);
  EXPECT_EQ(slew.unit, QString::fromUtf8("V/µs"));
  EXPECT_NEAR(1.9e6 * slew.factor, 1.9, 1e-9);
  // Units without prefixes, and nothing to scale, stay as they are.
  EXPECT_EQ(displayScale("%", 153).unit, "%");
  EXPECT_DOUBLE_EQ(displayScale("%", 153).factor, 1);
  EXPECT_EQ(displayScale("s", 0).unit, "s");
}

TEST_F(CompareWindowTest, RunsWithoutTheirOwnDateAreFlaggedAndCanBeMovedIntoOrder) {
  const char* bus = "LIN - 19200 bit/s";
  // The instrument's own date line, and two results that write none: their
  // files' times (copied in the wrong order) place them.
  const QString dated = result("dated.HTM", bus, "2026/11/23 14:02:51",
                               {{"Bit time", "51.0 µs", "53.2 µs", "51.3 µs", "green"}});
  const QString early =
      result("early.HTM", bus, "", {{"Bit time", "51.0 µs", "53.2 µs", "52.1 µs", "green"}});
  const QString mid =
      result("mid.HTM", bus, "", {{"Bit time", "51.0 µs", "53.2 µs", "51.7 µs", "green"}});
  auto touch = [](const QString& path, int day) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.setFileTime(QDateTime(QDate(2026, 11, day), QTime(9, 0)),
                              QFileDevice::FileModificationTime));
  };
  touch(early, 25);
  touch(mid, 24);
  CompareWindow* w = open({early, dated, mid});
  ASSERT_NE(w, nullptr);
  QTableWidget* t = w->table();
  EXPECT_EQ(t->horizontalHeaderItem(w->valueColumn(0))->text(),
            "dated.HTM\n2026-11-23 14:02:51\ndate in the result");
  EXPECT_EQ(t->horizontalHeaderItem(w->valueColumn(1))->text(),
            "mid.HTM\n2026-11-24 09:00\nfile time");
  EXPECT_TRUE(t->horizontalHeaderItem(w->valueColumn(1))->font().italic());
  EXPECT_EQ(t->horizontalHeaderItem(w->trendColumn())->text(),
            "Trend\norder from file times for 2 of 3 runs");
  EXPECT_FALSE(w->orderNote()->isHidden());
  EXPECT_TRUE(w->orderNote()->text().contains("Check the order"));
  EXPECT_EQ(text(w, 0, w->trendColumn()), "rising") << "51.3, 51.7, 52.1 by the files' times";
  // Where the line through them meets the maximum, the method in the tip.
  EXPECT_EQ(t->horizontalHeaderItem(w->limitColumn())->text(), "Limit reached");
  EXPECT_TRUE(t->horizontalHeaderItem(w->limitColumn())->toolTip().contains("least-squares"));
  EXPECT_EQ(text(w, 0, w->limitColumn()), "maximum around 2026-11-27");

  // The user knows "early" came first: Runs > Move left on its column, twice.
  QAction* left = w->findChild<QAction*>("actionMoveLeft");
  QAction* right = w->findChild<QAction*>("actionMoveRight");
  ASSERT_TRUE(left && right);
  t->setCurrentCell(0, w->valueColumn(2));
  EXPECT_EQ(w->currentRun(), 2);
  EXPECT_TRUE(left->isEnabled());
  EXPECT_FALSE(right->isEnabled()) << "the last run goes no further right";
  left->trigger();
  EXPECT_EQ(w->currentRun(), 1) << "the moved run stays current";
  left->trigger();
  ASSERT_EQ(w->comparison().runs.size(), 3u);
  EXPECT_TRUE(w->comparison().runs[0].table.sourcePath.endsWith("early.HTM"));
  EXPECT_TRUE(w->comparison().runs[1].table.sourcePath.endsWith("dated.HTM"));
  EXPECT_EQ(w->comparison().order, RunOrder::Given);
  EXPECT_EQ(text(w, 0, w->trendColumn()), "falling");
  EXPECT_EQ(t->horizontalHeaderItem(w->trendColumn())->text(), "Trend\nin the order given");
  EXPECT_TRUE(w->orderNote()->isHidden());
  EXPECT_FALSE(left->isEnabled()) << "the first run goes no further left";
  EXPECT_FALSE(w->moveRun(0, -1));
  EXPECT_FALSE(w->moveRun(3, 1));
  // The chart follows the new order.
  const QList<QLineSeries*> lines = seriesOf<QLineSeries>(w, "valueLine");
  ASSERT_EQ(lines.size(), 1);
  EXPECT_NEAR(lines[0]->at(0).y(), 52.1, 1e-9);
  EXPECT_TRUE(w->moveRun(0, 1));
  EXPECT_TRUE(w->comparison().runs[1].table.sourcePath.endsWith("early.HTM"));
}

TEST_F(CompareWindowTest, OneResultIsRefused) {
  const QString lin = result("lin.HTM", "LIN - 19200 bit/s", "2026-03-01 09:00",
                             {{"Bit time", "51.0 µs", "53.2 µs", "52.1 µs", "green"}});
  EXPECT_EQ(open({lin}), nullptr);
  ASSERT_EQ(ui.messages.size(), 1);
  EXPECT_EQ(ui.messages[0].text, "Choose at least two results to compare.");
}
