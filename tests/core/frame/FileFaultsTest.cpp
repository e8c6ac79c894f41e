// SPDX-License-Identifier: GPL-3.0-or-later
// What the command-line tool says when the system refuses a file: a
// file-size limit, a read-only file system, a read error half-way, a
// settings file that is damaged or cannot be read.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "support/CliRun.h"

using namespace karvel::test;

namespace {

const QString kBus = QStringLiteral(KARVEL_SOURCE_DIR "/resources/samples/RQ4102/CAN_HS.BUS");
const QString kResult = QStringLiteral(KARVEL_SOURCE_DIR "/resources/samples/CAN_HS_PASS.HTM");
const QString kCli = QStringLiteral(KARVEL_APPDIR "/karvel-cli");

QByteArray contentOf(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
}

void put(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  f.write(bytes);
}

QStringList filesIn(const QString& dir) {
  return QDir(dir).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

#ifdef KARVEL_READ_FAULT_LIB
// Reads of `file` fail from byte `at` on.
CliSetting readFailsAt(const QString& file, qint64 at) {
  CliSetting s;
  s.environment = {QStringLiteral("LD_PRELOAD=" KARVEL_READ_FAULT_LIB),
                   QStringLiteral("KARVEL_READ_FAULT_FILE=") + QFileInfo(file).canonicalFilePath(),
                   QStringLiteral("KARVEL_READ_FAULT_AT=%1").arg(at)};
  return s;
}
#endif

}  // namespace

// ulimit -f (or a quota) once ended the tool with SIGXFSZ and no word.
TEST(CliFileFaults, AFileSizeLimitFailsTheWriteNamingTheFile) {
  QTemporaryDir dir;
  const QString bus = dir.filePath("out.BUS");
  const QString book = dir.filePath("out.xlsx");
  put(bus, "old bus");
  put(book, "old book");
  CliSetting limited;
  limited.fileSizeLimit = 1024;  // both files are larger

  const CliRun set = runCliAs({"bus", "set", kBus, "1", "1", "5", bus}, limited);
  EXPECT_EQ(set.code, 1) << set.err.toStdString();
  EXPECT_TRUE(set.err.contains("out.BUS")) << set.err.toStdString();
  EXPECT_TRUE(set.err.contains("File too large")) << set.err.toStdString();

  const CliRun exported = runCliAs({"result", "export", kResult, book}, limited);
  EXPECT_EQ(exported.code, 1) << exported.err.toStdString();
  EXPECT_TRUE(exported.err.contains("out.xlsx")) << exported.err.toStdString();
  EXPECT_TRUE(exported.err.contains("File too large")) << exported.err.toStdString();

  EXPECT_EQ(contentOf(bus), "old bus");
  EXPECT_EQ(contentOf(book), "old book");
  EXPECT_EQ(filesIn(dir.path()), (QStringList{"out.BUS", "out.xlsx"}));  // no leftovers

  // Without the limit the same commands write.
  EXPECT_EQ(runCliAs({"bus", "set", kBus, "1", "1", "5", bus}, {}).code, 0);
  EXPECT_NE(contentOf(bus), "old bus");
}

// A read-only file system was reported as "Existing file ... is not
// writable", which sends the user after the file's permissions.
TEST(CliFileFaults, AReadOnlyFileSystemIsNamedAsTheCause) {
  QProcess probe;
  probe.start(QStringLiteral("unshare"), {"-rm", "true"});
  if (!probe.waitForFinished(10000) || probe.exitStatus() != QProcess::NormalExit ||
      probe.exitCode() != 0)
    GTEST_SKIP() << "no user and mount namespaces here";
  QTemporaryDir dir;
  const QString existing = dir.filePath("old.BUS");
  put(existing, "old bus");
  // The folder mounted read-only in a mount namespace of the run's own.
  auto readOnly = [&](const QString& out) {
    CliSetting s;
    s.program = QStringLiteral("unshare");
    return runCliAs({"-rm", "sh", "-c",
                     "mount --bind \"$1\" \"$1\" && mount -o remount,bind,ro \"$1\" && shift && "
                     "exec \"$@\"",
                     "sh", dir.path(), kCli, "bus", "set", kBus, "1", "1", "5", out},
                    s);
  };
  for (const QString& out : {existing, dir.filePath("new.BUS")}) {
    SCOPED_TRACE(out.toStdString());
    const CliRun run = readOnly(out);
    EXPECT_EQ(run.code, 1) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("read-only")) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(dir.path())) << run.err.toStdString();
    EXPECT_FALSE(run.err.contains("not writable")) << run.err.toStdString();
  }
  EXPECT_EQ(contentOf(existing), "old bus");
  EXPECT_EQ(filesIn(dir.path()), QStringList{"old.BUS"});
}

