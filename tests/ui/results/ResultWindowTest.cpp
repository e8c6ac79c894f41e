// SPDX-License-Identifier: GPL-3.0-or-later
// Results windows as the user sees them: the table's texts and colours, the
// plain-text rule, and the Save, Print, Export, Exit and help commands.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPixmap>
#include <QPointer>
#include <QScreen>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolButton>

#include "core/frame/AppState.h"
#include "core/results/ResultReader.h"
#include "support/ScriptedInteraction.h"
#include "ui/frame/Features.h"
#include "ui/frame/MainWindow.h"
#include "ui/results/ResultWindow.h"

using namespace karvel;
using karvel::test::ScriptedInteraction;
using karvel::ui::ResultWindow;

namespace {

void discardDeleted() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

class ResultWindowTest : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  ScriptedInteraction ui;
  AppState state;
  QList<QPointer<ResultWindow>> windows;

  void SetUp() override {
    state.ui = &ui;
    state.programDir = QStringLiteral(KARVEL_APPDIR);
  }
  void TearDown() override {
    for (const QPointer<ResultWindow>& w : windows) {
      if (w) w->close();
    }
    discardDeleted();
  }

  QString copySample(const char* sample, const QString& as) {
    const QString path = dir.filePath(as);
    QFile::copy(QStringLiteral(KARVEL_SOURCE_DIR "/resources/samples/") + sample, path);
    return path;
  }
  QString writePage(const QString& as, const QByteArray& bytes) {
    const QString path = dir.filePath(as);
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return path;
  }
  ResultWindow* open(const QString& path, ui::ResultFile origin = ui::ResultFile::User) {
    ResultWindow* w = ui::ReadHTMLFile(state, path, origin);
    windows.append(w);
    return w;
  }
  static QLabel* label(ResultWindow* w, const char* name) { return w->findChild<QLabel*>(name); }
  static QAbstractItemModel* model(ResultWindow* w) {
    return w->findChild<QTableView*>("resultsTable")->model();
  }
  static QAction* action(ResultWindow* w, const char* name) { return w->findChild<QAction*>(name); }
};

QVariant cell(QAbstractItemModel* m, int row, int column, int role = Qt::DisplayRole) {
  return m->data(m->index(row, column), role);
}

}  // namespace

TEST_F(ResultWindowTest, ShowsTheFailingResultWithBandsStatusColoursAndIcons) {
  const QString path = copySample("PROFIBUS_FAIL.HTM", "PROFIBUS_FAIL.HTM");
  ResultWindow* w = open(path);
  ASSERT_NE(w, nullptr);
  EXPECT_TRUE(w->isVisible());
  EXPECT_EQ(w->windowTitle(), "File : profibus_fail.HTM");
  EXPECT_EQ(w->findChild<QLineEdit*>("sourcePath")->text(), path);
  EXPECT_EQ(label(w, "busHeading")->text(), "PROFIBUSDP - 93.75 kbit/s");
  EXPECT_EQ(label(w, "tableLabel")->text(), "BUS DIAGNOSTIC RESULT PROFIBUSDP");
  EXPECT_EQ(label(w, "verdict")->text(), "FAILED (2 measurements out of limits)");
  EXPECT_EQ(label(w, "verdict")->palette().color(QPalette::Window), QColor(0xFF0000));

  QAbstractItemModel* m = model(w);
  ASSERT_EQ(m->rowCount(), 5);
  // The file's five cells after the icon, then the tolerance bar's column.
  ASSERT_EQ(m->columnCount(), 7);
  EXPECT_EQ(m->headerData(2, Qt::Horizontal).toString(), "Min tolerance");
  EXPECT_EQ(m->headerData(5, Qt::Horizontal).toString(), "Distance");
  EXPECT_EQ(cell(m, 1, 1).toString(), "Differential voltage");
  EXPECT_EQ(cell(m, 0, 2).toString(), QString::fromUtf8("9.70 µs"));
  EXPECT_EQ(cell(m, 2, 4).toString(), "1210 ns");
  EXPECT_EQ(cell(m, 4, 5).toString(), "153 %");
  // Rows 1, 3, 5 are banded over every column; 2 and 4 are not.
  for (int column : {0, 1, 2, 3, 5}) {
    EXPECT_EQ(cell(m, 0, column, Qt::BackgroundRole).value<QColor>(), QColor(0xD0D0D0));
    EXPECT_EQ(cell(m, 2, column, Qt::BackgroundRole).value<QColor>(), QColor(0xD0D0D0));
    EXPECT_FALSE(cell(m, 1, column, Qt::BackgroundRole).isValid());
  }
  // The measurement cell shows the status colour over the band.
  EXPECT_EQ(cell(m, 0, 4, Qt::BackgroundRole).value<QColor>(), QColor(0x00FF00));
  EXPECT_EQ(cell(m, 1, 4, Qt::BackgroundRole).value<QColor>(), QColor(0xFFFF00));
  EXPECT_EQ(cell(m, 2, 4, Qt::BackgroundRole).value<QColor>(), QColor(0xFF0000));
  const QPixmap red = cell(m, 2, 0, Qt::DecorationRole).value<QPixmap>();
  ASSERT_FALSE(red.isNull());
  EXPECT_EQ(red.toImage().pixelColor(11, 11).red(), 0xE0);  // the red icon, not the green
  EXPECT_FALSE(cell(m, 2, 0).isValid());
}

