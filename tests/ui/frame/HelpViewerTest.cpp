// SPDX-License-Identifier: GPL-3.0-or-later
// Help without a desktop PDF viewer: Contents and the results window's help
// button fall back to the program's own viewer; the viewer pages, zooms and
// closes; a damaged document is reported; and the question the desktop is
// asked (is there an application for PDF files?) is read right.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPointer>
#include <QShortcut>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QToolButton>

#include "support/ScriptedInteraction.h"
#include "ui/frame/HelpViewer.h"
#include "ui/frame/MainWindow.h"
#include "ui/frame/QtInteraction.h"
#include "ui/results/ResultWindow.h"

using namespace karvel;
using namespace karvel::ui;

namespace {

QList<HelpViewer*> viewers() {
  QList<HelpViewer*> found;
  for (QWidget* top : QApplication::topLevelWidgets()) {
    if (auto* viewer = qobject_cast<HelpViewer*>(top); viewer && viewer->isVisible())
      found.append(viewer);
  }
  return found;
}

void discardDeleted() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

class HelpViewerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    state.ui = &ui;
    state.clock = &clock;
    state.programDir = KARVEL_APPDIR;
    state.settingsPath = dir.filePath("karvel.ini");
    ui.openSucceeds = false;  // no desktop viewer for PDF files
  }
  void TearDown() override {
    for (HelpViewer* viewer : viewers()) viewer->close();
    if (results) results->close();
    window.reset();
    discardDeleted();
  }

  QTemporaryDir dir;
  test::ScriptedInteraction ui;
  test::RecordingClock clock;
  AppState state;
  std::unique_ptr<MainWindow> window;
  QPointer<ResultWindow> results;
};

}  // namespace

TEST_F(HelpViewerTest, ContentsFallsBackToTheOwnViewerOnce) {
  window = std::make_unique<MainWindow>(state);
  window->GestionMenu(item::FirstLanguage + German);
  window->GestionMenu(item::Contents);
  EXPECT_TRUE(ui.messages.isEmpty()) << ui.lastMessage().toStdString();
  ASSERT_EQ(ui.opened.size(), 1);  // the desktop was asked first
  ASSERT_EQ(viewers().size(), 1);
  HelpViewer* viewer = viewers().first();
  EXPECT_EQ(viewer->documentPath(), QDir(KARVEL_APPDIR).filePath("help/KARVEL_de.pdf"));
  EXPECT_EQ(viewer->windowTitle(), "KARVEL_de.pdf - Hilfe");
  EXPECT_GE(viewer->pageCount(), 1);
  EXPECT_EQ(viewer->parentWidget(), window.get());  // it goes with the main window

  // F1 again brings the same window back rather than a second one.
  window->GestionMenu(item::Contents);
  EXPECT_EQ(viewers().size(), 1);
  EXPECT_TRUE(ui.messages.isEmpty());
}

TEST_F(HelpViewerTest, ResultsHelpButtonShowsTheSampleBusSheet) {
  window = std::make_unique<MainWindow>(state);
  const QString sample = dir.filePath("CAN_HS_PASS.HTM");
  ASSERT_TRUE(
      QFile::copy(QStringLiteral(KARVEL_SOURCE_DIR "/resources/samples/CAN_HS_PASS.HTM"), sample));
  state.language = Italian;
  results = ReadHTMLFile(state, sample);
  ASSERT_NE(results, nullptr);
  results->findChild<QToolButton*>("helpButton")->click();
  EXPECT_TRUE(ui.messages.isEmpty()) << ui.lastMessage().toStdString();
  ASSERT_EQ(viewers().size(), 1);
  EXPECT_EQ(viewers().first()->documentPath(),
            QDir(KARVEL_APPDIR).filePath("help/CANHIGHSPEED_BUS_it.pdf"));
  EXPECT_EQ(viewers().first()->windowTitle(), "CANHIGHSPEED_BUS_it.pdf - Aiuto");
}

