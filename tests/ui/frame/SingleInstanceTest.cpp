// SPDX-License-Identifier: GPL-3.0-or-later
// One program per user and display: a later start hands its file to the
// running program (which opens it as File > Open does) and ends; a socket
// left by a crashed program is taken over at once.
#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QDeadlineTimer>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QLocalSocket>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <cstring>
#include <future>

#include "support/ScriptedInteraction.h"
#include "support/TurnUntil.h"
#include "ui/bus/BusFeature.h"
#include "ui/frame/SingleInstance.h"
#include "ui/frame/Startup.h"
#include "ui_MainWindow.h"

#ifdef Q_OS_UNIX
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#endif

using namespace karvel;
using namespace karvel::ui;

namespace {

// Runs `f` on a thread of its own (a later start blocks while it asks)
// while this thread's event loop lets the running program answer.
template <class F>
auto elsewhere(F f) {
  auto result = std::async(std::launch::async, std::move(f));
  while (result.wait_for(std::chrono::milliseconds(2)) != std::future_status::ready)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  return result.get();
}

using karvel::test::turnUntil;

void turnFor(int ms) {
  turnUntil([] { return false; }, ms);
}

#ifdef Q_OS_UNIX
// What a program killed while it listened leaves behind: a socket file that
// nobody listens on.
bool leaveStaleSocket(const QString& path) {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  if (fd < 0) return false;
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const QByteArray name = QFile::encodeName(path);
  if (name.size() >= qsizetype(sizeof address.sun_path)) return false;
  std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
  const bool bound = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                     ::listen(fd, 1) == 0;
  ::close(fd);
  return bound && QFile::exists(path);
}
#endif

class SingleInstanceTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir.isValid()); }
  QString name() const {
#ifdef Q_OS_WIN
    return QStringLiteral("karvel-test-") + QString::number(qHash(dir.path()));
#else
    return dir.filePath("karvel-test");
#endif
  }
  QTemporaryDir dir;
};

}  // namespace

TEST(SingleInstanceName, OnePerUserAndDisplayAndPortableCopy) {
  const QString here = instanceName("1000", ":0", "", "/run/user/1000");
  EXPECT_EQ(here, instanceName("1000", ":0.0", "", "/run/user/1000"));  // the same display
  EXPECT_NE(here, instanceName("1001", ":0", "", "/run/user/1000"));
  EXPECT_NE(here, instanceName("1000", ":1", "", "/run/user/1000"));
  // Two portable copies are two programs; installed copies are one.
  EXPECT_NE(instanceName("1000", ":0", "/media/a/karvel", "/tmp"),
            instanceName("1000", ":0", "/media/b/karvel", "/tmp"));
  EXPECT_NE(here, instanceName("1000", ":0", "/media/a/karvel", "/run/user/1000"));
#ifndef Q_OS_WIN
  EXPECT_TRUE(here.startsWith("/run/user/1000/karvel-"));
  EXPECT_LT(here.size(), 100);  // within a socket address
#endif
  EXPECT_EQ(normalisedDisplay("host:10.2"), "host:10");
  EXPECT_EQ(normalisedDisplay("wayland-0"), "wayland-0");
}

TEST_F(SingleInstanceTest, ALaterStartHandsItsPathOverAndEnds) {
  SingleInstance running(name());
  ASSERT_EQ(running.claim("/data/first.BUS"), SingleInstance::Outcome::Running);
  QStringList asked;
  QObject::connect(&running, &SingleInstance::requested,
                   [&](const QString& path) { asked.append(path); });

  const QString path = QString::fromUtf8("/data/mesures été/CAN HS.BUS");
  EXPECT_EQ(elsewhere([&] { return SingleInstance(name()).claim(path); }),
            SingleInstance::Outcome::HandedOver);
  EXPECT_EQ(elsewhere([&] { return SingleInstance(name()).claim(QString()); }),
            SingleInstance::Outcome::HandedOver);
  ASSERT_TRUE(turnUntil([&] { return asked.size() == 2; }));
  EXPECT_EQ(asked, (QStringList{path, QString()}));
}

// A running program whose window is held (a long talk with the instrument)
// cannot answer: the later start does not hang, and the file opens once the
// program is free.
TEST_F(SingleInstanceTest, ABusyProgramGetsTheFileOnceItIsFree) {
  SingleInstance running(name());
  ASSERT_EQ(running.claim({}), SingleInstance::Outcome::Running);
  QStringList asked;
  QObject::connect(&running, &SingleInstance::requested,
                   [&](const QString& path) { asked.append(path); });
  QElapsedTimer clock;
  clock.start();
  auto later = std::async(std::launch::async,
                          [&] { return SingleInstance(name()).claim("/data/d.BUS", 300); });
  EXPECT_EQ(later.get(), SingleInstance::Outcome::HandedOver);  // no event loop turns meanwhile
  EXPECT_LT(clock.elapsed(), 3000);
  EXPECT_TRUE(turnUntil([&] { return asked == QStringList{"/data/d.BUS"}; }));
}

