// SPDX-License-Identifier: GPL-3.0-or-later
// The spreadsheet dialog driven through its buttons, with scripted answers;
// the workbooks it writes are read back with openpyxl.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include "core/frame/AppState.h"
#include "core/workbook/SheetExport.h"
#include "support/ExportFixtures.h"
#include "support/ScriptedInteraction.h"
#include "support/WorkbookReader.h"
#include "ui/frame/MainWindow.h"
#include "ui/results/ResultWindow.h"
#include "ui/workbook/ExcelDialog.h"
#include "ui/workbook/WorkbookFeature.h"

using namespace karvel;
using namespace karvel::test;
using karvel::ui::ExcelDialog;
using karvel::ui::ResultWindow;

namespace {

QByteArray fileBytes(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class ExcelDialogTest : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  ScriptedInteraction ui;
  AppState state;
  QPointer<ResultWindow> window;
  ExcelDialog* dialog = nullptr;
  bool spreadsheetInstalled = true;
  QString startFolder = QDir::currentPath();

  void SetUp() override {
    state.ui = &ui;
    state.programDir = QStringLiteral(KARVEL_APPDIR);
    state.workingDir = QDir::toNativeSeparators(dir.path());
    window = new ResultWindow(state, threeRowTable(), {});
    dialog = ui::LoadExcelPanel(state);
    dialog->setSpreadsheetCheck([this] { return spreadsheetInstalled; });
  }
  void TearDown() override {
    delete dialog;
    delete window.data();
    QDir::setCurrent(startFolder);
  }

  QString target() const { return dir.filePath(QStringLiteral("CAN_01.xlsx")); }
  // The results window's "Export to EXCEL", without waiting on the modal loop.
  void openFromWindow() { dialog->prepareFor(window); }
  void run() { dialog->runButton()->click(); }
  void exportNow() { dialog->exportButton()->click(); }
  bool notStarted() const {
    return dialog->runButton()->isEnabled() && dialog->browseButton()->isEnabled() &&
           !dialog->exportButton()->isEnabled() && dialog->quitButton()->isEnabled();
  }
};

}  // namespace

TEST_F(ExcelDialogTest, RunThenExportWritesTheWorkbookAndOpensIt) {
  EXPECT_TRUE(bool(state.exportResults)) << "the results windows' command is attached";
  EXPECT_EQ(state.excelPanel.data(), dialog);
  openFromWindow();
  EXPECT_EQ(dialog->fileNameText(), "CAN_01.xlsx");
  EXPECT_EQ(state.sheetFileName, "CAN_01.xlsx");
  EXPECT_EQ(dialog->workingDirText(), state.workingDir);
  EXPECT_EQ(state.exportPanel.data(), window.data());
  EXPECT_TRUE(notStarted());

  run();
  EXPECT_TRUE(ui.messages.isEmpty());
  EXPECT_EQ(dialog->messages(), "EXCEL Ready !\n");
  EXPECT_EQ(state.excelRunning, 1);
  EXPECT_FALSE(dialog->runButton()->isEnabled());
  EXPECT_FALSE(dialog->browseButton()->isEnabled());
  EXPECT_TRUE(dialog->exportButton()->isEnabled());

  exportNow();
  EXPECT_TRUE(ui.messages.isEmpty());
  EXPECT_EQ(dialog->messages(),
            "EXCEL Ready !\nFormat the sheet...\nSheet ready.\nWorkbook saved: " +
                QDir::toNativeSeparators(target()) + "\n");
  EXPECT_EQ(ui.busyDepth, 0);
  EXPECT_GT(ui.busyCalls, 0);
  EXPECT_TRUE(dialog->exportButton()->isEnabled());
  EXPECT_TRUE(dialog->quitButton()->isEnabled());
  EXPECT_FALSE(dialog->runButton()->isEnabled());
  ASSERT_EQ(ui.opened.size(), 1);
  EXPECT_EQ(ui.opened.first(), QUrl::fromLocalFile(target()));

  const QJsonObject book = readWorkbook(target());
  const ResultTable table = threeRowTable();
  EXPECT_EQ(cellText(book, "A1"), table.tableLabel);
  EXPECT_EQ(cellText(book, "A2"), table.busHeading);
  EXPECT_EQ(cellText(book, "C2"), "Bus quality");
  EXPECT_EQ(cellText(book, "D2"), table.verdict);
  EXPECT_EQ(cellText(book, "A4"), "Measurements");
  EXPECT_EQ(cellText(book, "D4"), "%");
  for (std::size_t i = 0; i < table.rows.size(); ++i)
    for (int c = 0; c < 4; ++c)
      EXPECT_EQ(cellText(book, QChar(u'A' + c) + QString::number(i + 5)),
                table.rows[i].cells[static_cast<std::size_t>(c)]);
  // The number columns come with the dialog's export too.
  EXPECT_EQ(cellText(book, "E4"), "Value");
  EXPECT_EQ(cellInfo(book, "E5")["type"].toString(), "n");
  EXPECT_EQ(cellText(book, "J6"), "warning");
  EXPECT_EQ(cellInfo(book, "J6")["fill"].toString(), "FFFFFF00");
}

