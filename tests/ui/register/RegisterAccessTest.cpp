// SPDX-License-Identifier: GPL-3.0-or-later
// The register's windows by keyboard and screen reader in every language:
// the register window and the "File in register" dialog named and tabbed
// in reading order, the window on a 1024x600 screen, and the new menu items'
// mnemonics unique within their menus.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QAction>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QTest>
#include <QTreeWidget>

#include "RegisterUiFixture.h"
#include "core/frame/Langue.h"
#include "core/register/RegisterTexts.h"
#include "support/AccessibilityAudit.h"
#include "support/DialogKeys.h"
#include "ui/frame/Features.h"
#include "ui/frame/LabelledFields.h"
#include "ui/frame/MainWindow.h"
#include "ui/register/FileInRegisterDialog.h"
#include "ui/register/RegisterFeature.h"
#include "ui/register/SiteDetailsDialog.h"
#include "ui_MainWindow.h"

using namespace karvel;
using namespace karvel::test;
using karvel::ui::FileInRegisterDialog;
using karvel::ui::RegisterWindow;
using karvel::ui::ResultWindow;

namespace {

using RegisterAccess = RegisterUi;

QStringList stopNames(QWidget* window) {
  QStringList names;
  for (QWidget* w : tabStops(window)) names << w->objectName();
  return names;
}

// The letters after '&' of the items of `menu`, lower case, separators
// and items without one left out; the duplicates in `clashes`.
QList<QChar> mnemonics(const QMenu* menu, QStringList& clashes) {
  QList<QChar> seen;
  for (const QAction* a : menu->actions()) {
    const QString text = a->text();
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
      if (text[i] != u'&') continue;
      if (text[i + 1] == u'&') {
        ++i;
        continue;
      }
      const QChar m = text[i + 1].toLower();
      if (seen.contains(m)) clashes << text;
      seen << m;
      break;
    }
  }
  return seen;
}

}  // namespace

TEST_F(RegisterAccess, TheRegisterWindowIsNamedAndTabbedInReadingOrderInEveryLanguage) {
  fileSample();
  for (int language = French; language <= Italian; ++language) {
    SCOPED_TRACE(testing::Message() << "language " << language);
    state.language = language;
    RegisterWindow* w = ui::openRegisterWindow(state);
    ASSERT_NE(w, nullptr);
    w->selectSegment("North", "A");
    w->selectRows({0});
    EXPECT_EQ(joinProblems(auditAccessibility(w)), "");
    EXPECT_EQ(joinProblems(auditFocusChain(w)), "");
    EXPECT_EQ(w->tree()->accessibleName(), pick(registertext::kTreeName, language));
    EXPECT_EQ(w->table()->accessibleName(), pick(registertext::kListName, language));
    // What a screen reader hears as each combo box's name: its label, not
    // its value ("Any bus", "Any verdict").
    EXPECT_EQ(QAccessible::queryAccessibleInterface(w->busBox())->text(QAccessible::Name),
              ui::spokenLabel(pick(registertext::kSearchBus, language)));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(w->verdictBox())->text(QAccessible::Name),
              ui::spokenLabel(pick(registertext::kSearchVerdict, language)));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(w->busBox())->text(QAccessible::Value),
              pick(registertext::kAnyBus, language));
    // The site's details, a dialog of their own, in the same language.
    {
      ui::SiteDetailsDialog d(language, "North", "A", {"ACME", "Gate 3", "Crane"}, w);
      d.show();
      EXPECT_EQ(joinProblems(auditAccessibility(&d)), "");
      EXPECT_EQ(joinProblems(auditFocusChain(&d)), "");
      EXPECT_EQ(stopNames(&d), (QStringList{"customerField", "siteNotesField", "segmentNotesField",
                                            "saveButton", "cancelButton"}));
      EXPECT_EQ(d.customerField()->accessibleName(),
                ui::spokenLabel(menuText(pick(registertext::kSiteCustomer, language))));
      EXPECT_TRUE(d.saveButton()->isDefault());
      QStringList labelClashes;
      QList<QChar> keys;
      for (QLabel* l : d.findChildren<QLabel*>()) {
        const qsizetype at = l->text().indexOf(u'&');
        if (at < 0 || at + 1 >= l->text().size()) continue;
        const QChar k = l->text()[at + 1].toLower();
        if (keys.contains(k)) labelClashes << l->text();
        keys << k;
      }
      EXPECT_EQ(keys.size(), 3);
      EXPECT_TRUE(labelClashes.isEmpty()) << labelClashes.join(", ").toStdString();
    }
    EXPECT_EQ(stopNames(w), (QStringList{"searchField", "busBox", "fromDate", "toDate",
                                         "verdictBox", "siteTree", "resultList"}));
    QStringList clashes;
    mnemonics(w->findChild<QMenu*>("menuResults"), clashes);
    EXPECT_TRUE(clashes.isEmpty()) << clashes.join(", ").toStdString();
    w->close();
    delete w;
  }
}