TEST_F(ResultWindowTest, CtrlWClosesTheWindow) {
  ResultWindow* w = open(copySample("CAN_HS_PASS.HTM", "CAN_HS_PASS.HTM"));
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(action(w, "actionExit")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_W));
  EXPECT_EQ(action(w, "actionExport")->text(), "&Export to EXCEL ...");
}

TEST_F(ResultWindowTest, WindowsOpenInTheCascade) {
  const QString path = copySample("LIN_PASS.HTM", "LIN_PASS.HTM");
  ResultWindow* first = open(path);
  ResultWindow* second = open(path);
  ASSERT_TRUE(first && second);
  EXPECT_EQ(first->pos(), QPoint(80, 80));
  EXPECT_EQ(second->pos(), QPoint(100, 100));
  EXPECT_EQ(label(first, "verdict")->palette().color(QPalette::Window), QColor(0x00FF00));
  // The 21st: the top goes back to 80; the left stays on the screen (which
  // is narrower here than 480 plus the window).
  state.resultWindowCount = 20;
  ResultWindow* twentyFirst = open(path);
  EXPECT_EQ(twentyFirst->pos().y(), 80);
  const QRect room = twentyFirst->screen()->availableGeometry();
  EXPECT_TRUE(room.contains(twentyFirst->frameGeometry()))
      << twentyFirst->frameGeometry().x() << "," << twentyFirst->frameGeometry().width();
}

TEST_F(ResultWindowTest, EverythingFromTheFileIsPlainText) {
  const QByteArray page =
      "<HTML><BODY><H1><b>Label</b></H1><H2><a href=\"file:///x\">link</a> &amp; RS485</H2>"
      "<H4 class=green><img src=x>OK</H4><TBODY>"
      "<TR class=a><TD><i>name</i></TD><TD>1</TD><TD>2</TD><TD class=green><u>3</u></TD>"
      "<TD>4</TD></TR></TBODY>";
  ResultWindow* w = open(writePage("markup.htm", page));
  ASSERT_NE(w, nullptr);
  for (const char* name : {"busHeading", "verdict", "tableLabel"}) {
    EXPECT_EQ(label(w, name)->textFormat(), Qt::PlainText) << name;
  }
  EXPECT_EQ(label(w, "tableLabel")->text(), "<b>Label</b>");
  EXPECT_EQ(label(w, "busHeading")->text(), "<a href=\"file:///x\">link</a> &amp; RS485");
  EXPECT_EQ(label(w, "verdict")->text(), "<img src=x>OK");  // from the tag's ">" on
  EXPECT_EQ(cell(model(w), 0, 1).toString(), "<i>name</i>");
  EXPECT_FALSE(cell(model(w), 0, 1, Qt::ToolTipRole).isValid());
}

TEST_F(ResultWindowTest, SaveUnderANewNameKeepsTheSource) {
  const QString path = copySample("CAN_HS_PASS.HTM", "CAN_HS_PASS.HTM");
  ResultWindow* w = open(path);
  ASSERT_NE(w, nullptr);
  ui.files.enqueue({FileChoice::Kind::New, dir.filePath("Copy.HTM")});
  action(w, "actionSave")->trigger();
  const QString saved = dir.filePath("copy.htm");
  EXPECT_EQ(w->windowTitle(), "File : " + QDir::toNativeSeparators(saved));
  ASSERT_TRUE(QFileInfo::exists(saved));
  EXPECT_EQ(QFileInfo(saved).size(), QFileInfo(path).size());
  EXPECT_EQ(w->sourcePath(), path);
}

