// SPDX-License-Identifier: GPL-3.0-or-later
// The program on a 1024x600 screen: the main window at its first start and
// from stored places, its smallest size, the cascade of results windows and
// the dialogs all stay wholly on the screen; the captions keep their lines.
//
// Qt's offscreen screen is set once per process, so the test runs itself
// again in a child process whose only screen is 1024x600, and the child makes
// the checks.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTableWidget>
#include <QTemporaryDir>

#include "core/frame/Langue.h"
#include "support/ScriptedInteraction.h"
#include "ui/bus/BusFeature.h"
#include "ui/bus/BusPanel.h"
#include "ui/frame/AboutDialog.h"
#include "ui/frame/LanguageDialog.h"
#include "ui/frame/MainWindow.h"
#include "ui/instrument/CommunicationDialog.h"
#include "ui/results/ResultWindow.h"
#include "ui_MainWindow.h"

using namespace karvel;
using namespace karvel::ui;

namespace {

const char kChildVariable[] = "KARVEL_SMALL_SCREEN";
const QRect kScreen(0, 0, 1024, 600);

void settle() {
  for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
}

// The checks, made in the child process.
struct OnSmallScreen {
  OnSmallScreen() {
    state.ui = &ui;
    state.clock = &clock;
    state.programDir = KARVEL_APPDIR;
    state.settingsPath = dir.filePath("karvel.ini");
  }

  std::unique_ptr<MainWindow> mainWindow(int language) {
    auto window = std::make_unique<MainWindow>(state);
    attachBusFeature(*window);
    window->GestionMenu(item::FirstLanguage + language);
    return window;
  }

  void mainWindowStaysOnTheScreenFromAnyStoredPlace();
  void theSmallestMainWindowFitsAndStaysReadable();
  void captionsKeepTheirTwoLinesInEveryLanguage();
  void resultsWindowsCascadeWithinTheScreen();
  void dialogsFitTheScreen();

  QTemporaryDir dir;
  test::ScriptedInteraction ui;
  test::RecordingClock clock;
  AppState state;
};

}  // namespace

TEST(SmallScreen, TheProgramFitsA1024x600Screen) {
  if (qEnvironmentVariableIsSet(kChildVariable)) {
    ASSERT_EQ(QGuiApplication::primaryScreen()->availableGeometry(), kScreen);
    const std::pair<const char*, void (OnSmallScreen::*)()> checks[] = {
        {"main window from stored places",
         &OnSmallScreen::mainWindowStaysOnTheScreenFromAnyStoredPlace},
        {"smallest main window", &OnSmallScreen::theSmallestMainWindowFitsAndStaysReadable},
        {"captions", &OnSmallScreen::captionsKeepTheirTwoLinesInEveryLanguage},
        {"results cascade", &OnSmallScreen::resultsWindowsCascadeWithinTheScreen},
        {"dialogs", &OnSmallScreen::dialogsFitTheScreen},
    };
    for (const auto& [name, check] : checks) {
      SCOPED_TRACE(name);
      OnSmallScreen run;
      ASSERT_TRUE(run.dir.isValid());
      (run.*check)();
    }
    return;
  }

  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  QFile config(dir.filePath("screen.json"));
  ASSERT_TRUE(config.open(QIODevice::WriteOnly));
  config.write(R"({"screens": [{"name": "small", "x": 0, "y": 0, "width": 1024, "height": 600,
                  "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1.0}]})");
  config.close();

  QProcess child;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("QT_QPA_PLATFORM"),
             QStringLiteral("offscreen:configfile=") + config.fileName());
  env.insert(QString::fromLatin1(kChildVariable), QStringLiteral("1"));
  child.setProcessEnvironment(env);
  child.setProcessChannelMode(QProcess::MergedChannels);
  child.start(QCoreApplication::applicationFilePath(),
              {QStringLiteral("--gtest_filter=SmallScreen.TheProgramFitsA1024x600Screen")});
  ASSERT_TRUE(child.waitForFinished(300000));
  const QString output = QString::fromLocal8Bit(child.readAll());
  EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
  EXPECT_TRUE(output.contains(QStringLiteral("[  PASSED  ] 1 test."))) << output.toStdString();
}

void OnSmallScreen::mainWindowStaysOnTheScreenFromAnyStoredPlace() {
  auto window = mainWindow(French);
  // The very first start: no place stored, the designed size.
  window->placeWindow({});
  window->show();
  settle();
  EXPECT_TRUE(kScreen.contains(window->frameGeometry()));

  const WindowGeometry stored[] = {
      {0, 0, 1200, 1600, 0},      // from a larger screen
      {-300, -500, 500, 700, 0},  // above and left of the screen
      {3000, 4000, 500, 700, 0},  // on a screen that is gone
      {580, 1000, 500, 700, 0},   // partly past the bottom-right corner
      {30, 30, 550, 490, 0},      // what a maximised window is stored as
  };
  for (const WindowGeometry& g : stored) {
    window->placeWindow(g);
    settle();
    EXPECT_TRUE(kScreen.contains(window->frameGeometry()))
        << g.top << " " << g.left << " " << g.height << " " << g.width;
  }
  // A place that fits is kept as stored.
  window->placeWindow({100, 120, 460, 760, 0});
  settle();
  EXPECT_EQ(window->windowGeometry(), (WindowGeometry{100, 120, 460, 760, 0}));
}

