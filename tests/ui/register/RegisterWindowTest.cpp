// SPDX-License-Identifier: GPL-3.0-or-later
// The register window driven as the user would: the tree of sites and
// segments, the list of a segment's results by date, opening a result,
// comparing the selection or a segment since its baseline, making a
// baseline, the search, and a register that cannot be opened.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QLineEdit>
#include <QTableView>
#include <QTreeWidget>

#include "RegisterUiFixture.h"
#include "core/register/RegisterTexts.h"
#include "core/results/ResultTexts.h"

using namespace karvel;
using namespace karvel::test;
using karvel::ui::RegisterEntryModel;
using karvel::ui::RegisterWindow;

namespace {

using RegisterWindowTest = RegisterUi;

QStringList childTexts(const QTreeWidgetItem* item) {
  QStringList out;
  for (int i = 0; i < item->childCount(); ++i) out << item->child(i)->text(0);
  return out;
}

}  // namespace

TEST_F(RegisterWindowTest, TheTreeHoldsSitesAndSegmentsAndASegmentListsItsResultsByDate) {
  fileSample();
  RegisterWindow* w = ui::openRegisterWindow(state);
  ASSERT_NE(w, nullptr) << ui.lastMessage().toStdString();
  EXPECT_TRUE(w->windowTitle().contains("register.sqlite"));
  QTreeWidgetItem* all = w->tree()->topLevelItem(0);
  ASSERT_NE(all, nullptr);
  EXPECT_EQ(all->text(0), "All sites");
  EXPECT_EQ(childTexts(all), (QStringList{"North", "South"}));
  EXPECT_EQ(childTexts(all->child(0)),
            (QStringList{"A (LIN - 19200 bit/s)", "B (CAN - 500 kbit/s)"}));
  EXPECT_EQ(w->model()->rowCount(), 5) << "every site's results at first";

  ASSERT_TRUE(w->selectSegment("North", "A"));
  EXPECT_EQ(column(*w, RegisterEntryModel::File), (QStringList{"R1.HTM", "R3.HTM", "R5.HTM"}))
      << "by date, not in the order they were filed";
  EXPECT_EQ(column(*w, RegisterEntryModel::Verdict).at(0), "Bus within limits");
  EXPECT_EQ(column(*w, RegisterEntryModel::Technician).at(0), "Ana Ruiz");
  EXPECT_EQ(column(*w, RegisterEntryModel::Note).at(2), "after repair");
  EXPECT_EQ(column(*w, RegisterEntryModel::Date).at(0), "2026-11-01 09:00");
  // The verdict's colour is said in words to a screen reader.
  EXPECT_TRUE(w->model()
                  ->index(1, RegisterEntryModel::Verdict)
                  .data(Qt::AccessibleTextRole)
                  .toString()
                  .startsWith(statusText(Status::Red, English)));

  ASSERT_TRUE(w->selectSegment("North"));
  EXPECT_EQ(w->model()->rowCount(), 4);
  EXPECT_FALSE(w->selectSegment("Nowhere"));

  // A second File > Register brings the same window forward.
  EXPECT_EQ(ui::openRegisterWindow(state), w);
}

TEST_F(RegisterWindowTest, AResultOpensFromItsStoredBytesAndItsFileGoesWithItsWindow) {
  fileSample();
  RegisterWindow* w = ui::openRegisterWindow(state);
  ASSERT_NE(w, nullptr);
  w->selectSegment("North", "A");
  EXPECT_EQ(w->openSelected(), nullptr);
  EXPECT_EQ(ui.lastMessage(), pick(registertext::kChooseResult, English));
  w->selectRows({1});
  ui::ResultWindow* r = w->openSelected();
  ASSERT_NE(r, nullptr) << ui.lastMessage().toStdString();
  EXPECT_EQ(r->instrumentName(), "R3.HTM");
  EXPECT_EQ(r->table().verdictColour, Status::Red);
  const QString temporary = r->temporaryFile();
  EXPECT_EQ(fileBytes(temporary), resultBytes("52.3", dateLine(3), "LIN - 19200 bit/s", "red"));
  r->close();
  EXPECT_FALSE(QFile::exists(temporary));

  // Return on a row opens it too.
  w->table()->setFocus();
  w->table()->setCurrentIndex(w->model()->index(0, 0));
  emit w->table()->activated(w->model()->index(0, 0));
  ASSERT_EQ(windowsOf<ui::ResultWindow>().size(), 1);
  EXPECT_EQ(windowsOf<ui::ResultWindow>().front()->instrumentName(), "R1.HTM");
}

TEST_F(RegisterWindowTest, TheSelectionAndASegmentSinceItsBaselineAreCompared) {
  fileSample();
  RegisterWindow* w = ui::openRegisterWindow(state);
  ASSERT_NE(w, nullptr);
  w->selectSegment("North", "A");
  w->selectRows({2, 0});
  ui::CompareWindow* c = w->compareSelected();
  ASSERT_NE(c, nullptr) << ui.lastMessage().toStdString();
  ASSERT_EQ(c->comparison().runs.size(), 2u);
  EXPECT_EQ(c->comparison().runs[0].date.date(), QDate(2026, 11, 1));
  EXPECT_EQ(c->comparison().runs[1].date.date(), QDate(2026, 11, 5));

  // One result alone, or results of two buses, are refused with the reason.
  w->selectRows({0});
  EXPECT_EQ(w->compareSelected(), nullptr);
  EXPECT_FALSE(ui.lastMessage().isEmpty());
  w->selectSegment("North");
  w->selectRows({0, 3});  // A's R1 (LIN) and B's R2 (CAN)
  const int before = ui.messages.size();
  EXPECT_EQ(w->compareSelected(), nullptr);
  EXPECT_EQ(ui.messages.size(), before + 1);

  // Since the baseline: refused without one, then from the baseline on.
  w->selectSegment("North", "A");
  EXPECT_EQ(w->compareSinceBaseline(), nullptr);
  EXPECT_EQ(ui.lastMessage(), pick(registertext::kNoBaseline, English).arg("North", "A"));
  w->selectRows({1});
  ASSERT_TRUE(w->makeBaseline());
  c = w->compareSinceBaseline();
  ASSERT_NE(c, nullptr) << ui.lastMessage().toStdString();
  ASSERT_EQ(c->comparison().runs.size(), 2u);
  EXPECT_EQ(c->comparison().runs[0].date.date(), QDate(2026, 11, 3));

  // With every site in view, the segment is that of the selected results.
  w->selectSegment("");
  EXPECT_EQ(w->compareSinceBaseline(), nullptr);
  EXPECT_EQ(ui.lastMessage(), pick(registertext::kChooseSegment, English));
}

