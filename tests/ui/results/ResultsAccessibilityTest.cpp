// SPDX-License-Identifier: GPL-3.0-or-later
// The results and comparison windows as a screen reader and a keyboard user
// meet them: every control named in each language, the status and the bar of
// each row said in words, the chart described, Tab leaving the tables, and F1
// opening the bus's help.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QAccessibleInterface>
#include <QAccessibleTableInterface>
#include <QApplication>
#include <QChartView>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QToolButton>

#include "core/frame/AppState.h"
#include "core/results/ResultTexts.h"
#include "support/AccessibilityAudit.h"
#include "support/ScriptedInteraction.h"
#include "ui/results/CompareWindow.h"
#include "ui/results/ResultWindow.h"

using namespace karvel;
using namespace karvel::ui;

namespace {

class ResultsAccessibilityTest : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  test::ScriptedInteraction ui;
  AppState state;
  QList<QPointer<QWidget>> windows;

  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    state.ui = &ui;
    state.programDir = QStringLiteral(KARVEL_APPDIR);
    state.settingsPath = dir.filePath("karvel.ini");
  }
  void TearDown() override {
    for (const QPointer<QWidget>& w : windows)
      if (w) w->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  QString sample(const char* name, const QString& as) {
    const QString path = dir.filePath(as);
    QFile::copy(QStringLiteral(KARVEL_SOURCE_DIR "/resources/samples/") + name, path);
    return path;
  }
  // A result of one bus whose rows are {name, min, max, value, status class}.
  QString page(const QString& as, const char* date,
               const std::vector<std::array<const char*, 5>>& rows) {
    QByteArray html =
        "<HTML><HEAD><TITLE>TarvikIV - Bus diagnostic result</TITLE></HEAD><BODY>"
        "<H1>LIN - 19200 bit/s</H1><H3>LIN</H3><H2 class=\"red\">Diagnostic : FAILED</H2>"
        "<P>Date : " +
        QByteArray(date) + "</P><TABLE><TBODY>\n";
    for (const auto& r : rows)
      html += QByteArray("<TR class=\"row\"><TD>") + r[0] + "</TD><TD>" + r[1] + "</TD><TD>" +
              r[2] + "</TD><TD class=\"" + r[4] + "\">" + r[3] + "</TD><TD>0 %</TD></TR>\n";
    html += "</TBODY></TABLE></BODY></HTML>";
    const QString path = dir.filePath(as);
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(html.replace("µ", "\xB5"));  // the instrument writes Windows-1252
    return path;
  }
  ResultWindow* openResult(const QString& path) {
    ResultWindow* w = ReadHTMLFile(state, path);
    windows.append(w);
    return w;
  }
  CompareWindow* openCompare(const QStringList& paths) {
    CompareWindow* w = openComparison(state, paths);
    windows.append(w);
    return w;
  }
  QStringList twoRuns() {
    return {page("a.HTM", "2026-03-01 09:00",
                 {{{"Bit time", "51.0 µs", "53.2 µs", "52.1 µs", "green"}},
                  {{"Dominant level", "0.00 V", "2.40 V", "2.35 V", "yellow"}}}),
            page("b.HTM", "2026-03-10 09:00",
                 {{{"Bit time", "51.0 µs", "53.2 µs", "53.9 µs", "red"}}})};
  }
};

// What a screen reader reads of a table cell: its name and description.
struct Said {
  QString name, description;
};
Said cellOf(QAbstractItemView* view, int row, int column) {
  QAccessibleInterface* table = QAccessible::queryAccessibleInterface(view);
  if (!table || !table->tableInterface()) return {};
  QAccessibleInterface* cell = table->tableInterface()->cellAt(row, column);
  if (!cell) return {};
  return {cell->text(QAccessible::Name), cell->text(QAccessible::Description)};
}

// Gives the window the keyboard, as the user's click or the desktop would.
bool activate(QWidget* window) {
  window->activateWindow();
  QApplication::setActiveWindow(window);
  QElapsedTimer timer;
  timer.start();
  while (QApplication::activeWindow() != window && timer.elapsed() < 2000)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  return QApplication::activeWindow() == window;
}

// A key pressed where the keyboard's focus is, through the application (so
// that shortcuts are tried first, as for a real key).
void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QWidget* target = QApplication::focusWidget();
  if (!target) target = QApplication::activeWindow();
  ASSERT_NE(target, nullptr);
  QKeyEvent down(QEvent::KeyPress, key, modifiers);
  QApplication::sendEvent(target, &down);
  QKeyEvent up(QEvent::KeyRelease, key, modifiers);
  QApplication::sendEvent(QApplication::focusWidget() ? QApplication::focusWidget() : target, &up);
}

}  // namespace