TEST_F(ExcelDialogTest, NumberColumnsGetTheWidthsOfTheCommandLinesWorkbook) {
  // Engineering numbers such as "-120.00E-03" show as "###" in a column of
  // the default width: the dialog's sheet is the command line's, widths too.
  openFromWindow();
  run();
  exportNow();
  const QString batch = dir.filePath(QStringLiteral("batch.xlsx"));
  QString error;
  ASSERT_TRUE(
      exportResultTables(templatePath(state.programDir), {threeRowTable()}, English, batch, &error))
      << error.toStdString();
  const QJsonObject fromDialog = readWorkbook(target())["column_widths"].toObject();
  const QJsonObject fromBatch = readWorkbook(batch)["column_widths"].toObject();
  EXPECT_EQ(fromDialog, fromBatch);
  const int longest = static_cast<int>(QStringLiteral("-888.88E-18").size());
  for (const char* column : {"E", "F", "G"})
    EXPECT_GE(fromDialog[column].toDouble(), longest) << column;
  for (const char* column : {"H", "I", "J"}) EXPECT_GE(fromDialog[column].toDouble(), 8) << column;
  // The template's own widths stay.
  EXPECT_NEAR(fromDialog["A"].toDouble(), 44.71, 0.01);
}

TEST_F(ExcelDialogTest, WithoutASpreadsheetApplicationNothingIsOpened) {
  spreadsheetInstalled = false;
  openFromWindow();
  run();
  exportNow();
  EXPECT_TRUE(QFile::exists(target()));
  EXPECT_TRUE(ui.opened.isEmpty());
}

TEST_F(ExcelDialogTest, OverwriteQuestionAnsweredNoChangesNothing) {
  openFromWindow();
  run();
  exportNow();
  const QByteArray first = fileBytes(target());
  const QString log = dialog->messages();

  openFromWindow();
  ui.answers.enqueue(1);  // "No"
  exportNow();
  ASSERT_EQ(ui.questions.size(), 1);
  EXPECT_EQ(ui.questions.first().title, "EXCEL Sheet");
  EXPECT_EQ(ui.questions.first().text, "Sheet already exist !    Overwrite Data ?\n");
  EXPECT_EQ(fileBytes(target()), first);
  EXPECT_EQ(dialog->messages(), log);
  EXPECT_TRUE(dialog->exportButton()->isEnabled()) << "the dialog stays as it was";
  EXPECT_TRUE(dialog->workbookOpen());

  ui.answers.enqueue(0);  // "Yes"
  exportNow();
  EXPECT_TRUE(dialog->messages().endsWith(
      "Sheet ready.\nWorkbook saved: " + QDir::toNativeSeparators(target()) +
      "\nFormat the sheet...\nSheet ready.\nWorkbook saved: " + QDir::toNativeSeparators(target()) +
      "\n"));
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"CAN_01.xlsx"});
}

TEST_F(ExcelDialogTest, UnwritableWorkingFolderGivesMessage12AndNoFile) {
  const QString folder = unwritableFolder(dir);
  state.workingDir = folder;
  openFromWindow();
  run();
  ASSERT_TRUE(ui.messages.isEmpty()) << "the folder can be entered";
  exportNow();
  ASSERT_EQ(ui.messages.size(), 1) << "no \"EXCEL will be closed\" on the way";
  EXPECT_EQ(ui.messages.first().title, "Error n° -112");
  EXPECT_EQ(ui.messages.first().text, "Error writing to EXCEL\n");
  EXPECT_FALSE(dialog->messages().contains("Sheet ready."));
  // Neither the file nor a temporary file named after it.
  EXPECT_EQ(QDir(folder).entryList({"CAN_01*"}, QDir::AllEntries | QDir::Hidden), QStringList());
  EXPECT_TRUE(notStarted()) << "Run can start again, in another folder";
  EXPECT_EQ(ui.busyDepth, 0);
  EXPECT_TRUE(ui.opened.isEmpty());

  // Another folder, a new Run, and the export goes through.
  dialog->setWorkingDirText(QDir::toNativeSeparators(dir.path()));
  run();
  exportNow();
  EXPECT_TRUE(QFile::exists(target()));
}