TEST_F(ResultWindowTest, ClosingRemovesOnlyATemporaryResult) {
  const QString tmp = copySample("RS485_FAIL.HTM", "RS485_FAIL.tmp");
  const QString htm = copySample("RS485_FAIL.HTM", "RS485_FAIL.htm");
  QPointer<ResultWindow> fetched = open(tmp, ui::ResultFile::Temporary);
  QPointer<ResultWindow> opened = open(htm);
  ASSERT_TRUE(fetched && opened);
  EXPECT_EQ(fetched->windowTitle(), "File : rs485_fail.HTM");
  // Saving does not change which file the window stands for.
  ui.files.enqueue({FileChoice::Kind::New, dir.filePath("kept.htm")});
  action(fetched, "actionSave")->trigger();
  action(fetched, "actionExit")->trigger();
  opened->close();
  discardDeleted();
  EXPECT_TRUE(fetched.isNull());
  EXPECT_TRUE(opened.isNull());
  EXPECT_FALSE(QFileInfo::exists(tmp));
  EXPECT_TRUE(QFileInfo::exists(htm));
  EXPECT_TRUE(QFileInfo::exists(dir.filePath("kept.htm")));
}

TEST_F(ResultWindowTest, UserFilesWithTmpInTheirPathAreNeverDeleted) {
  ASSERT_TRUE(QDir(dir.path()).mkpath("tmp.reports"));
  const QStringList paths = {copySample("CAN_HS_PASS.HTM", "tmp.reports/run.htm"),
                             copySample("CAN_HS_PASS.HTM", "scan.tmp.htm"),
                             copySample("CAN_HS_PASS.HTM", "SAVED.TMP")};
  for (const QString& path : paths) {
    QPointer<ResultWindow> w = open(path);
    ASSERT_TRUE(w) << path.toStdString();
    action(w, "actionExit")->trigger();
  }
  discardDeleted();
  for (const QString& path : paths) EXPECT_TRUE(QFileInfo::exists(path)) << path.toStdString();
}

TEST_F(ResultWindowTest, AnUnreadableTemporaryResultIsNotLeftBehind) {
  const QString tmp = writePage("big.tmp", QByteArray());
  ASSERT_TRUE(QFile::resize(tmp, kResultFileMax + 1));
  EXPECT_EQ(open(tmp, ui::ResultFile::Temporary), nullptr);
  ASSERT_EQ(ui.messages.size(), 1);
  EXPECT_TRUE(ui.messages[0].text.contains("File too large for a result"));
  EXPECT_FALSE(QFileInfo::exists(tmp));
}

TEST_F(ResultWindowTest, UnreadableFileIsReportedWithoutAWindow) {
  EXPECT_EQ(open(dir.filePath("absent.htm")), nullptr);
  ASSERT_EQ(ui.messages.size(), 1);
  EXPECT_TRUE(ui.messages[0].text.contains("absent.htm"));
  EXPECT_EQ(ui.busyDepth, 0);
  EXPECT_EQ(state.resultWindowCount, 0);
}

TEST_F(ResultWindowTest, IncompleteFileShowsWhatWasReadAndSaysSo) {
  QByteArray page =
      "<HTML><BODY><H1>L</H1><H2>CAN</H2><H4 class=red>Bad</H4>"
      "<TBODY><TR class=a><TD>n</TD><TD>1</TD>";
  ResultWindow* w = open(writePage("cut.htm", page));
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(model(w)->rowCount(), 1);
  EXPECT_EQ(cell(model(w), 0, 2).toString(), "1");
  QLabel* note = label(w, "problemNote");
  ASSERT_NE(note, nullptr);
  EXPECT_TRUE(note->text().contains("<TD>"));
  EXPECT_EQ(note->textFormat(), Qt::PlainText);
}

TEST_F(ResultWindowTest, ExportItemRunsTheAttachedCommand) {
  ResultWindow* w = open(copySample("LIN_PASS.HTM", "LIN_PASS.HTM"));
  QAction* exportItem = action(w, "actionExport");
  EXPECT_FALSE(exportItem->isEnabled());
  QObject* asked = nullptr;
  state.exportResults = [&](QObject* window) { asked = window; };
  w->findChild<QMenu*>("menuFile")->aboutToShow();
  EXPECT_TRUE(exportItem->isEnabled());
  exportItem->trigger();
  EXPECT_EQ(asked, w);
}

TEST_F(ResultWindowTest, HelpButtonOpensTheBusDocument) {
  state.language = Italian;
  ResultWindow* w = open(copySample("PROFIBUS_FAIL.HTM", "P.HTM"));
  w->findChild<QToolButton*>("helpButton")->click();
  ASSERT_EQ(ui.opened.size(), 1);
  EXPECT_EQ(ui.opened[0].toLocalFile(),
            QStringLiteral(KARVEL_APPDIR "/help/PROFIBUSDP_BUS_it.pdf"));
}

