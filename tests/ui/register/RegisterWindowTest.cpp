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
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStatusBar>
#include <QTableView>
#include <QTest>
#include <QTreeWidget>

#include "RegisterUiFixture.h"
#include "core/register/RegisterTexts.h"
#include "core/results/ResultTexts.h"
#include "support/DialogKeys.h"
#include "ui/register/SiteDetailsDialog.h"

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
  EXPECT_EQ(column(*w, RegisterEntryModel::File),
            (QStringList{"R5.HTM", "R4.HTM", "R3.HTM", "R2.HTM", "R1.HTM"}))
      << "every site's results at first, the newest first across sites";

  ASSERT_TRUE(w->selectSegment("North", "A"));
  EXPECT_EQ(column(*w, RegisterEntryModel::File), (QStringList{"R5.HTM", "R3.HTM", "R1.HTM"}))
      << "by date, newest first, not in the order they were filed";
  EXPECT_EQ(column(*w, RegisterEntryModel::Verdict).at(0), "Bus within limits");
  EXPECT_EQ(column(*w, RegisterEntryModel::Technician).at(0), "Ana Ruiz");
  EXPECT_EQ(column(*w, RegisterEntryModel::Note).at(0), "after repair");
  EXPECT_EQ(column(*w, RegisterEntryModel::Date).at(2), "2026-11-01 09:00");
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
  // Where it was filed from, truthfully: a file, not the instrument.
  const QString from = "register, North / A: filed from the file /data/visits/R3.HTM";
  EXPECT_TRUE(r->windowTitle().endsWith("(" + from + ")")) << r->windowTitle().toStdString();
  auto* field = r->findChild<QLineEdit*>("sourcePath");
  ASSERT_NE(field, nullptr);
  EXPECT_EQ(field->text(), "R3.HTM (" + from + ")");
  EXPECT_FALSE(field->text().contains("instrument"));
  const QString temporary = r->temporaryFile();
  EXPECT_EQ(fileBytes(temporary), resultBytes("52.3", dateLine(3), "LIN - 19200 bit/s", "red"));
  r->close();
  EXPECT_FALSE(QFile::exists(temporary));

  // Return on a row opens it too.
  w->table()->setFocus();
  w->table()->setCurrentIndex(w->model()->index(0, 0));
  emit w->table()->activated(w->model()->index(0, 0));
  ASSERT_EQ(windowsOf<ui::ResultWindow>().size(), 1);
  EXPECT_EQ(windowsOf<ui::ResultWindow>().front()->instrumentName(), "R5.HTM");
  windowsOf<ui::ResultWindow>().front()->close();

  // A fetched one names its instrument; one filed before the register kept
  // where results came from says it does not know.
  {
    Register reg;
    QString error;
    ASSERT_TRUE(reg.open(state.registerPath, English, &error));
    RegisterAddRequest fetched;
    fetched.site = "North";
    fetched.segment = "A";
    fetched.fileName = "RES7.HTM";
    fetched.bytes = resultBytes("52.7", dateLine(7));
    fetched.instrument = identityFromReply("TARVIK,RQ6102,8800123,V2.01");
    ASSERT_TRUE(reg.add(fetched, &error)) << error.toStdString();
    RegisterAddRequest unknown = fetched;
    unknown.fileName = "OLD.HTM";
    unknown.bytes = resultBytes("52.8", dateLine(8));
    unknown.instrument = {};
    ASSERT_TRUE(reg.add(unknown, &error)) << error.toStdString();
  }
  w->reload();
  w->selectSegment("North", "A");
  w->selectRows({0, 1});
  ASSERT_NE(w->openSelected(), nullptr) << ui.lastMessage().toStdString();
  QStringList titles;
  for (ui::ResultWindow* opened : windowsOf<ui::ResultWindow>()) titles << opened->windowTitle();
  titles.sort();
  EXPECT_EQ(titles,
            (QStringList{"File : old.HTM (register, North / A: origin not recorded)",
                         "File : res7.HTM (register, North / A: fetched from the instrument RQ6102 "
                         "no. 8800123)"}));
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
  w->selectRows({0, 2});  // A's R5 (LIN) and B's R2 (CAN)
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
  EXPECT_EQ(column(*w, RegisterEntryModel::File), (QStringList{"R4.HTM", "R3.HTM", "R2.HTM"}))
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

TEST_F(RegisterWindowTest, AHeadingClickSortsByDateVerdictOrTextAndTheSelectionFollows) {
  fileSample();
  file("South", "A", 6, "yellow");
  RegisterWindow* w = ui::openRegisterWindow(state);
  ASSERT_NE(w, nullptr);
  ASSERT_TRUE(test::showActive(w));
  QHeaderView* header = w->table()->horizontalHeader();
  auto click = [&](int column) {
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(column) + 4, header->height() / 2));
  };
  w->selectRows({3});  // R3, red
  ASSERT_EQ(w->selectedEntries().front().fileName, "R3.HTM");

  click(RegisterEntryModel::Verdict);
  EXPECT_EQ(column(*w, RegisterEntryModel::File),
            (QStringList{"R3.HTM", "R6.HTM", "R5.HTM", "R4.HTM", "R2.HTM", "R1.HTM"}))
      << "fail, warning, pass: the worst first, by severity and not by the verdict's words; "
         "the newest first among equals";
  ASSERT_EQ(w->selectedEntries().size(), 1u);
  EXPECT_EQ(w->selectedEntries().front().fileName, "R3.HTM") << "the selection follows its result";
  click(RegisterEntryModel::Verdict);
  EXPECT_EQ(column(*w, RegisterEntryModel::File),
            (QStringList{"R5.HTM", "R4.HTM", "R2.HTM", "R1.HTM", "R6.HTM", "R3.HTM"}));

  // Text in the user's alphabet; a new result keeps the order chosen.
  click(RegisterEntryModel::Site);
  EXPECT_EQ(column(*w, RegisterEntryModel::Site).first(), "North");
  file("North", "A", 10);
  w->reload();
  EXPECT_EQ(w->model()->sortColumn(), RegisterEntryModel::Site);
  EXPECT_EQ(column(*w, RegisterEntryModel::File).first(), "R10.HTM") << "newest first in North";
  // Dates by time, the newest first at the first click.
  click(RegisterEntryModel::Date);
  EXPECT_EQ(w->model()->sortOrder(), Qt::DescendingOrder);
  EXPECT_EQ(column(*w, RegisterEntryModel::File),
            (QStringList{"R10.HTM", "R6.HTM", "R5.HTM", "R4.HTM", "R3.HTM", "R2.HTM", "R1.HTM"}));
  click(RegisterEntryModel::Date);
  EXPECT_EQ(column(*w, RegisterEntryModel::File).first(), "R1.HTM");
}