TEST_F(ExcelDialogTest, FolderThatCannotBeEnteredGivesMessage10) {
  openFromWindow();
  const QString typed = QDir::toNativeSeparators(dir.filePath("no/such/folder"));
  dialog->setWorkingDirText(typed);
  run();
  ASSERT_EQ(ui.messages.size(), 1);
  EXPECT_EQ(ui.messages.first().title, "Error n° -110");
  EXPECT_EQ(ui.messages.first().text, "Working directory not found\n");
  EXPECT_EQ(state.workingDir, typed) << "the typed folder is kept";
  EXPECT_EQ(state.excelRunning, 0);
  EXPECT_TRUE(notStarted());
  EXPECT_TRUE(dialog->messages().isEmpty());
}

TEST_F(ExcelDialogTest, TheProposedWorkingFolderIsMadeOnFirstUse) {
  const QByteArray home = qgetenv("HOME");
  qputenv("HOME", dir.filePath("home").toUtf8());
  ASSERT_TRUE(QDir().mkpath(dir.filePath("home")));
  state.workingDir = defaultWorkingDir();
  openFromWindow();
  dialog->setWorkingDirText(state.workingDir);
  run();
  qputenv("HOME", home);
  EXPECT_TRUE(ui.messages.isEmpty()) << ui.lastMessage().toStdString();
  EXPECT_TRUE(QFileInfo(dir.filePath("home/karvel")).isDir());
  EXPECT_EQ(state.excelRunning, 1);
}

TEST_F(ExcelDialogTest, MissingTemplateGivesMessage9) {
  QTemporaryDir emptyProgramDir;
  state.programDir = emptyProgramDir.path();
  openFromWindow();
  run();
  ASSERT_EQ(ui.messages.size(), 1);
  EXPECT_EQ(ui.messages.first().title, "Error n° -109");
  EXPECT_EQ(ui.messages.first().text, "Cannot launch EXCEL\n");
  EXPECT_EQ(state.excelRunning, 0);
  EXPECT_TRUE(notStarted());
  EXPECT_EQ(QDir::currentPath(), QDir(emptyProgramDir.path()).canonicalPath())
      << "the program folder is current again";
}

TEST_F(ExcelDialogTest, ExportBeforeRunFailsTheLivenessTest) {
  openFromWindow();
  dialog->exportButton()->setEnabled(true);  // the button is dimmed; press it anyway
  exportNow();
  ASSERT_EQ(ui.messages.size(), 1);
  EXPECT_EQ(ui.messages.first().text, "Error writing to EXCEL\n");
  EXPECT_TRUE(notStarted());
  EXPECT_FALSE(QFile::exists(target()));
}

TEST_F(ExcelDialogTest, QuitForgetsTheWindowAndExportThenDoesNothing) {
  openFromWindow();
  run();
  dialog->quitButton()->click();
  EXPECT_TRUE(state.exportPanel.isNull());
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_TRUE(dialog->workbookOpen()) << "the engine stays up";
  exportNow();
  EXPECT_FALSE(QFile::exists(target()));
  EXPECT_TRUE(ui.messages.isEmpty());
  EXPECT_EQ(dialog->messages(), "EXCEL Ready !\n");
}

TEST_F(ExcelDialogTest, BrowseStoresTheFolderWithoutItsTrailingSeparator) {
  openFromWindow();
  ui.folders.enqueue(dir.path() + "/sub/");
  dialog->browseButton()->click();
  EXPECT_EQ(state.workingDir, QDir::toNativeSeparators(dir.path() + "/sub"));
  EXPECT_EQ(dialog->workingDirText(), state.workingDir);
  ui.folders.enqueue(QStringLiteral("C:\\"));
  dialog->browseButton()->click();
  EXPECT_EQ(state.workingDir, "C:");
  dialog->browseButton()->click();  // cancelled
  EXPECT_EQ(state.workingDir, "C:");
}

TEST_F(ExcelDialogTest, ClosingAtExitWarnsOnlyWhenASpreadsheetApplicationWasStarted) {
  ui::FermetureExcel(state);
  EXPECT_TRUE(ui.messages.isEmpty()) << "never started";

  openFromWindow();
  run();
  exportNow();
  const QByteArray exported = fileBytes(target());
  ui::FermetureExcel(state);
  ASSERT_EQ(ui.messages.size(), 1);
  EXPECT_EQ(ui.messages.first().title, "Error n° -117");
  EXPECT_EQ(ui.messages.first().text, "Warning !  EXCEL will be closed\n");
  EXPECT_EQ(fileBytes(target()), exported) << "nothing new to save";
  EXPECT_FALSE(dialog->workbookOpen());
  EXPECT_EQ(state.excelRunning, 1);

  ui::FermetureExcel(state);
  EXPECT_EQ(ui.messages.size(), 1) << "closing twice is harmless and silent";
}