TEST_F(ResultWindowTest, PrintGoesThroughThePrintDialog) {
  ResultWindow* w = open(copySample("CAN_HS_PASS.HTM", "CAN.HTM"));
  ui.printAnswers.enqueue(false);
  action(w, "actionPrint")->trigger();
  const QString pdf = dir.filePath("print.pdf");
  ui.printAnswers.enqueue(true);
  ui.printReply.outputFile = pdf;
  action(w, "actionPrint")->trigger();
  QFile out(pdf);
  ASSERT_TRUE(out.open(QIODevice::ReadOnly));
  EXPECT_TRUE(out.read(4) == "%PDF");
  EXPECT_TRUE(ui.messages.isEmpty());
}

TEST_F(ResultWindowTest, PrintAndExportAskOverTheResultsWindow) {
  // Asked over the main window, their dialogs would bring it to the front
  // and hide the window they came from.
  ResultWindow* w = open(copySample("CAN_HS_PASS.HTM", "CAN.HTM"));
  ui.printAnswers.enqueue(true);
  ui.printReply.outputFile = QStringLiteral("/proc/karvel/no.pdf");  // cannot be written
  action(w, "actionPrint")->trigger();
  ASSERT_EQ(ui.printRequests.size(), 1);
  ASSERT_EQ(ui.messages.size(), 1) << "the failure is said";
  EXPECT_EQ(ui.owners, QList<QObject*>({w, w}));

  QObject* ownerDuringExport = nullptr;
  state.exportResults = [&](QObject*) { ownerDuringExport = ui.dialogOwner(); };
  w->findChild<QMenu*>("menuFile")->aboutToShow();
  action(w, "actionExport")->trigger();
  EXPECT_EQ(ownerDuringExport, w);
  EXPECT_EQ(ui.dialogOwner(), nullptr) << "only for the command's own dialogs";
}

TEST_F(ResultWindowTest, WindowKeepsTheLanguageItOpenedIn) {
  state.language = French;
  ResultWindow* w = open(copySample("LIN_PASS.HTM", "LIN.HTM"));
  state.language = English;
  EXPECT_EQ(w->windowTitle(), "Fichier : lin.HTM");
  EXPECT_EQ(w->findChild<QMenu*>("menuFile")->title(), "&Fichier");
  EXPECT_EQ(action(w, "actionExit")->text(), "&Quitter");
  EXPECT_EQ(model(w)->headerData(2, Qt::Horizontal).toString(), QString::fromUtf8("Tolérance min"));
}

TEST_F(ResultWindowTest, OpensThroughFileOpenOfTheMainWindow) {
  test::RecordingClock clock;
  state.clock = &clock;
  state.settingsPath = dir.filePath("karvel.ini");
  ui::MainWindow main(state);
  ui::attachFeatures(main);
  const QString path = copySample("PROFIBUS_FAIL.HTM", "Line 4.HTM");
  ui.files.enqueue({FileChoice::Kind::Existing, path});
  main.GestionMenu(ui::item::Open);
  EXPECT_EQ(state.lastOpenKind, 1);

  ResultWindow* w = nullptr;
  for (QWidget* top : QApplication::topLevelWidgets()) {
    if (auto* r = qobject_cast<ResultWindow*>(top); r && r->sourcePath() == path) w = r;
  }
  ASSERT_NE(w, nullptr);
  windows.append(w);
  EXPECT_TRUE(w->isVisible());
  EXPECT_EQ(w->windowTitle(), "File : line 4.HTM");
  EXPECT_EQ(label(w, "verdict")->palette().color(QPalette::Window), QColor(0xFF0000));
  QAbstractItemModel* m = model(w);
  ASSERT_EQ(m->rowCount(), 5);
  EXPECT_EQ(cell(m, 3, 1).toString(), "Noise");
  EXPECT_EQ(cell(m, 3, 4, Qt::BackgroundRole).value<QColor>(), QColor(0xFFFF00));
  EXPECT_EQ(cell(m, 4, 2, Qt::BackgroundRole).value<QColor>(), QColor(0xD0D0D0));

  // Save it under a new name, then close it: the opened file stays.
  ui.files.enqueue({FileChoice::Kind::New, dir.filePath("Saved Result.HTM")});
  action(w, "actionSave")->trigger();
  EXPECT_EQ(ui.fileRequests.last().defaultFile,
            dir.filePath("Line 4.HTM").section(u'.', 0, 0) + ".HTM");
  const QString saved = dir.filePath("saved result.htm");
  EXPECT_TRUE(QFileInfo::exists(saved));
  EXPECT_EQ(w->windowTitle(), "File : " + QDir::toNativeSeparators(saved));
  QPointer<ResultWindow> guard = w;
  action(w, "actionExit")->trigger();
  discardDeleted();
  EXPECT_TRUE(guard.isNull());
  EXPECT_TRUE(QFileInfo::exists(path));
}