TEST_F(HelpViewerTest, PagesZoomsAndCloses) {
  HelpViewer viewer(English);
  QString problem;
  ASSERT_TRUE(viewer.load(QDir(KARVEL_APPDIR).filePath("help/KARVEL_gb.pdf"), &problem))
      << problem.toStdString();
  viewer.show();
  ASSERT_GE(viewer.pageCount(), 2);
  auto* box = viewer.findChild<QSpinBox*>("pageNumber");
  QAction* next = viewer.findChild<QAction*>("nextPage");
  QAction* previous = viewer.findChild<QAction*>("previousPage");
  EXPECT_EQ(viewer.currentPage(), 0);
  EXPECT_EQ(box->value(), 1);
  EXPECT_EQ(box->maximum(), viewer.pageCount());
  EXPECT_FALSE(previous->isEnabled());

  next->trigger();
  EXPECT_EQ(viewer.currentPage(), 1);
  EXPECT_EQ(box->value(), 2);
  EXPECT_TRUE(previous->isEnabled());
  box->setValue(1);  // typed into the page box
  EXPECT_EQ(viewer.currentPage(), 0);
  viewer.goToPage(viewer.pageCount() + 5);  // never past the last page
  EXPECT_EQ(viewer.currentPage(), viewer.pageCount() - 1);
  EXPECT_FALSE(next->isEnabled());

  const qreal before = viewer.zoomFactor();
  viewer.findChild<QAction*>("zoomIn")->trigger();
  const qreal larger = viewer.zoomFactor();
  EXPECT_GT(larger, before);
  viewer.findChild<QAction*>("zoomOut")->trigger();
  viewer.findChild<QAction*>("zoomOut")->trigger();
  EXPECT_LT(viewer.zoomFactor(), larger);
  for (int i = 0; i < 30; ++i) viewer.zoomOut();
  EXPECT_GT(viewer.zoomFactor(), 0.1);  // a floor: the page never shrinks away

  // Esc and Ctrl+W close it.
  QStringList keys;
  QShortcut* escape = nullptr;
  for (QShortcut* shortcut : viewer.findChildren<QShortcut*>()) {
    keys.append(shortcut->key().toString());
    if (shortcut->key() == QKeySequence(Qt::Key_Escape)) escape = shortcut;
  }
  EXPECT_TRUE(keys.contains("Esc"));
  EXPECT_EQ(keys.count("Ctrl+W"), 1);  // twice, the key would do nothing
  ASSERT_NE(escape, nullptr);
  emit escape->activated();
  EXPECT_FALSE(viewer.isVisible());
}

TEST_F(HelpViewerTest, DamagedDocumentIsReportedWithItsPath) {
  window = std::make_unique<MainWindow>(state);
  const QString damaged = dir.filePath("help/KARVEL_gb.pdf");
  ASSERT_TRUE(QDir(dir.path()).mkdir("help"));
  QFile file(damaged);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("%PDF-1.4\nthis is no document\n");
  file.close();
  state.programDir = dir.path();
  window->GestionMenu(item::Contents);
  ASSERT_EQ(ui.messages.size(), 1);
  EXPECT_EQ(ui.messages[0].title, "Help");
  EXPECT_EQ(ui.messages[0].text, "The help document\n" + QDir::toNativeSeparators(damaged) +
                                     "\ncannot be shown: it is not a readable PDF document.");
  EXPECT_TRUE(viewers().isEmpty());
}

TEST_F(HelpViewerTest, MissingGuideIsNamedAndNoWindowOpens) {
  window = std::make_unique<MainWindow>(state);
  state.programDir = dir.path();
  window->GestionMenu(item::Contents);
  ASSERT_EQ(ui.messages.size(), 1);
  EXPECT_EQ(ui.messages[0].text, "The help document cannot be found:\n" +
                                     QDir::toNativeSeparators(dir.filePath("help/KARVEL_gb.pdf")));
  EXPECT_TRUE(ui.opened.isEmpty());
  EXPECT_TRUE(viewers().isEmpty());
}

// A stand-in for xdg-mime that answers `reply` (and exits with `code`),
// writing the arguments it was given into `asked`.
QString fakeXdgMime(const QTemporaryDir& dir, const QString& name, const QString& reply, int code) {
  const QString path = dir.filePath(name);
  QFile script(path);
  if (!script.open(QIODevice::WriteOnly)) return {};
  script.write(QStringLiteral("#!/bin/sh\necho \"$@\" > '%1.asked'\nprintf '%2'\nexit %3\n")
                   .arg(path, reply)
                   .arg(code)
                   .toUtf8());
  script.close();
  script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
  return path;
}

TEST(DesktopHandler, AskedForThePdfTypeAndReadRight) {
  QTemporaryDir dir;
  const QString pdf = QStringLiteral(KARVEL_APPDIR "/help/KARVEL_gb.pdf");

  const QString known = fakeXdgMime(dir, "known", "org.gnome.Evince.desktop\\n", 0);
  EXPECT_TRUE(desktopHandlesFile(pdf, known));
  QFile asked(known + ".asked");
  ASSERT_TRUE(asked.open(QIODevice::ReadOnly));
  EXPECT_EQ(asked.readAll().trimmed(), "query default application/pdf");

  // No application for the type: an empty answer.
  EXPECT_FALSE(desktopHandlesFile(pdf, fakeXdgMime(dir, "none", "", 0)));
  EXPECT_FALSE(desktopHandlesFile(pdf, fakeXdgMime(dir, "blank", "\\n", 0)));
  // A query that fails says nothing: the opening itself will tell.
  EXPECT_TRUE(desktopHandlesFile(pdf, fakeXdgMime(dir, "broken", "", 3)));
  EXPECT_TRUE(desktopHandlesFile(pdf, dir.filePath("no-such-program")));
}