// QIODevice::readAll() gives what it read before an error as if it were the
// whole file: every reader must tell the error instead.
TEST(CliFileFaults, AReadErrorHalfWayIsReportedNeverTakenForAShorterFile) {
#ifndef KARVEL_READ_FAULT_LIB
  GTEST_SKIP() << "no read fault library in this build";
#else
  QTemporaryDir dir;
  // The fault library works: past the file's end it changes nothing.
  EXPECT_EQ(runCliAs({"bus", "show", kBus}, readFailsAt(kBus, 1 << 30)).code, 0);

  const CliRun bus = runCliAs({"bus", "show", kBus}, readFailsAt(kBus, 1000));
  EXPECT_EQ(bus.code, 1);
  EXPECT_TRUE(bus.err.contains("CAN_HS.BUS")) << bus.err.toStdString();
  EXPECT_TRUE(bus.err.contains("Input/output error")) << bus.err.toStdString();

  const CliRun result = runCliAs({"result", "show", kResult}, readFailsAt(kResult, 800));
  EXPECT_EQ(result.code, 1);
  EXPECT_TRUE(result.err.contains("CAN_HS_PASS.HTM")) << result.err.toStdString();
  EXPECT_TRUE(result.err.contains("Input/output error")) << result.err.toStdString();

  // The workbook template, read whole before the export.
  const QString book = dir.filePath("out.xlsx");
  const QString xl = QStringLiteral(KARVEL_APPDIR "/karvel.xl");
  const CliRun exported = runCliAs({"result", "export", kResult, book}, readFailsAt(xl, 1000));
  EXPECT_EQ(exported.code, 1);
  EXPECT_TRUE(exported.err.contains("karvel.xl")) << exported.err.toStdString();
  EXPECT_TRUE(exported.err.contains("Input/output error")) << exported.err.toStdString();
  EXPECT_FALSE(QFile::exists(book));
#endif
}

// The tool reads the program's settings for its instrument commands: a
// damaged file is told with what was kept of it, an unreadable one with why,
// a missing one not at all (the defaults are what the user expects).
TEST(CliFileFaults, ASettingsFileNotReadWholeIsToldWithWhatWasKept) {
  QTemporaryDir dir;
  CliSetting copy;  // a portable copy: its settings file beside it
  copy.program = dir.filePath("karvel-cli");
  ASSERT_TRUE(QFile::copy(kCli, copy.program));
  const QString ini = dir.filePath("karvel.ini");
  // A blank in the RS232 address (line 5); the other lines are good.
  put(ini, "1 1\nC:\\k\\\n1\n2\nASRL3 extra\nUSB\nTCPIP0::127.0.0.1::1::SOCKET\n0\n0\n10\n10\n0\n");
  const QStringList identify = {"instrument", "identify"};

  const CliRun damaged = runCliAs(identify, copy);
  EXPECT_EQ(damaged.code, 1);
  EXPECT_TRUE(damaged.err.contains(QString("The settings file %1 is damaged: line(s) 5 could "
                                           "not be read. Kept: language chosen, working folder, "
                                           "language, type of communication, USB address, "
                                           "Ethernet address, window position.")
                                       .arg(ini)))
      << damaged.err.toStdString();
  // The Ethernet address kept is the one tried.
  EXPECT_TRUE(damaged.err.contains("127.0.0.1")) << damaged.err.toStdString();

#ifdef KARVEL_READ_FAULT_LIB
  const CliRun unreadable = runCliAs(identify, [&] {
    CliSetting s = readFailsAt(ini, 10);
    s.program = copy.program;
    return s;
  }());
  EXPECT_TRUE(unreadable.err.contains(
      QString("The settings file %1 could not be read (Input/output error).").arg(ini)))
      << unreadable.err.toStdString();
#endif

  ASSERT_TRUE(QFile::remove(ini));
  const CliRun missing =
      runCliAs({"instrument", "identify", "--address", "TCPIP0::127.0.0.1::1::SOCKET"}, copy);
  EXPECT_FALSE(missing.err.contains("settings file")) << missing.err.toStdString();
  EXPECT_FALSE(QFile::exists(ini));  // the tool writes no settings
}
