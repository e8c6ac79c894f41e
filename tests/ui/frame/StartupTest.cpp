// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>

#include "support/ScriptedInteraction.h"
#include "ui/frame/Startup.h"
#include "ui_AboutDialog.h"

using namespace karvel;
using namespace karvel::ui;

namespace {

// Notes whether the splash was up when the first-start questions came.
class StartInteraction : public test::ScriptedInteraction {
 public:
  AppState* state = nullptr;
  QList<bool> splashUpAtQuestion;
  void message(const QString& title, const QString& text) override {
    note();
    ScriptedInteraction::message(title, text);
  }
  int chooseLanguage() override {
    note();
    return ScriptedInteraction::chooseLanguage();
  }

 private:
  void note() {
    auto* splash = state ? qobject_cast<QWidget*>(state->splashPanel.data()) : nullptr;
    splashUpAtQuestion.append(splash && splash->isVisible());
  }
};

class StartupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    ui.state = &state;
    state.ui = &ui;
    state.clock = &clock;
  }
  void installBundle() {
    ASSERT_TRUE(QFile::copy(QString(KARVEL_APPDIR) + "/KARVEL.UIR", dir.filePath("KARVEL.UIR")));
  }
  StartupOptions options(QStringList args = {"karvel"}) {
    StartupOptions o;
    o.programDir = dir.path();
    o.programFile = dir.filePath("karvel");
    o.arguments = args;
    return o;
  }
  QTemporaryDir dir;
  StartInteraction ui;
  test::RecordingClock clock;
  AppState state;
};

}  // namespace

TEST(BuildDate, DayMonthYearWithLeadingZeros) {
  EXPECT_EQ(buildDateText(QDate(2016, 12, 1)), "01-12-2016");
  EXPECT_EQ(buildDateText(QDate(2017, 3, 5)), "05-03-2017");
  EXPECT_EQ(buildDateText(QDate()), "");
}

TEST_F(StartupTest, MissingBundleShowsTheFatalBoxAndStops) {
  Application app(state);
  EXPECT_FALSE(app.start(options()));
  ASSERT_EQ(ui.messages.size(), 1);
  EXPECT_EQ(ui.messages[0].title, "");
  EXPECT_EQ(ui.messages[0].text, "FATAL RUNTIME ERROR\n\nFile KARVEL.UIR not found !\n");
  EXPECT_EQ(app.mainWindow(), nullptr);
  EXPECT_TRUE(clock.waits.isEmpty());
  EXPECT_EQ(ui.busyDepth, 0);
}

TEST_F(StartupTest, FirstStartAsksWhileTheSplashIsUp) {
  installBundle();
  {
    QFile program(dir.filePath("karvel"));
    ASSERT_TRUE(program.open(QIODevice::WriteOnly));
    program.setFileTime(QDateTime(QDate(2016, 12, 1), QTime(12, 0)),
                        QFileDevice::FileModificationTime);
  }
  ui.languages.enqueue(German);
  Application app(state);
  ASSERT_TRUE(app.start(options()));

  EXPECT_EQ(clock.waits, QList<int>{1000});
  ASSERT_EQ(ui.messages.size(), 1);
  EXPECT_EQ(ui.messages[0].text, "Fichier KARVEL.INI introuvable\n");
  EXPECT_EQ(ui.splashUpAtQuestion, (QList<bool>{true, true}));
  ASSERT_NE(app.mainWindow(), nullptr);
  EXPECT_TRUE(app.mainWindow()->isVisible());
  EXPECT_FALSE(app.aboutPanel()->isVisible());
  EXPECT_EQ(app.aboutPanel()->form().dateText->text(), "01-12-2016");
  EXPECT_EQ(app.mainWindow()->windowTitle(), "KARVEL version 2.1");
  EXPECT_EQ(state.language, German);
  EXPECT_EQ(state.settingsPath, QDir::toNativeSeparators(dir.filePath("karvel.ini")));
  EXPECT_TRUE(QFile::exists(state.settingsPath));
  EXPECT_EQ(ui.busyDepth, 0);

  app.shutdown();
  EXPECT_TRUE(state.mainPanel.isNull());
  EXPECT_TRUE(state.splashPanel.isNull());
}