TEST_F(ExcelDialogTest, AWorkbookShownByNoApplicationClosesWithoutAWarning) {
  spreadsheetInstalled = false;
  openFromWindow();
  run();
  exportNow();
  ASSERT_TRUE(dialog->workbookOpen());
  ui::FermetureExcel(state);
  EXPECT_TRUE(ui.messages.isEmpty());
  EXPECT_FALSE(dialog->workbookOpen());
}

TEST_F(ExcelDialogTest, TextsFollowTheLanguage) {
  state.language = German;
  openFromWindow();
  EXPECT_EQ(dialog->runButton()->text(), "&Starten");
  EXPECT_EQ(dialog->quitButton()->text(), "Beenden");
  run();
  EXPECT_EQ(dialog->messages(), "EXCEL bereit !\n");
  exportNow();
  EXPECT_TRUE(dialog->messages().endsWith(
      "Arbeitsmappe gespeichert: " + QDir::toNativeSeparators(target()) + "\n"));
  ui.answers.enqueue(0);
  exportNow();
  EXPECT_EQ(cellText(readWorkbook(target()), "A4"), "Messungen");
  state.language = French;
  ui.answers.enqueue(1);
  exportNow();
  EXPECT_EQ(ui.questions.last().title, "Feuille EXCEL");
  EXPECT_EQ(ui.questions.last().text, "Feuille déja existante !    Ecraser les données ?\n");
}

TEST(ExcelDialogAttach, ResultsWindowsExportAndQuitWarnsOnlyWhenASpreadsheetWasStarted) {
  QTemporaryDir dir;
  ScriptedInteraction ui;
  RecordingClock clock;
  AppState state;
  state.ui = &ui;
  state.clock = &clock;
  state.programDir = QStringLiteral(KARVEL_APPDIR);
  state.workingDir = dir.path();
  auto main = std::make_unique<ui::MainWindow>(state);
  ui::attachWorkbookFeature(*main);
  auto* dialog = qobject_cast<ExcelDialog*>(state.excelPanel.data());
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(dialog->parent(), main.get());
  ASSERT_TRUE(bool(state.exportResults));
  dialog->setSpreadsheetCheck([] { return false; });

  QPointer<ResultWindow> window = new ResultWindow(state, threeRowTable(), {});
  dialog->prepareFor(window);
  dialog->runButton()->click();
  dialog->exportButton()->click();
  ASSERT_TRUE(QFile::exists(dir.filePath("CAN_01.xlsx")));

  ui.answers.enqueue(0);  // Yes, quit
  EXPECT_TRUE(main->Sortir());
  EXPECT_TRUE(ui.messages.isEmpty()) << "no spreadsheet application was started";
  EXPECT_FALSE(dialog->workbookOpen());
  delete window.data();
}

TEST(ExcelDialogAttach, ExportOpensOverTheResultsWindowAndStaysForTheRun) {
  QTemporaryDir dir;
  ScriptedInteraction ui;
  RecordingClock clock;
  AppState state;
  state.ui = &ui;
  state.clock = &clock;
  state.programDir = QStringLiteral(KARVEL_APPDIR);
  state.workingDir = dir.path();
  auto main = std::make_unique<ui::MainWindow>(state);
  ui::attachWorkbookFeature(*main);
  auto* dialog = qobject_cast<ExcelDialog*>(state.excelPanel.data());
  ASSERT_NE(dialog, nullptr);
  main->show();
  QPointer<ResultWindow> window = new ResultWindow(state, threeRowTable(), {});
  window->show();

  QWidget* over = nullptr;
  bool modal = false;
  // Inside the application's loop: a test before may have ended it, and a
  // modal dialog's own loop then returns at once.
  QTimer::singleShot(0, [&] {
    QTimer::singleShot(0, dialog, [&] {
      over = dialog->parentWidget();
      modal = dialog->isVisible() && QApplication::activeModalWidget() == dialog;
      dialog->browseButton()->click();  // its folder dialog belongs to the same window
      dialog->quitButton()->click();
    });
    window->findChild<QAction*>("actionExport")->trigger();
    QCoreApplication::exit(0);
  });
  QApplication::exec();
  EXPECT_EQ(over, window.data()) << "over the results window, not the main window";
  EXPECT_TRUE(modal);
  EXPECT_EQ(ui.owners, QList<QObject*>({window.data()}));

  // Back with the main window: closing the results window leaves it alive.
  EXPECT_EQ(dialog->parentWidget(), main.get());
  window->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(window.isNull());
  EXPECT_EQ(state.excelPanel.data(), dialog);
}
