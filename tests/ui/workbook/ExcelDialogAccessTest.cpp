// SPDX-License-Identifier: GPL-3.0-or-later
// The spreadsheet dialog by keyboard and through the accessibility
// interfaces, in every language: fields named after their labels, Tab in
// reading order, Return runs and then exports, Escape quits.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>

#include "core/frame/AppState.h"
#include "support/AccessibilityAudit.h"
#include "support/DialogKeys.h"
#include "support/ExportFixtures.h"
#include "support/ScriptedInteraction.h"
#include "ui/results/ResultWindow.h"
#include "ui/workbook/ExcelDialog.h"

using namespace karvel;
using namespace karvel::test;
using karvel::ui::ExcelDialog;
using karvel::ui::ResultWindow;

namespace {

class ExcelDialogAccess : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  ScriptedInteraction ui;
  AppState state;
  QPointer<ResultWindow> window;
  ExcelDialog* dialog = nullptr;
  QString startFolder = QDir::currentPath();

  void SetUp() override {
    state.ui = &ui;
    state.programDir = QStringLiteral(KARVEL_APPDIR);
    state.workingDir = QDir::toNativeSeparators(dir.path());
    window = new ResultWindow(state, threeRowTable(), {});
    dialog = ui::LoadExcelPanel(state);
    dialog->setSpreadsheetCheck([] { return false; });
  }
  void TearDown() override {
    delete dialog;
    delete window.data();
    QDir::setCurrent(startFolder);
  }
  QStringList stopNames() const {
    QStringList names;
    for (QWidget* w : tabStops(dialog)) names << w->objectName();
    return names;
  }
};

}  // namespace

TEST_F(ExcelDialogAccess, NamedAndTabbedInReadingOrderInEveryLanguage) {
  for (int language = French; language <= Italian; ++language) {
    SCOPED_TRACE(testing::Message() << "language " << language);
    state.language = language;
    dialog->prepareFor(window);
    dialog->show();
    EXPECT_EQ(joinProblems(auditAccessibility(dialog)), "");
    EXPECT_EQ(joinProblems(auditFocusChain(dialog)), "");
    auto* folderLabel = dialog->findChild<QLabel*>("workingDirLabel");
    EXPECT_EQ(dialog->findChild<QLineEdit*>("workingDirEdit")->accessibleName(),
              folderLabel->text());
    EXPECT_EQ(dialog->findChild<QPlainTextEdit*>("messageBox")->accessibleName(),
              dialog->findChild<QLabel*>("messageLabel")->text());
    // Export is dimmed until Run: Tab passes it by.
    EXPECT_EQ(stopNames(), (QStringList{"workingDirEdit", "browseButton", "fileNameEdit",
                                        "messageBox", "runButton", "quitButton"}));
    dialog->hide();
  }
  state.language = English;
  dialog->prepareFor(window);
  EXPECT_EQ(dialog->findChild<QLineEdit*>("fileNameEdit")->accessibleName(), "Sheet (*.XLSX)");
}

TEST_F(ExcelDialogAccess, ReturnRunsThenExportsAndEscapeQuits) {
  dialog->prepareFor(window);
  ASSERT_TRUE(showActive(dialog));
  EXPECT_TRUE(dialog->runButton()->isDefault());

  // Return in the folder field runs.
  ASSERT_TRUE(tabTo(dialog->findChild<QLineEdit*>("workingDirEdit")));
  pressKey(Qt::Key_Return);
  EXPECT_TRUE(ui.messages.isEmpty());
  EXPECT_EQ(dialog->messages(), "EXCEL Ready !\n");
  EXPECT_TRUE(dialog->exportButton()->isDefault());

  // Return in the name field now exports: the next step.
  ASSERT_TRUE(tabTo(dialog->findChild<QLineEdit*>("fileNameEdit")));
  pressKey(Qt::Key_Return);
  EXPECT_TRUE(ui.messages.isEmpty());
  EXPECT_TRUE(QFile::exists(dir.filePath("CAN_01.xlsx")));
  EXPECT_FALSE(dialog->isVisible());

  // Opened again: Escape is Quit.
  dialog->prepareFor(window);
  ASSERT_TRUE(showActive(dialog));
  EXPECT_EQ(state.exportPanel.data(), window.data());
  pressKey(Qt::Key_Escape);
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(state.exportPanel.data(), nullptr);
}