#ifdef Q_OS_UNIX
TEST_F(SingleInstanceTest, ASocketLeftByACrashedProgramIsTakenOverAtOnce) {
  ASSERT_TRUE(leaveStaleSocket(name()));
  QElapsedTimer clock;
  clock.start();
  SingleInstance running(name());
  EXPECT_EQ(running.claim("/data/a.BUS"), SingleInstance::Outcome::Running);
  EXPECT_LT(clock.elapsed(), 2000);  // no waiting for an answer that cannot come
  QStringList asked;
  QObject::connect(&running, &SingleInstance::requested,
                   [&](const QString& path) { asked.append(path); });
  EXPECT_EQ(elsewhere([&] { return SingleInstance(name()).claim("/data/b.BUS"); }),
            SingleInstance::Outcome::HandedOver);
  EXPECT_TRUE(turnUntil([&] { return asked == QStringList{"/data/b.BUS"}; }));
}
#endif

// What a stranger on the socket sends is dropped, and the program still
// serves the next start.
TEST_F(SingleInstanceTest, MalformedMessagesAreDropped) {
  SingleInstance running(name());
  ASSERT_EQ(running.claim({}), SingleInstance::Outcome::Running);
  QStringList asked;
  QObject::connect(&running, &SingleInstance::requested,
                   [&](const QString& path) { asked.append(path); });
  auto send = [&](const QByteArray& bytes) {
    return elsewhere([&] {
      QLocalSocket socket;
      socket.connectToServer(name());
      if (!socket.waitForConnected(2000)) return QStringLiteral("not connected");
      socket.write(bytes);
      socket.waitForBytesWritten(2000);
      // Dropped: the connection closes without the answer byte.
      const bool closed = socket.waitForDisconnected(3000);
      return closed && !socket.readAll().contains(kHandOverTaken) ? QStringLiteral("dropped")
                                                                  : QStringLiteral("kept");
    });
  };
  EXPECT_EQ(send("GET / HTTP/1.0\r\n\r\n"), "dropped");
  QByteArray huge = handOverMessage("x");
  huge[sizeof(kHandOverHeader) - 1] = '\x7f';  // a length of some two gigabytes
  EXPECT_EQ(send(huge), "dropped");
  turnFor(50);
  EXPECT_TRUE(asked.isEmpty());

  EXPECT_EQ(elsewhere([&] { return SingleInstance(name()).claim("/data/c.BUS"); }),
            SingleInstance::Outcome::HandedOver);
  EXPECT_TRUE(turnUntil([&] { return asked == QStringList{"/data/c.BUS"}; }));
}

namespace {

// The running program and later starts, each an Application of its own.
class HandOverTest : public SingleInstanceTest {
 protected:
  void SetUp() override {
    SingleInstanceTest::SetUp();
    ASSERT_TRUE(QFile::copy(QString(KARVEL_APPDIR) + "/KARVEL.UIR", dir.filePath("KARVEL.UIR")));
    for (const char* bus : {"CAN_HS.BUS", "LIN.BUS"})
      ASSERT_TRUE(QFile::copy(QStringLiteral(KARVEL_SOURCE_DIR "/resources/samples/RQ4102/") + bus,
                              dir.filePath(bus)));
    QFile::copy(QString(KARVEL_APPDIR) + "/KARVEL.UIR", dir.filePath("r1.HTM"));
    state.ui = &ui;
    state.clock = &clock;
    ui.languages.enqueue(English);
  }
  StartupOptions options(QStringList args) {
    StartupOptions o;
    o.programDir = dir.path();
    o.programFile = dir.filePath("karvel");
    o.arguments = std::move(args);
    o.singleInstance = true;
    o.instanceName = name();
    return o;
  }
  // A later start: true when it handed over and ended.
  bool laterStart(const QStringList& args) {
    return elsewhere([&] {
      AppState s;
      test::ScriptedInteraction quiet;
      test::RecordingClock c;
      s.ui = &quiet;
      s.clock = &c;
      Application later(s);
      const bool started = later.start(options(args));
      return !started && later.handedOver() && quiet.messages.isEmpty();
    });
  }
  QStringList recentFiles() {
    return QSettings(dir.filePath("karvel-user.ini"), QSettings::IniFormat)
        .value("open/recentFiles")
        .toStringList();
  }