TEST_F(ResultsAccessibilityTest, EveryControlIsNamedAndReachedInEveryLanguage) {
  QStringList samples;
  for (const char* name :
       {"PROFIBUS_FAIL.HTM", "RS485_FAIL.HTM", "CAN_HS_PASS.HTM", "LIN_PASS.HTM"})
    samples << sample(name, QString::fromLatin1(name));
  const QStringList runs = twoRuns();
  for (int language = 0; language < 5; ++language) {
    SCOPED_TRACE(language);
    state.language = language;
    for (const QString& path : samples) {
      SCOPED_TRACE(path.toStdString());
      ResultWindow* w = openResult(path);
      ASSERT_NE(w, nullptr) << ui.lastMessage().toStdString();
      EXPECT_EQ(test::joinProblems(test::auditAccessibility(w)), "");
      EXPECT_EQ(test::joinProblems(test::auditFocusChain(w)), "");
      w->close();
    }
    ResultWindow* result = openResult(samples[0]);
    ASSERT_NE(result, nullptr);
    // The "?" button is said in words of the window's language.
    auto* help = result->findChild<QToolButton*>("helpButton");
    EXPECT_EQ(QAccessible::queryAccessibleInterface(help)->text(QAccessible::Name),
              pick(resulttext::kHelpButton, language));
    // Reading order: the help button, the table, the file field.
    const std::vector<QWidget*> stops = test::tabStops(result);
    const std::vector<QWidget*> expected = {help, result->findChild<QTableView*>("resultsTable"),
                                            result->findChild<QLineEdit*>("sourcePath")};
    EXPECT_EQ(stops, expected);

    CompareWindow* compare = openCompare(runs);
    ASSERT_NE(compare, nullptr) << ui.lastMessage().toStdString();
    EXPECT_EQ(test::joinProblems(test::auditAccessibility(compare)), "");
    EXPECT_EQ(test::joinProblems(test::auditFocusChain(compare)), "");
    const std::vector<QWidget*> compareStops = test::tabStops(compare);
    EXPECT_EQ(compareStops, (std::vector<QWidget*>{compare->table(), compare->chartView()}));
    result->close();
    compare->close();
  }
}

TEST_F(ResultsAccessibilityTest, StatusCellsAndBarsAreSaidInWords) {
  state.language = English;
  ResultWindow* w = openResult(page("bars.HTM", "2026-03-01 09:00",
                                    {{{"Level", "2.00 V", "3.00 V", "2.51 V", "green"}},
                                     {{"Noise", "0 mV", "200 mV", "170 mV", "yellow"}},
                                     {{"Rise time", "0 ns", "1000 ns", "1210 ns", "red"}},
                                     {{"Dominant", "2.00 V", "3.00 V", "1.70 V", "red"}},
                                     {{"Edge", "2.00 V", "3.00 V", "3.002 V", "red"}},
                                     {{"Frames", "---", "---", "12", "none"}}}));
  ASSERT_NE(w, nullptr) << ui.lastMessage().toStdString();
  auto* view = w->findChild<QTableView*>("resultsTable");
  EXPECT_EQ(QAccessible::queryAccessibleInterface(view)->text(QAccessible::Name), "Results table");

  EXPECT_EQ(cellOf(view, 0, 0).name, "Pass");
  EXPECT_EQ(cellOf(view, 1, 0).name, "Warning");
  EXPECT_EQ(cellOf(view, 2, 0).name, "Fail");
  EXPECT_EQ(cellOf(view, 5, 0).name, "No status");
  // The measurement's colour is its status: said too.
  EXPECT_EQ(cellOf(view, 1, 4).name, "170 mV");
  EXPECT_EQ(cellOf(view, 1, 4).description, "Warning");

  const int bar = 6;
  EXPECT_EQ(cellOf(view, 0, bar).name, "2.51 V, band 2.00 V to 3.00 V, 49 % inside");
  EXPECT_FALSE(cellOf(view, 0, bar).description.isEmpty());
  EXPECT_EQ(cellOf(view, 1, bar).name, "170 mV, band 0 mV to 200 mV, 15 % inside");
  EXPECT_EQ(cellOf(view, 2, bar).name, "1210 ns, band 0 ns to 1000 ns, 21 % above the maximum");
  EXPECT_EQ(cellOf(view, 3, bar).name, "1.70 V, band 2.00 V to 3.00 V, 30 % below the minimum");
  // Just past a limit is never "0 %" outside.
  EXPECT_EQ(cellOf(view, 4, bar).name, "3.002 V, band 2.00 V to 3.00 V, 0.2 % above the maximum");
  EXPECT_EQ(cellOf(view, 5, bar).name, "No bar: a limit or the value is not a number");
  // The mouse gets the same words.
  EXPECT_EQ(view->model()->index(2, 0).data(Qt::ToolTipRole).toString(), "Fail");

  // The headings that show nothing are named for the reader.
  QAccessibleInterface* table = QAccessible::queryAccessibleInterface(view);
  QAccessibleInterface* statusCell = table->tableInterface()->cellAt(0, 0);
  ASSERT_NE(statusCell->tableCellInterface(), nullptr);
  // Qt hands the header cells over without keeping them: registered here so
  // that they can be deleted.
  const QList<QAccessibleInterface*> headers =
      statusCell->tableCellInterface()->columnHeaderCells();
  const QString heading = headers.size() == 1 ? headers[0]->text(QAccessible::Name) : QString();
  const qsizetype count = headers.size();
  for (QAccessibleInterface* header : headers)
    QAccessible::deleteAccessibleInterface(QAccessible::registerAccessibleInterface(header));
  ASSERT_EQ(count, 1);
  EXPECT_EQ(heading, "Status");
}

