// SPDX-License-Identifier: GPL-3.0-or-later
// The about panel, the language chooser and the help viewer by keyboard and
// through the accessibility interfaces, in every language: every control
// named, Tab through every control in reading order, Return and Escape.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QToolBar>

#include "core/frame/AppState.h"
#include "core/frame/Links.h"
#include "core/frame/Texts.h"
#include "support/AccessibilityAudit.h"
#include "support/DialogKeys.h"
#include "support/ScriptedInteraction.h"
#include "ui/frame/AboutDialog.h"
#include "ui/frame/HelpViewer.h"
#include "ui/frame/LanguageDialog.h"
#include "ui_AboutDialog.h"

using namespace karvel;
using namespace karvel::ui;
using namespace karvel::test;

namespace {

struct AboutHarness {
  QTemporaryDir dir;
  ScriptedInteraction ui;
  RecordingClock clock;
  AppState state;
  AboutHarness(int language) {
    state.ui = &ui;
    state.clock = &clock;
    state.language = language;
    state.settingsPath = dir.filePath("karvel.ini");
  }
};

}  // namespace

TEST(AboutPanelAccess, LinksAreReachedAndOpenedByKeyboardInEveryLanguage) {
  for (int language = French; language <= Italian; ++language) {
    SCOPED_TRACE(testing::Message() << "language " << language);
    AboutHarness h(language);
    AboutDialog about(h.state);
    about.setBuildDate("01-12-2016", 2016);
    about.showFromMenu();
    EXPECT_EQ(joinProblems(auditAccessibility(&about)), "");
    EXPECT_EQ(joinProblems(auditFocusChain(&about)), "");
    const auto stops = tabStops(&about);
    // The settings path (to copy), the two links, then Close.
    ASSERT_EQ(stops.size(), 4u);
    EXPECT_EQ(stops[0], about.form().installText);
    EXPECT_EQ(stops[1], about.form().makerLink);
    EXPECT_EQ(stops[2], about.form().supportLink);
    EXPECT_EQ(stops[3], about.form().closeButton);
    EXPECT_FALSE(about.form().supportLink->accessibleDescription().isEmpty());
    about.hide();
  }

  AboutHarness h(Spanish);
  AboutDialog about(h.state);
  about.showFromMenu();
  ASSERT_TRUE(showActive(&about));
  // Return on a link opens it, and the panel stays.
  ASSERT_TRUE(tabTo(about.form().supportLink));
  pressKey(Qt::Key_Return);
  ASSERT_EQ(h.ui.opened.size(), 1);
  EXPECT_EQ(h.ui.opened[0].toString(), supportPageFor(Spanish));
  EXPECT_TRUE(about.isVisible());
  ASSERT_TRUE(tabTo(about.form().makerLink));
  pressKey(Qt::Key_Space);
  ASSERT_EQ(h.ui.opened.size(), 2);
  EXPECT_EQ(h.ui.opened[1].toString(), QString::fromLatin1(kHomePage));
  // Elsewhere Return is Close; so is Escape.
  ASSERT_TRUE(tabTo(about.form().installText));
  pressKey(Qt::Key_Return);
  EXPECT_FALSE(about.isVisible());
  EXPECT_EQ(h.ui.opened.size(), 2);
  about.showFromMenu();
  ASSERT_TRUE(showActive(&about));
  pressKey(Qt::Key_Escape);
  EXPECT_FALSE(about.isVisible());
}

TEST(LanguageChooserAccess, ReturnTakesTheLanguageWithTheFocusEnglishFirst) {
  {
    LanguageDialog chooser;
    ASSERT_TRUE(showActive(&chooser));
    EXPECT_EQ(joinProblems(auditAccessibility(&chooser)), "");
    EXPECT_EQ(joinProblems(auditFocusChain(&chooser)), "");
    EXPECT_EQ(tabStops(&chooser).size(), 5u);
    pressKey(Qt::Key_Return);
    EXPECT_EQ(chooser.chosen(), English);
    EXPECT_FALSE(chooser.isVisible());
  }
  LanguageDialog chooser;
  ASSERT_TRUE(showActive(&chooser));
  pressKey(Qt::Key_Escape);  // the first start needs an answer
  EXPECT_TRUE(chooser.isVisible());
  ASSERT_TRUE(tabTo(chooser.findChild<QPushButton*>("italianButton")));
  pressKey(Qt::Key_Return);
  EXPECT_EQ(chooser.chosen(), Italian);
}

TEST(HelpViewerAccess, EveryButtonByTabInReadingOrderAndNamedInEveryLanguage) {
  for (int language = French; language <= Italian; ++language) {
    SCOPED_TRACE(testing::Message() << "language " << language);
    QPointer<HelpViewer> viewer = new HelpViewer(language);
    QString problem;
    ASSERT_TRUE(viewer->load(
        QDir(KARVEL_APPDIR)
            .filePath(QStringLiteral("help/KARVEL_%1.pdf")
                          .arg(QString::fromLatin1(karvel::kLanguageCodes[std::size_t(language)]))),
        &problem))
        << problem.toStdString();
    viewer->show();
    EXPECT_EQ(joinProblems(auditAccessibility(viewer)), "");
    EXPECT_EQ(joinProblems(auditFocusChain(viewer)), "");
    auto* bar = viewer->findChild<QToolBar*>("viewerBar");
    auto button = [&](const char* name) {
      return bar->widgetForAction(viewer->findChild<QAction*>(name));
    };
    // The toolbar from left to right (Previous is dimmed on page 1), then the page.
    const std::vector<QWidget*> expected{viewer->findChild<QSpinBox*>("pageNumber"),
                                         button("nextPage"),
                                         button("zoomOut"),
                                         button("zoomIn"),
                                         button("fitWidth"),
                                         button("closeViewer"),
                                         viewer->findChild<QWidget*>("pdfView")};
    EXPECT_EQ(tabStops(viewer), expected);
    viewer->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  QPointer<HelpViewer> viewer = new HelpViewer(English);
  QString problem;
  ASSERT_TRUE(viewer->load(QDir(KARVEL_APPDIR).filePath("help/KARVEL_gb.pdf"), &problem));
  ASSERT_GE(viewer->pageCount(), 2);
  ASSERT_TRUE(showActive(viewer));
  EXPECT_EQ(QApplication::focusWidget(), viewer->findChild<QWidget*>("pdfView"));
  EXPECT_EQ(viewer->findChild<QSpinBox*>("pageNumber")->accessibleName(), "Page number");
  auto* bar = viewer->findChild<QToolBar*>("viewerBar");
  ASSERT_TRUE(tabTo(bar->widgetForAction(viewer->findChild<QAction*>("nextPage"))));
  pressKey(Qt::Key_Space);
  EXPECT_EQ(viewer->currentPage(), 1);
  pressKey(Qt::Key_Escape);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(viewer.isNull());
}