  test::ScriptedInteraction ui;
  test::RecordingClock clock;
  AppState state;
};

}  // namespace

TEST_F(HandOverTest, TheRunningProgramOpensTheFileAsFileOpenDoes) {
  Application running(state);
  QStringList results;
  StartupOptions o = options({"karvel"});
  o.attach = [&](MainWindow& w) {
    attachBusFeature(w);
    w.commands().openResult = [&](const QString& path) { results.append(path); };
  };
  ASSERT_TRUE(running.start(o));
  ASSERT_FALSE(running.handedOver());
  ui.messages.clear();  // message 0 of a first start
  Ui::MainWindow& f = running.mainWindow()->form();

  // A relative name, as a file manager or a shell may pass it, is the
  // later start's own working folder's.
  const QString before = QDir::currentPath();
  QDir::setCurrent(dir.path());
  const bool handed = laterStart({"karvel", "CAN_HS.BUS"});
  QDir::setCurrent(before);
  ASSERT_TRUE(handed);
  ASSERT_TRUE(turnUntil([&] { return bool(state.xmlDocument); }));
  EXPECT_TRUE(f.fileField->text().contains("CAN_HS.BUS"));
  EXPECT_EQ(recentFiles().value(0), QDir::toNativeSeparators(dir.filePath("CAN_HS.BUS")));
  EXPECT_TRUE(ui.messages.isEmpty()) << ui.lastMessage().toStdString();

  // Unsaved edits are asked for first; Cancel keeps them and the file shown.
  QAbstractItemModel* model = f.busTable->model();
  ASSERT_TRUE(model->setData(model->index(6, 1), "2,5 us"));
  ui.answers.enqueue(2);
  ASSERT_TRUE(laterStart({"karvel", dir.filePath("LIN.BUS")}));
  ASSERT_TRUE(turnUntil([&] { return ui.questions.size() == 1; }));
  turnFor(50);
  EXPECT_TRUE(f.fileField->text().contains("CAN_HS.BUS"));
  ui.answers.enqueue(1);  // Discard: the new file comes
  ASSERT_TRUE(laterStart({"karvel", dir.filePath("LIN.BUS")}));
  EXPECT_TRUE(turnUntil([&] { return f.fileField->text().contains("LIN.BUS"); }));

  // A result goes to a results window; a missing file, a start without a
  // file or with two arguments open nothing.
  ASSERT_TRUE(laterStart({"karvel", dir.filePath("r1.HTM")}));
  ASSERT_TRUE(turnUntil([&] { return results.size() == 1; }));
  EXPECT_EQ(results[0], dir.filePath("r1.HTM"));
  ASSERT_TRUE(laterStart({"karvel", dir.filePath("missing.BUS")}));
  ASSERT_TRUE(laterStart({"karvel", dir.filePath("CAN_HS.BUS"), "second"}));
  turnFor(100);
  EXPECT_TRUE(f.fileField->text().contains("LIN.BUS"));
  EXPECT_EQ(ui.questions.size(), 2);
  EXPECT_TRUE(ui.messages.isEmpty()) << ui.lastMessage().toStdString();

  // Text typed into the comment, the cursor still in it, is an unsaved edit
  // too: the hand-over asks, and Save writes what was typed.
  f.commentField->end(false);
  QTest::keyClicks(f.commentField, " checked");
  ui.answers.enqueue(0);  // Save
  ui.files.enqueue({FileChoice::Kind::New, dir.filePath("LIN_checked.BUS")});
  ASSERT_TRUE(laterStart({"karvel", dir.filePath("CAN_HS.BUS")}));
  ASSERT_TRUE(turnUntil([&] { return f.fileField->text().contains("CAN_HS.BUS"); }));
  EXPECT_EQ(ui.questions.size(), 3);
  QFile saved(dir.filePath("LIN_checked.BUS"));
  ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
  EXPECT_TRUE(saved.readAll().contains(" checked\"/>"));
  EXPECT_TRUE(ui.messages.isEmpty()) << ui.lastMessage().toStdString();
}

TEST_F(HandOverTest, AStartWithoutAFileBringsTheWindowToTheFront) {
  Application running(state);
  ASSERT_TRUE(running.start(options({"karvel"})));
  MainWindow* window = running.mainWindow();
  window->showMinimized();
  ASSERT_TRUE(turnUntil([&] { return window->isMinimized(); }, 1000));
  ASSERT_TRUE(laterStart({"karvel"}));
  EXPECT_TRUE(turnUntil([&] { return !window->isMinimized() && window->isVisible(); }));
  EXPECT_TRUE(ui.questions.isEmpty());
}