void OnSmallScreen::theSmallestMainWindowFitsAndStaysReadable() {
  auto window = mainWindow(English);
  window->show();
  settle();
  window->resize(200, 150);  // as small as the user can drag it
  settle();
  const QSize smallest = window->size();
  EXPECT_TRUE(kScreen.contains(window->frameGeometry()));
  EXPECT_LT(smallest.width(), 1024 - 100);
  EXPECT_LT(smallest.height(), 600 - 100);  // room left for panels and a title bar

  // Not crushed: several rows of the bus table show, and the side column
  // keeps its width (it scrolls rather than squeezes).
  Ui::MainWindow& f = window->form();
  ASSERT_EQ(ConvertAndRenderXMLFileInTree(
                state, window.get(),
                QStringLiteral(KARVEL_SOURCE_DIR "/resources/samples/RQ4102/CAN_HS.BUS")),
            0);
  settle();
  EXPECT_GE(f.busTable->viewport()->height(),
            4 * f.busTable->verticalHeader()->defaultSectionSize());
  EXPECT_EQ(f.busTable->horizontalScrollBar()->maximum(), 0);  // its three columns whole
  EXPECT_GE(f.sidePanel->viewport()->width(), f.sideContents->minimumSizeHint().width());
  EXPECT_GT(f.sidePanel->verticalScrollBar()->maximum(), 0);
  f.sidePanel->ensureWidgetVisible(f.voltageNextButton);
  settle();
  const QRect button(f.voltageNextButton->mapTo(f.sidePanel->viewport(), QPoint(0, 0)),
                     f.voltageNextButton->size());
  EXPECT_TRUE(f.sidePanel->viewport()->rect().contains(button));
}

void OnSmallScreen::captionsKeepTheirTwoLinesInEveryLanguage() {
  for (int language : {French, English, German, Spanish, Italian}) {
    auto window = mainWindow(language);
    window->placeWindow({});
    window->show();
    settle();
    Ui::MainWindow& f = window->form();
    for (QLabel* caption : {f.speedCaption, f.voltageCaption}) {
      const QStringList lines = caption->text().split(u'\n');
      int widest = 0;
      for (const QString& line : lines)
        widest = std::max(widest, caption->fontMetrics().horizontalAdvance(line));
      // Wide enough for each written line: none is wrapped again.
      EXPECT_GE(caption->contentsRect().width(), widest) << language;
      EXPECT_LT(caption->height(), (lines.size() + 1) * caption->fontMetrics().lineSpacing())
          << language;
    }
    // At the size it opens with, the whole column shows without scrolling.
    EXPECT_EQ(f.sidePanel->verticalScrollBar()->maximum(), 0) << language;
  }
}

void OnSmallScreen::resultsWindowsCascadeWithinTheScreen() {
  auto window = mainWindow(English);
  window->placeWindow({});
  window->show();
  const QString path = QStringLiteral(KARVEL_SOURCE_DIR "/resources/samples/PROFIBUS_FAIL.HTM");
  QList<QPointer<ResultWindow>> opened;
  for (int i = 0; i < 25; ++i) {
    ResultWindow* w = ReadHTMLFile(state, path);
    ASSERT_NE(w, nullptr);
    opened.append(w);
    settle();
    EXPECT_TRUE(kScreen.contains(w->frameGeometry()))
        << i << ": " << w->frameGeometry().y() << "+" << w->frameGeometry().height();
  }
  // Still a cascade: the second window steps down and right of the first.
  EXPECT_EQ(opened[1]->pos(), opened[0]->pos() + QPoint(20, 20));
  for (const QPointer<ResultWindow>& w : opened)
    if (w) w->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void OnSmallScreen::dialogsFitTheScreen() {
  auto window = mainWindow(French);
  window->placeWindow({});
  window->show();
  settle();

  LanguageDialog chooser(window.get());
  chooser.show();
  settle();
  EXPECT_TRUE(kScreen.contains(chooser.frameGeometry()));
  EXPECT_TRUE(
      chooser.rect().contains(chooser.findChild<QPushButton*>("italianButton")->geometry()));

  CommunicationDialog communication(state, window.get());
  communication.TraducCom();
  communication.show();
  settle();
  EXPECT_TRUE(kScreen.contains(communication.frameGeometry()));

  AboutDialog about(state, window.get());
  about.showFromMenu();
  settle();
  EXPECT_TRUE(kScreen.contains(about.frameGeometry()));
  about.hide();
}

TEST(LanguageChooser, ShowsItsPromptAndLastButtonWholeInALargeFont) {
  const QFont before = QApplication::font();
  QFont large = before;
  large.setPointSize(16);
  QApplication::setFont(large);
  {
    LanguageDialog chooser;
    chooser.show();
    settle();
    const QRect inside = chooser.rect();
    for (const char* name :
         {"frenchButton", "englishButton", "germanButton", "spanishButton", "italianButton"}) {
      auto* button = chooser.findChild<QPushButton*>(name);
      EXPECT_TRUE(inside.contains(button->geometry())) << name;
      EXPECT_GE(button->height(), button->minimumSizeHint().height()) << name;
    }
    auto* prompt = chooser.findChild<QLabel*>("promptText");
    EXPECT_TRUE(inside.contains(prompt->geometry()));
    EXPECT_GE(prompt->height(), prompt->sizeHint().height());
    EXPECT_GE(prompt->width(), prompt->sizeHint().width());
  }
  QApplication::setFont(before);
}