TEST_F(RegisterWindowTest, MakingABaselineAsksBeforeReplacingOneAndShowsTheMark) {
  fileSample();
  RegisterWindow* w = ui::openRegisterWindow(state);
  ASSERT_NE(w, nullptr);
  w->selectSegment("North", "A");
  auto* action = w->findChild<QAction*>("actionMakeBaseline");
  ASSERT_NE(action, nullptr);
  EXPECT_FALSE(action->isEnabled()) << "nothing selected";
  w->selectRows({0});
  EXPECT_TRUE(action->isEnabled());
  action->trigger();  // the first baseline of the segment: nothing to ask
  EXPECT_TRUE(ui.questions.isEmpty());
  EXPECT_EQ(column(*w, RegisterEntryModel::Baseline), (QStringList{"Baseline", "", ""}));

  w->selectRows({2});
  ui.answers.enqueue(1);  // Cancel
  EXPECT_FALSE(w->makeBaseline());
  ASSERT_EQ(ui.questions.size(), 1);
  EXPECT_TRUE(ui.questions[0].text.contains("R1.HTM")) << ui.questions[0].text.toStdString();
  EXPECT_TRUE(ui.questions[0].text.contains("R5.HTM"));
  EXPECT_EQ(column(*w, RegisterEntryModel::Baseline), (QStringList{"Baseline", "", ""}));

  w->selectRows({2});
  ui.answers.enqueue(0);  // Replace
  EXPECT_TRUE(w->makeBaseline());
  EXPECT_EQ(column(*w, RegisterEntryModel::Baseline), (QStringList{"", "", "Baseline"}));
  EXPECT_EQ(w->selectedEntries().size(), 1u);
  EXPECT_TRUE(w->selectedEntries().front().baseline) << "the new baseline stays selected";

  // Two results cannot both be the baseline.
  w->selectRows({0, 1});
  EXPECT_FALSE(action->isEnabled());
  EXPECT_FALSE(w->makeBaseline());
  EXPECT_EQ(ui.lastMessage(), pick(registertext::kChooseSameSegment, English));
}

TEST_F(RegisterWindowTest, TheSearchFiltersByTextBusDateRangeAndVerdict) {
  fileSample();
  RegisterWindow* w = ui::openRegisterWindow(state);
  ASSERT_NE(w, nullptr);
  w->searchField()->setText("REPAIR");
  w->search();
  EXPECT_EQ(column(*w, RegisterEntryModel::File), (QStringList{"R5.HTM"}));
  w->searchField()->clear();

  ASSERT_EQ(w->busBox()->count(), 3);  // any, and the two buses the register knows
  w->busBox()->setCurrentIndex(w->busBox()->findText("CAN - 500 kbit/s"));
  EXPECT_EQ(column(*w, RegisterEntryModel::File), (QStringList{"R2.HTM"}));
  w->busBox()->setCurrentIndex(0);

  w->fromDate()->setDate(QDate(2026, 11, 2));
  w->toDate()->setDate(QDate(2026, 11, 4));
  w->search();
  EXPECT_EQ(column(*w, RegisterEntryModel::File), (QStringList{"R3.HTM", "R2.HTM", "R4.HTM"}))
      << "the day of the end date counts";
  w->fromDate()->setDate(w->fromDate()->minimumDate());
  w->toDate()->setDate(w->toDate()->minimumDate());
  EXPECT_EQ(w->fromDate()->text(), pick(registertext::kAnyDate, English));

  w->verdictBox()->setCurrentIndex(w->verdictBox()->findText(statusText(Status::Red, English)));
  EXPECT_EQ(column(*w, RegisterEntryModel::File), (QStringList{"R3.HTM"}));
  // The search stays within the tree's selection.
  w->selectSegment("South");
  EXPECT_EQ(w->model()->rowCount(), 0);
  // Choosing the node shown again reads the register again.
  file("South", "A", 9, "red");
  w->selectSegment("South");
  EXPECT_EQ(column(*w, RegisterEntryModel::File), (QStringList{"R9.HTM"}));
}

TEST_F(RegisterWindowTest, ARegisterThatCannotBeOpenedIsToldAndNoWindowOpens) {
  QFile junk(state.registerPath);
  ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
  junk.write(QByteArray(4096, 'x'));
  junk.close();
  EXPECT_EQ(ui::openRegisterWindow(state), nullptr);
  ASSERT_EQ(ui.messages.size(), 1);
  EXPECT_TRUE(ui.lastMessage().contains("register.sqlite")) << ui.lastMessage().toStdString();
  EXPECT_TRUE(ui.lastMessage().contains(pick(registertext::kForeignReason, English)));
  EXPECT_TRUE(windowsOf<RegisterWindow>().isEmpty());
}