// A file handed over while the user answers a dialog waits for it to close.
TEST_F(HandOverTest, AFileWaitsForTheDialogOnTheScreen) {
  Application running(state);
  QStringList opened;
  StartupOptions o = options({"karvel"});
  o.attach = [&](MainWindow& w) {
    w.commands().openBus = [&](const QString& path) {
      opened.append(path);
      return 0;
    };
  };
  ASSERT_TRUE(running.start(o));
  QDialog dialog(running.mainWindow());
  dialog.setModal(true);
  dialog.show();
  ASSERT_TRUE(laterStart({"karvel", dir.filePath("LIN.BUS")}));
  turnFor(400);
  EXPECT_TRUE(opened.isEmpty());
  dialog.close();
  EXPECT_TRUE(turnUntil([&] { return opened == QStringList{dir.filePath("LIN.BUS")}; }));
}

TEST_F(HandOverTest, AfterShutdownTheNextStartRunsItself) {
  {
    Application first(state);
    ASSERT_TRUE(first.start(options({"karvel"})));
    first.shutdown();
  }
  AppState s;
  test::ScriptedInteraction answers;
  answers.languages.enqueue(English);
  s.ui = &answers;
  s.clock = &clock;
  Application second(s);
  EXPECT_TRUE(second.start(options({"karvel"})));
  EXPECT_FALSE(second.handedOver());
}

#ifdef Q_OS_UNIX
// The built program: a copy in a folder of its own (a portable copy), a
// second start that hands its file over and ends, then the first killed
// and the next start running in its place.
TEST(SingleInstanceProgram, ASecondStartHandsOverAndACrashIsSurvived) {
  QTemporaryDir dir;
  QTemporaryDir runtime;
  ASSERT_TRUE(dir.isValid() && runtime.isValid());
  ASSERT_TRUE(QFile::copy(QString(KARVEL_APPDIR) + "/karvel", dir.filePath("karvel")));
  QFile::setPermissions(dir.filePath("karvel"),
                        QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  ASSERT_TRUE(QFile::copy(QString(KARVEL_APPDIR) + "/KARVEL.UIR", dir.filePath("KARVEL.UIR")));
  ASSERT_TRUE(QFile::copy(QStringLiteral(KARVEL_SOURCE_DIR "/resources/samples/RQ4102/LIN.BUS"),
                          dir.filePath("LIN.BUS")));
  {
    // A language already chosen: the first start asks nothing.
    QFile ini(dir.filePath("karvel.ini"));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("1 1\n" + QFile::encodeName(dir.path()) +
              "/\n1\n1\nASRL1\nUSB\nTCPIP0::255.255.255.255::23::SOCKET\n40\n40\n500\n700\n0\n");
  }
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "offscreen");
  env.insert("XDG_RUNTIME_DIR", runtime.path());
  env.remove("DISPLAY");
  env.remove("WAYLAND_DISPLAY");
  auto start = [&](QProcess& p, const QStringList& args) {
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(dir.filePath("karvel"), args);
    return p.waitForStarted(5000);
  };
  auto listening = [&] {
    return !QDir(runtime.path()).entryList({"karvel-*"}, QDir::System).isEmpty();
  };
  auto recent = [&] {
    return QSettings(dir.filePath("karvel-user.ini"), QSettings::IniFormat)
        .value("open/recentFiles")
        .toStringList();
  };

  QProcess first;
  ASSERT_TRUE(start(first, {}));
  ASSERT_TRUE(turnUntil(listening, 20000));
  QProcess second;
  ASSERT_TRUE(start(second, {dir.filePath("LIN.BUS")}));
  ASSERT_TRUE(second.waitForFinished(15000));
  EXPECT_EQ(second.exitCode(), 0);
  EXPECT_TRUE(turnUntil([&] { return recent().contains(dir.filePath("LIN.BUS")); }, 15000));
  EXPECT_EQ(first.state(), QProcess::Running);

  first.kill();  // its socket stays behind
  first.waitForFinished(5000);
  ASSERT_TRUE(listening());
  QFile::remove(dir.filePath("karvel-user.ini"));
  QProcess third;
  ASSERT_TRUE(start(third, {dir.filePath("LIN.BUS")}));
  EXPECT_TRUE(turnUntil([&] { return recent().contains(dir.filePath("LIN.BUS")); }, 20000));
  EXPECT_EQ(third.state(), QProcess::Running);  // the running one now
  QProcess fourth;
  ASSERT_TRUE(start(fourth, {}));
  EXPECT_TRUE(fourth.waitForFinished(15000));
  EXPECT_EQ(fourth.exitCode(), 0);
  EXPECT_EQ(third.state(), QProcess::Running);
  third.kill();
  third.waitForFinished(5000);
}
#endif