TEST_F(RegisterAccess, TabGoesFromFieldToFieldOnceEachDatesIncluded) {
  fileSample();
  RegisterWindow* w = ui::openRegisterWindow(state);
  ASSERT_NE(w, nullptr);
  ASSERT_TRUE(showActive(w));
  w->searchField()->setFocus();
  QStringList forward{"searchField"};
  for (int i = 0; i < 6; ++i) {
    pressKey(Qt::Key_Tab);
    forward << (QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : "");
  }
  EXPECT_EQ(forward, (QStringList{"searchField", "busBox", "fromDate", "toDate", "verdictBox",
                                  "siteTree", "resultList"}))
      << "one Tab per field, the dates' sections left to the arrow keys";
  w->verdictBox()->setFocus();
  QStringList back;
  for (int i = 0; i < 3; ++i) {
    pressKey(Qt::Key_Backtab, Qt::ShiftModifier);
    back << (QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : "");
  }
  EXPECT_EQ(back, (QStringList{"toDate", "fromDate", "busBox"}));
  // Inside a date, the arrows still reach the day: Up in the last section
  // gives the next day.
  w->toDate()->setDate(QDate(2026, 11, 4));
  w->toDate()->setFocus();
  pressKey(Qt::Key_End);
  pressKey(Qt::Key_Up);
  EXPECT_EQ(w->toDate()->date(), QDate(2026, 11, 5));
}

TEST_F(RegisterAccess, SiteDetailsAreTypedAndSavedWithKeysAlone) {
  fileSample();
  RegisterWindow* w = ui::openRegisterWindow(state);
  ASSERT_NE(w, nullptr);
  w->selectSegment("North", "B");
  QStringList visited;
  ASSERT_TRUE(w->editSiteDetails([&](ui::SiteDetailsDialog& d) {
    if (!showActive(&d)) return false;
    QTest::keyClicks(QApplication::focusWidget(), "Rail & Co");
    pressKey(Qt::Key_Tab);
    visited << QApplication::focusWidget()->objectName();
    QTest::keyClicks(QApplication::focusWidget(), "Gate 3");
    pressKey(Qt::Key_Return);  // a new line in the notes, not Save
    QTest::keyClicks(QApplication::focusWidget(), "Ask Mr Roy");
    pressKey(Qt::Key_Tab);
    visited << QApplication::focusWidget()->objectName();
    QTest::keyClicks(QApplication::focusWidget(), "CAN stub");
    pressKey(Qt::Key_Tab);
    visited << QApplication::focusWidget()->objectName();
    pressKey(Qt::Key_Return);  // Save, the default
    return d.result() == QDialog::Accepted;
  })) << ui.lastMessage().toStdString();
  EXPECT_EQ(visited, (QStringList{"siteNotesField", "segmentNotesField", "saveButton"}));
  Register reg;
  QString error;
  ASSERT_TRUE(reg.open(state.registerPath, English, &error));
  const auto sites = reg.sites(&error);
  ASSERT_TRUE(sites);
  EXPECT_EQ(sites->front().customer, "Rail & Co");
  EXPECT_EQ(sites->front().notes, "Gate 3\nAsk Mr Roy");
  const auto segments = reg.segments("North", &error);
  ASSERT_TRUE(segments);
  EXPECT_EQ(segments->back().name, "B");
  EXPECT_EQ(segments->back().notes, "CAN stub");
}

TEST_F(RegisterAccess, TheWindowFitsASmallScreenAndTabLeavesTheList) {
  fileSample();
  RegisterWindow* w = ui::openRegisterWindow(state);
  ASSERT_NE(w, nullptr);
  const QRect room = w->screen()->availableGeometry();
  EXPECT_TRUE(room.contains(w->frameGeometry())) << "keepOnScreen placed it";
  EXPECT_LE(w->minimumSizeHint().width(), 1024);
  EXPECT_LE(w->minimumSizeHint().height(), 600);
  ASSERT_TRUE(showActive(w));
  w->table()->setFocus();
  w->table()->setCurrentIndex(w->model()->index(0, 0));
  pressKey(Qt::Key_Tab);
  EXPECT_NE(QApplication::focusWidget(), w->table()) << "Tab leaves the list";
}