TEST_F(StartupTest, CommandLineFileOnlyWhenItIsTheOneArgumentAndExists) {
  installBundle();
  QFile::copy(QString(KARVEL_APPDIR) + "/KARVEL.UIR", dir.filePath("present.xyz"));
  auto run = [&](const QStringList& args) {
    AppState s;
    StartInteraction answers;
    answers.state = &s;
    answers.defaultAnswer = 0;
    answers.languages.enqueue(English);
    s.ui = &answers;
    s.clock = &clock;
    Application app(s);
    QStringList opened;
    StartupOptions o = options(args);
    o.attach = [&](MainWindow& w) {
      w.commands().openBus = [&](const QString& path) {
        opened.append(path);
        return 0;
      };
    };
    EXPECT_TRUE(app.start(o));
    EXPECT_TRUE(answers.messages.size() <= 1);  // message 0 only
    return opened;
  };
  EXPECT_TRUE(run({"karvel"}).isEmpty());
  EXPECT_TRUE(run({"karvel", dir.filePath("missing.BUS")}).isEmpty());
  EXPECT_TRUE(run({"karvel", dir.filePath("present.xyz"), "second"}).isEmpty());
  // Whatever its extension, the one file named is loaded as a bus file, and
  // it is remembered like a file opened with File > Open.
  EXPECT_EQ(run({"karvel", dir.filePath("present.xyz")}), QStringList{dir.filePath("present.xyz")});
  const QStringList recent = QSettings(dir.filePath("karvel-user.ini"), QSettings::IniFormat)
                                 .value("open/recentFiles")
                                 .toStringList();
  EXPECT_EQ(recent.value(0), QDir::toNativeSeparators(dir.filePath("present.xyz")));
}

// A bus file the loader refuses (or that the user does not open) is shown no
// more than it is remembered: Recent files keeps only what was opened.
TEST_F(StartupTest, ACommandLineFileNotOpenedIsNotRemembered) {
  installBundle();
  QFile::copy(QString(KARVEL_APPDIR) + "/KARVEL.UIR", dir.filePath("broken.BUS"));
  for (const int answer : {-1, kNothingOpened}) {
    AppState s;
    StartInteraction answers;
    answers.state = &s;
    answers.defaultAnswer = 0;
    answers.languages.enqueue(English);
    s.ui = &answers;
    s.clock = &clock;
    Application app(s);
    StartupOptions o = options({"karvel", dir.filePath("broken.BUS")});
    o.attach = [&](MainWindow& w) {
      w.commands().openBus = [&](const QString&) { return answer; };
    };
    EXPECT_TRUE(app.start(o));
    const QStringList recent = QSettings(dir.filePath("karvel-user.ini"), QSettings::IniFormat)
                                   .value("open/recentFiles")
                                   .toStringList();
    EXPECT_TRUE(recent.isEmpty()) << answer;
  }
}