TEST_F(RegisterWindowTest, ALongNoteStaysLastAndCutShortSoThePlaceStaysInSight) {
  fileSample();
  file("North", "A", 7, "yellow", "LIN - 19200 bit/s", QString(400, u'w'));
  RegisterWindow* w = ui::openRegisterWindow(state);
  ASSERT_NE(w, nullptr);
  ASSERT_TRUE(test::showActive(w));
  w->verdictBox()->setCurrentIndex(w->verdictBox()->findText(statusText(Status::Yellow, English)));
  ASSERT_EQ(w->model()->rowCount(), 1);
  QHeaderView* header = w->table()->horizontalHeader();
  EXPECT_EQ(header->logicalIndex(header->count() - 1), RegisterEntryModel::Note);
  const int room = w->table()->viewport()->width();
  for (int c : {RegisterEntryModel::Site, RegisterEntryModel::Segment})
    EXPECT_LE(header->sectionViewportPosition(c) + header->sectionSize(c), room) << c;
  EXPECT_EQ(w->model()->index(0, RegisterEntryModel::Note).data(Qt::ToolTipRole).toString(),
            QString(400, u'w'))
      << "the whole note on hovering";
}

TEST_F(RegisterWindowTest, ASitesCustomerAndNotesAndASegmentsNotesAreSetAndARefusalIsTold) {
  fileSample();
  RegisterWindow* w = ui::openRegisterWindow(state);
  ASSERT_NE(w, nullptr);
  auto* action = w->findChild<QAction*>("actionSiteDetails");
  ASSERT_NE(action, nullptr);
  w->selectSegment("");
  EXPECT_FALSE(action->isEnabled()) << "every site: none chosen";
  w->selectSegment("North", "A");
  EXPECT_TRUE(action->isEnabled());

  QString shownCustomer;
  bool segmentShown = false;
  auto answer = [&](const QString& customer, const QString& notes, const QString& segmentNotes) {
    return [&, customer, notes, segmentNotes](ui::SiteDetailsDialog& d) {
      shownCustomer = d.customerField()->text();
      segmentShown = d.segmentNotesField() != nullptr;
      d.customerField()->setText(customer);
      d.siteNotesField()->setPlainText(notes);
      if (d.segmentNotesField()) d.segmentNotesField()->setPlainText(segmentNotes);
      return true;
    };
  };
  ASSERT_TRUE(
      w->editSiteDetails(answer(" ACME Rail ", "Gate 3, ask for Mr Roy", "Under the crane")))
      << ui.lastMessage().toStdString();
  EXPECT_TRUE(segmentShown);
  EXPECT_EQ(w->statusBar()->currentMessage(),
            pick(registertext::kSiteDetailsSaved, English).arg("North"));
  {
    Register reg;
    QString error;
    ASSERT_TRUE(reg.open(state.registerPath, English, &error));
    const auto sites = reg.sites(&error);
    ASSERT_TRUE(sites);
    EXPECT_EQ(sites->front().name, "North");
    EXPECT_EQ(sites->front().customer, "ACME Rail");
    EXPECT_EQ(sites->front().notes, "Gate 3, ask for Mr Roy");
    const auto segments = reg.segments("North", &error);
    ASSERT_TRUE(segments);
    for (const RegisterSegment& g : *segments)
      EXPECT_EQ(g.notes, g.name == "A" ? "Under the crane" : "") << g.name.toStdString();
  }
  // Shown again as saved.
  ASSERT_TRUE(w->editSiteDetails(answer("ACME Rail", "Gate 3", "Under the crane")));
  EXPECT_EQ(shownCustomer, "ACME Rail");

  // The site renamed by another program meanwhile: refused, said, not saved.
  w->selectSegment("South");
  {
    QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "rename");
    db.setDatabaseName(state.registerPath);
    ASSERT_TRUE(db.open());
    QSqlQuery q(db);
    EXPECT_TRUE(q.exec("UPDATE site SET name = 'Elsewhere' WHERE name = 'South'"));
    db.close();
  }
  QSqlDatabase::removeDatabase("rename");
  w->statusBar()->clearMessage();
  EXPECT_FALSE(w->editSiteDetails(answer("Nobody", "", "")));
  EXPECT_EQ(ui.lastMessage(), pick(registertext::kNoSuchSite, English).arg("South"));
  EXPECT_TRUE(w->statusBar()->currentMessage().isEmpty()) << "nothing said saved";
}
