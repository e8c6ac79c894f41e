// SPDX-License-Identifier: GPL-3.0-or-later
// Results > Report ... of the register window: the dialog proposes the
// selected site and its last day of results, the PDF's name is asked through
// the Interaction, the report comes in the language chosen with the company
// on its cover (kept for the next time), and a logo that cannot be read is
// named while the report is still written.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>

#include "support/AccessibilityAudit.h"
#include "ui/register/RegisterUiFixture.h"
#include "ui/report/ReportDialog.h"

using namespace karvel;
using namespace karvel::test;
using karvel::ui::RegisterWindow;
using karvel::ui::ReportDialog;

namespace {

QString pdfText(const QString& path) {
  QProcess p;
  p.start("pdftotext", {path, "-"});
  p.waitForFinished(60000);
  return QString::fromUtf8(p.readAllStandardOutput());
}

class ReportDialogTest : public RegisterUi {};

}  // namespace

TEST_F(ReportDialogTest, ProposesTheVisitWritesTheChosenLanguageAndKeepsTheCompany) {
  fileSample();
  RegisterWindow* w = ui::openRegisterWindow(state);
  ASSERT_TRUE(w);
  ASSERT_TRUE(w->selectSegment("North", "A"));
  const QString pdf = dir.filePath("north.pdf");
  const QString badLogo = dir.filePath("no-logo.png");
  ui.files.enqueue(FileChoice{FileChoice::Kind::New, pdf});
  const bool made = w->makeReport([&](ReportDialog& d) {
    EXPECT_EQ(d.siteBox()->currentData().toString(), "North");
    // North's results are dated the 1st to the 5th: the visit is the 5th.
    EXPECT_EQ(d.fromDate()->date(), QDate(2026, 11, 5));
    EXPECT_EQ(d.toDate()->date(), QDate(2026, 11, 5));
    // Another site proposes its own last day.
    d.siteBox()->setCurrentIndex(d.siteBox()->findData("South"));
    EXPECT_EQ(d.fromDate()->date(), QDate(2026, 11, 4));
    d.siteBox()->setCurrentIndex(d.siteBox()->findData("North"));
    d.fromDate()->setDate(QDate(2026, 11, 1));
    d.languageBox()->setCurrentIndex(French);
    d.companyField()->setText("Services Karvel");
    d.logoField()->setText(badLogo);
    return true;
  });
  ASSERT_TRUE(made) << ui.lastMessage().toStdString();
  ASSERT_EQ(ui.fileRequests.size(), 1);
  EXPECT_EQ(ui.fileRequests[0].confirm, FileRequest::Confirm::Save);
  const QString text = pdfText(pdf);
  EXPECT_TRUE(text.contains("Rapport de maintenance"));
  EXPECT_TRUE(text.contains("Services Karvel"));
  EXPECT_TRUE(text.contains("du 2026-11-01 au 2026-11-05"));
  // The logo's problem, then where the report went, in the window's language.
  ASSERT_GE(ui.messages.size(), 2);
  EXPECT_TRUE(ui.messages[ui.messages.size() - 2].text.contains(badLogo));
  EXPECT_TRUE(ui.lastMessage().startsWith("Report written to"));
  EXPECT_EQ(state.companyName, "Services Karvel");
  EXPECT_EQ(state.companyLogo, badLogo);

  // Cancelled: no file asked for, nothing written.
  QFile::remove(pdf);
  EXPECT_FALSE(w->makeReport([](ReportDialog&) { return false; }));
  EXPECT_EQ(ui.fileRequests.size(), 1);
  EXPECT_FALSE(QFile::exists(pdf));
}

TEST_F(ReportDialogTest, TheDialogIsNamedAndHasOneDefaultButtonInEveryLanguage) {
  std::vector<RegisterSite> sites(2);
  sites[0].name = "North";
  sites[0].customer = "Acme";
  sites[1].name = "South";
  for (int language = French; language <= Italian; ++language) {
    SCOPED_TRACE(testing::Message() << "language " << language);
    state.language = language;
    ReportDialog d(state, sites, ui::ReportChoice{"South", {}, {}, "Ana", language, {}, {}},
                   [](const QString&) { return QDate(2026, 11, 5); });
    d.show();
    EXPECT_EQ(joinProblems(auditAccessibility(&d)), "");
    EXPECT_EQ(joinProblems(auditFocusChain(&d)), "");
    EXPECT_EQ(d.siteBox()->currentText(), "South");
    EXPECT_EQ(d.toDate()->date(), QDate(2026, 11, 5));
    int defaults = 0;
    for (QPushButton* b : d.findChildren<QPushButton*>()) defaults += b->isDefault();
    EXPECT_EQ(defaults, 1);
    EXPECT_TRUE(d.makeButton()->isDefault());
    // A first day after the last moves the last along: never a reversed visit.
    d.fromDate()->setDate(QDate(2026, 11, 9));
    EXPECT_EQ(d.toDate()->date(), QDate(2026, 11, 9));
  }
}