TEST_F(RegisterAccess, TheFilingDialogIsNamedTabbedAndHasOneDefaultButtonInEveryLanguage) {
  file("North", "A", 1);
  for (int language = French; language <= Italian; ++language) {
    SCOPED_TRACE(testing::Message() << "language " << language);
    std::vector<RegisterSegment> segments(1);
    segments[0].site = "North";
    segments[0].name = "A";
    segments[0].bus = "LIN - 19200 bit/s";
    FileInRegisterDialog d(language, "R.HTM", "LIN - 19200 bit/s", segments, {"North", "A", {}});
    d.show();
    EXPECT_EQ(joinProblems(auditAccessibility(&d)), "");
    EXPECT_EQ(joinProblems(auditFocusChain(&d)), "");
    EXPECT_EQ(stopNames(&d), (QStringList{"resultField", "siteBox", "segmentBox", "noteField",
                                          "fileButton", "cancelButton"}));
    EXPECT_EQ(d.siteBox()->accessibleName(),
              ui::spokenLabel(menuText(pick(registertext::kFileSite, language))));
    int defaults = 0;
    for (QPushButton* b : d.findChildren<QPushButton*>()) defaults += b->isDefault();
    EXPECT_EQ(defaults, 1);
    EXPECT_TRUE(d.fileButton()->isDefault());

    // A result filed before: the notice is read first, Close is the one
    // button and the default.
    FileInRegisterDialog again(language, "R.HTM", "LIN - 19200 bit/s", segments,
                               {"North", "A", {}});
    RegisterEntry filed;
    filed.id = 7;
    filed.site = "North";
    filed.segment = "A";
    filed.date = QDateTime(QDate(2026, 11, 4), QTime(9, 0));
    filed.dateSource = DateSource::Result;
    again.showAlreadyFiled(filed);
    again.show();
    EXPECT_EQ(joinProblems(auditAccessibility(&again)), "");
    EXPECT_EQ(joinProblems(auditFocusChain(&again)), "");
    EXPECT_EQ(stopNames(&again),
              (QStringList{"alreadyFiledNotice", "resultField", "cancelButton"}));
    EXPECT_EQ(again.cancelButton()->text(), pick(registertext::kCloseButton, language));
    EXPECT_TRUE(again.cancelButton()->isDefault());
    EXPECT_TRUE(again.notice()->text().contains("2026-11-04 09:00"));
  }
}

TEST_F(RegisterAccess, TheNewItemsKeepTheFileMenusMnemonicsUniqueInEveryLanguage) {
  test::RecordingClock clock;
  state.clock = &clock;
  state.settingsPath = dir.filePath("karvel.ini");
  ui::MainWindow main(state);
  ui::attachFeatures(main);
  ResultWindow* r = ui::ReadHTMLFile(
      state, writeResult(dir, "M.HTM", resultBytes("52.0", dateLine(1))), ui::ResultFile::User);
  ASSERT_NE(r, nullptr);
  delete r;
  for (int language = French; language <= Italian; ++language) {
    SCOPED_TRACE(testing::Message() << "language " << language);
    main.GestionMenu(ui::item::FirstLanguage + language);
    QMenu* file = main.form().menuFile;
    emit file->aboutToShow();
    auto* item = main.findChild<QAction*>("actionRegister");
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->text(), menuText(pick(registertext::kMenuRegister, language)));
    const QList<QAction*> items = file->actions();
    ASSERT_GE(items.indexOf(item), 0);
    EXPECT_EQ(items[items.indexOf(item) + 1], main.findChild<QAction*>("actionCompare"))
        << "with the other commands over many results";
    QStringList clashes;
    mnemonics(file, clashes);
    EXPECT_TRUE(clashes.isEmpty()) << clashes.join(", ").toStdString();

    r = ui::ReadHTMLFile(state, dir.filePath("M.HTM"), ui::ResultFile::User);
    ASSERT_NE(r, nullptr);
    auto* fileIn = r->findChild<QAction*>("actionFileInRegister");
    ASSERT_NE(fileIn, nullptr);
    EXPECT_TRUE(fileIn->isEnabled()) << "attached with the features";
    QStringList resultClashes;
    mnemonics(r->findChild<QMenu*>("menuFile"), resultClashes);
    EXPECT_TRUE(resultClashes.isEmpty()) << resultClashes.join(", ").toStdString();
    delete r;
  }
}