// A result file double-clicked in a file manager arrives the same way and
// opens a results window; the path decides as File > Open's does.
TEST_F(StartupTest, CommandLineResultFileOpensAResultsWindow) {
  installBundle();
  QDir(dir.path()).mkpath("old.bus");
  for (const char* name : {"LIN_PASS.HTM", "lin_pass.htm", "LIN.BUS", "old.bus/r1.htm"})
    QFile::copy(QString(KARVEL_APPDIR) + "/KARVEL.UIR", dir.filePath(name));
  auto run = [&](const QString& path) {
    AppState s;
    StartInteraction answers;
    answers.state = &s;
    answers.defaultAnswer = 0;
    answers.languages.enqueue(English);
    s.ui = &answers;
    s.clock = &clock;
    Application app(s);
    QStringList opened;
    StartupOptions o = options({"karvel", path});
    o.attach = [&](MainWindow& w) {
      w.commands().openBus = [&](const QString& p) {
        opened.append("bus " + p);
        return 0;
      };
      w.commands().openResult = [&](const QString& p) { opened.append("result " + p); };
    };
    EXPECT_TRUE(app.start(o));
    return opened;
  };
  const QString d = dir.path() + "/";
  EXPECT_EQ(run(d + "LIN_PASS.HTM"), QStringList{"result " + d + "LIN_PASS.HTM"});
  EXPECT_EQ(run(d + "lin_pass.htm"), QStringList{"result " + d + "lin_pass.htm"});
  EXPECT_EQ(run(d + "LIN.BUS"), QStringList{"bus " + d + "LIN.BUS"});
  EXPECT_EQ(run(d + "old.bus/r1.htm"), QStringList{"bus " + d + "old.bus/r1.htm"});
  EXPECT_TRUE(run(d + "missing.HTM").isEmpty());
}

TEST_F(StartupTest, ShutdownClosesAnOpenSessionBeforeThePanels) {
  installBundle();
  ui.languages.enqueue(English);
  Application app(state);
  ASSERT_TRUE(app.start(options()));
  bool windowAliveWhenClosed = false;
  app.mainWindow()->commands().closeSession = [&] {
    windowAliveWhenClosed = !state.mainPanel.isNull();
    state.sessionOpen = 0;
  };
  state.sessionOpen = 1;
  app.shutdown();
  EXPECT_TRUE(windowAliveWhenClosed);
  EXPECT_EQ(state.sessionOpen, 0);
}

// Installed: the program folder cannot be written (as for a normal user of a
// package); the settings live in the user's folder and survive the next start.
TEST_F(StartupTest, InstalledProgramKeepsItsSettingsInTheUsersFolder) {
  installBundle();
  const QString before = QDir(dir.path()).entryList(QDir::Files).join(',');
  QTemporaryDir home;
  auto installed = [&] {
    StartupOptions o = options();
    o.userFolders.configDir = home.filePath("config/karvel");
    o.userFolders.cacheDir = home.filePath("cache/karvel");
    o.userFolders.writable = [](const QString&) { return false; };
    return o;
  };
  {
    ui.languages.enqueue(German);
    ui.answers.enqueue(0);  // yes to the quit question
    Application app(state);
    ASSERT_TRUE(app.start(installed()));
    ASSERT_EQ(ui.messages.size(), 1);  // message 0: there was no file yet
    EXPECT_TRUE(state.installed);
    EXPECT_EQ(state.settingsPath,
              QDir::toNativeSeparators(home.filePath("config/karvel/karvel.ini")));
    EXPECT_EQ(state.temporaryDir, QDir::toNativeSeparators(home.filePath("cache/karvel")));
    EXPECT_TRUE(QFileInfo(home.filePath("cache/karvel")).isDir());
    state.ethernetAddress = "TCPIP0::10.1.2.3::23::SOCKET";
    state.connectionType = Ethernet;
    app.mainWindow()->GestionMenu(item::About);
    EXPECT_EQ(app.aboutPanel()->form().installText->text(),
              "Installiert, Einstellungen in:\n" + state.settingsPath);
    app.mainWindow()->Sortir();
    app.shutdown();
  }
  AppState next;
  StartInteraction answers;  // no language chooser and no message expected
  answers.state = &next;
  next.ui = &answers;
  next.clock = &clock;
  Application again(next);
  ASSERT_TRUE(again.start(installed()));
  EXPECT_TRUE(answers.messages.isEmpty()) << answers.lastMessage().toStdString();
  EXPECT_EQ(next.language, German);
  EXPECT_EQ(next.connectionType, Ethernet);
  EXPECT_EQ(next.ethernetAddress, "TCPIP0::10.1.2.3::23::SOCKET");
  again.shutdown();
  // Nothing was written beside the program.
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).join(','), before);
}
