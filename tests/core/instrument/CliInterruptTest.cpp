// SPDX-License-Identifier: GPL-3.0-or-later
// Ctrl+C (SIGINT) during karvel-cli's transfers on a paced serial line: the
// transfer stops as the windows' Cancel stops it, nothing is left half-done
// on either side, and the line serves the next command. The signal goes out
// once the simulator's log shows the transfer under way, never after a
// guessed time.
#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include "support/CliRun.h"
#include "support/Simulator.h"
#include "support/StoreSession.h"

#ifndef Q_OS_WIN
#include <csignal>

using namespace karvel::test;

namespace {

// A simulator on a paced pseudo-terminal (115200 baud once the program set
// it) that logs every command, with a result file of `resultSize` bytes.
class PacedLine {
 public:
  explicit PacedLine(qsizetype resultSize = 0) : sim_(arguments(resultSize)) {}

  bool ready() const { return sim_.ready(); }
  Simulator& sim() { return sim_; }
  QString address() const { return sim_.ptyResource(); }

  // Waits until the log holds `text`.
  bool waitForLog(const QByteArray& text, int ms = 30000) const {
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) {
      if (readAll(logPath()).contains(text)) return true;
      QThread::msleep(20);
    }
    return false;
  }
  QByteArray log() const { return readAll(logPath()); }

 private:
  QStringList arguments(qsizetype resultSize) {
    QStringList args{"--pty", "--family", "2", "--log", logPath()};
    if (resultSize > 0) {
      QFile file(QDir(files_.path()).filePath("BIG.HTM"));
      if (file.open(QIODevice::WriteOnly)) file.write(patternBytes(resultSize));
      args << "--files" << files_.path();
    }
    return args;
  }
  QString logPath() const { return QDir(logDir_.path()).filePath("commands.log"); }

  QTemporaryDir files_;
  QTemporaryDir logDir_;
  Simulator sim_;
};

// karvel-cli running on its own, to be signalled.
class RunningCli {
 public:
  explicit RunningCli(const QStringList& args) {
    process_.start(QStringLiteral(KARVEL_APPDIR "/karvel-cli"), args);
    process_.waitForStarted(5000);
  }
  ~RunningCli() {
    if (process_.state() != QProcess::NotRunning) {
      process_.kill();
      process_.waitForFinished(5000);
    }
  }
  void signal(int number) { ::kill(static_cast<pid_t>(process_.processId()), number); }
  // The exit code, or -1 when it did not end in time or ended by a signal.
  int finish(int ms = 20000) {
    if (!process_.waitForFinished(ms) || process_.exitStatus() != QProcess::NormalExit) return -1;
    err_ = QString::fromUtf8(process_.readAllStandardError());
    out_ = QString::fromUtf8(process_.readAllStandardOutput());
    return process_.exitCode();
  }
  const QString& err() const { return err_; }
  const QString& out() const { return out_; }

 private:
  QProcess process_;
  QString err_;
  QString out_;
};

QStringList entriesIn(const QString& dir) {
  return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

// A second-family bus definition file of about `size` bytes.
QString bigBusFile(const QTemporaryDir& dir, qsizetype size) {
  const QString path = QDir(dir.path()).filePath("BIG.bus");
  QFile file(path);
  if (file.open(QIODevice::WriteOnly)) {
    file.write("<bus><VSoftTarvikIV/><!--");
    file.write(QByteArray(size, 'x'));
    file.write("--></bus>");
  }
  return path;
}

}  // namespace

TEST(CliInterrupt, CtrlCStopsAFetchAndTheNextCommandOnTheLineWorks) {
  PacedLine line(100 * 1024);  // about nine seconds of line
  ASSERT_TRUE(line.ready());
  QTemporaryDir to;
  RunningCli cli({"instrument", "fetch", "BIG.HTM", "--kind", "results", "--to", to.path(),
                  "--address", line.address()});
  ASSERT_TRUE(line.waitForLog("MMEM:DATA? \"BIG.HTM\""));
  cli.signal(SIGINT);
  ASSERT_EQ(cli.finish(), 130) << cli.err().toStdString();
  EXPECT_EQ(cli.err(), QStringLiteral("karvel-cli: interrupted: BIG.HTM was not fetched; nothing "
                                      "was written in %1\n")
                           .arg(to.path()));
  EXPECT_TRUE(cli.out().isEmpty());
  EXPECT_TRUE(entriesIn(to.path()).isEmpty()) << entriesIn(to.path()).join(' ').toStdString();
  // The instrument was told to stop sending, as a cancel in the windows does.
  EXPECT_TRUE(line.log().contains("(file block cut short by a new command)"));

  const CliRun next = runCli({"instrument", "list", "results", "--address", line.address()});
  EXPECT_EQ(next.code, 0) << next.err.toStdString();
  EXPECT_EQ(next.out, "BIG.HTM\t0\n");
}