TEST_F(ResultsAccessibilityTest, TheWordsFollowTheWindowsLanguage) {
  state.language = German;
  ResultWindow* w = openResult(sample("PROFIBUS_FAIL.HTM", "P.HTM"));
  ASSERT_NE(w, nullptr);
  auto* view = w->findChild<QTableView*>("resultsTable");
  state.language = English;  // a window keeps the language it opened in
  EXPECT_EQ(cellOf(view, 0, 0).name, "Bestanden");
  EXPECT_EQ(cellOf(view, 2, 0).name, "Fehler");
  EXPECT_EQ(cellOf(view, 2, 6).name, "1210 ns, Band 0 ns bis 1000 ns, 21 % über dem Maximum");
  EXPECT_EQ(view->model()->headerData(1, Qt::Horizontal, Qt::AccessibleTextRole).toString(),
            "Name der Messung");
}

TEST_F(ResultsAccessibilityTest, TheComparisonChartAndCellsDescribeTheRuns) {
  state.language = English;
  CompareWindow* w = openCompare(twoRuns());
  ASSERT_NE(w, nullptr) << ui.lastMessage().toStdString();
  QAccessibleInterface* chart = QAccessible::queryAccessibleInterface(w->chartView());
  EXPECT_EQ(chart->text(QAccessible::Name), "Chart: Bit time");
  const QString description = chart->text(QAccessible::Description);
  EXPECT_TRUE(description.startsWith("Bit time over 2 runs: ")) << description.toStdString();
  EXPECT_TRUE(description.contains(QString::fromUtf8("52.1 µs, Pass, band 51.0 µs to 53.2 µs")))
      << description.toStdString();
  EXPECT_TRUE(description.contains(QString::fromUtf8("53.9 µs, Fail")))
      << description.toStdString();

  // Another measurement: the chart says so, and a run without it says that.
  int dominant = -1;
  for (int r = 0; r < w->table()->rowCount(); ++r)
    if (w->table()->item(r, 0)->text() == "Dominant level") dominant = r;
  ASSERT_GE(dominant, 0);
  w->table()->setCurrentCell(dominant, 0);
  EXPECT_EQ(chart->text(QAccessible::Name), "Chart: Dominant level");
  EXPECT_TRUE(chart->text(QAccessible::Description).contains("no value"));

  // A value's colour is its status: its cell says it.
  EXPECT_EQ(cellOf(w->table(), dominant, w->valueColumn(0)).name, "2.35, Warning");
}

TEST_F(ResultsAccessibilityTest, TabAndCtrlTabLeaveTheTablesWhileArrowsMoveInside) {
  ResultWindow* w = openResult(sample("PROFIBUS_FAIL.HTM", "P.HTM"));
  ASSERT_NE(w, nullptr);
  ASSERT_TRUE(activate(w));
  auto* view = w->findChild<QTableView*>("resultsTable");
  auto* help = w->findChild<QToolButton*>("helpButton");
  auto* file = w->findChild<QLineEdit*>("sourcePath");
  EXPECT_EQ(QApplication::focusWidget(), view);
  view->setCurrentIndex(view->model()->index(0, 1));
  press(Qt::Key_Down);
  EXPECT_EQ(view->currentIndex().row(), 1);
  press(Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), file);
  press(Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_EQ(QApplication::focusWidget(), view);
  press(Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_EQ(QApplication::focusWidget(), help);
  press(Qt::Key_Tab);
  ASSERT_EQ(QApplication::focusWidget(), view);
  press(Qt::Key_Tab, Qt::ControlModifier);
  EXPECT_EQ(QApplication::focusWidget(), file);
  press(Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(QApplication::focusWidget(), view);
  press(Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(QApplication::focusWidget(), help);
  EXPECT_EQ(view->currentIndex().row(), 1);  // Tab never moved the cursor

  CompareWindow* c = openCompare(twoRuns());
  ASSERT_NE(c, nullptr);
  ASSERT_TRUE(activate(c));
  c->table()->setFocus();
  press(Qt::Key_Tab, Qt::ControlModifier);
  EXPECT_EQ(QApplication::focusWidget(), c->chartView());
  press(Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), c->table());
}

TEST_F(ResultsAccessibilityTest, F1OpensTheHelpOfTheWindowsBus) {
  state.language = Spanish;
  ResultWindow* w = openResult(sample("PROFIBUS_FAIL.HTM", "P.HTM"));
  ASSERT_NE(w, nullptr);
  ASSERT_TRUE(activate(w));
  press(Qt::Key_F1);
  ASSERT_EQ(ui.opened.size(), 1);
  EXPECT_EQ(ui.opened[0].toLocalFile(),
            QStringLiteral(KARVEL_APPDIR "/help/PROFIBUSDP_BUS_es.pdf"));
  // From the file field too: anywhere in the window.
  w->findChild<QLineEdit*>("sourcePath")->setFocus();
  press(Qt::Key_F1);
  EXPECT_EQ(ui.opened.size(), 2);
}