TEST(CliInterrupt, CtrlCStopsASendAndNothingStaysUnderItsName) {
  PacedLine line;
  ASSERT_TRUE(line.ready());
  QTemporaryDir pc;
  const QString file = bigBusFile(pc, 100 * 1024);
  RunningCli cli({"instrument", "send", file, "--address", line.address()});
  ASSERT_TRUE(line.waitForLog("(file block arriving)"));
  cli.signal(SIGTERM);  // a termination request is heard the same way
  ASSERT_EQ(cli.finish(), 130) << cli.err().toStdString();
  EXPECT_EQ(cli.err(), QStringLiteral("karvel-cli: interrupted: %1 was not sent; the instrument "
                                      "keeps nothing of it as BIG.bus\n")
                           .arg(file));
  // What arrived of the block was deleted with the command the windows use.
  EXPECT_TRUE(line.log().contains("MMEM:DEL \"BIG.bus\""));
  EXPECT_EQ(entriesIn(pc.path()), QStringList{"BIG.bus"});

  const CliRun next = runCli({"instrument", "list", "bus", "--address", line.address()});
  EXPECT_EQ(next.code, 0) << next.err.toStdString();
  EXPECT_FALSE(next.out.contains("BIG.bus")) << next.out.toStdString();
}

TEST(CliInterrupt, CtrlCEndsTheWaitForASilentCatalogueAtOnce) {
  // The instrument falls silent once the session is set up (the pause after
  // its frequency transform is switched off leaves the time to make it so):
  // the catalogue's read would wait out its 60 s.
  QTemporaryDir logDir;
  const QString log = QDir(logDir.path()).filePath("commands.log");
  Simulator sim({"--tcp", "0", "--family", "2", "--transform", "1", "--log", log});
  ASSERT_TRUE(sim.ready());
  const auto logShows = [&log](const QByteArray& text) {
    QDeadlineTimer deadline(30000);
    while (!deadline.hasExpired()) {
      if (readAll(log).contains(text)) return true;
      QThread::msleep(20);
    }
    return false;
  };
  RunningCli cli({"instrument", "list", "bus", "--address", sim.tcpResource()});
  ASSERT_TRUE(logShows("CALC:TRAN:FREQ 0"));
  ASSERT_TRUE(sim.control("fault silent"));
  ASSERT_TRUE(logShows("MMEM:CAT?"));
  cli.signal(SIGINT);
  // Ended by the signal, long before the time-out.
  ASSERT_EQ(cli.finish(20000), 130) << cli.err().toStdString();
  EXPECT_EQ(cli.err(), "karvel-cli: interrupted: no file was fetched or sent\n");
  EXPECT_TRUE(cli.out().isEmpty());
}

TEST(CliInterrupt, ASecondCtrlCEndsAtOnce) {
  PacedLine line;
  ASSERT_TRUE(line.ready());
  QTemporaryDir pc;
  RunningCli cli({"instrument", "send", bigBusFile(pc, 100 * 1024), "--address", line.address()});
  ASSERT_TRUE(line.waitForLog("(file block arriving)"));
  cli.signal(SIGINT);
  // Two signals sent together may arrive as one.
  QThread::msleep(200);
  QElapsedTimer sinceSecond;
  sinceSecond.start();
  cli.signal(SIGINT);
  ASSERT_EQ(cli.finish(), 130);
  // Clearing up a send waits well over a second for the instrument.
  EXPECT_LT(sinceSecond.elapsed(), 1000);
  EXPECT_EQ(cli.err(),
            "karvel-cli: interrupted again: stopped at once, without clearing up the transfer\n");
}

TEST(CliInterrupt, ASessionDropsWhatAKilledOneLeftOnTheLine) {
  PacedLine line(100 * 1024);
  ASSERT_TRUE(line.ready());
  QTemporaryDir to;
  {
    // Killed outright: the instrument goes on sending the file's block.
    RunningCli cli({"instrument", "fetch", "BIG.HTM", "--kind", "results", "--to", to.path(),
                    "--address", line.address()});
    ASSERT_TRUE(line.waitForLog("MMEM:DATA? \"BIG.HTM\""));
    cli.signal(SIGKILL);
    EXPECT_EQ(cli.finish(), -1);
  }
  const CliRun next = runCli({"instrument", "identify", "--address", line.address()});
  EXPECT_EQ(next.code, 0) << next.err.toStdString();
  EXPECT_TRUE(next.out.startsWith("model RQ6102\n")) << next.out.toStdString();
}

#endif
