// SPDX-License-Identifier: GPL-3.0-or-later
// Nothing lost: adds killed at any moment, two writers at once, damaged and
// foreign files, a newer schema, a full disk, a run that ended unclosed.
#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSysInfo>
#include <QThread>
#include <QVariant>

#include "RegisterFixtures.h"
#include "core/frame/AppState.h"
#include "core/register/Register.h"
#include "support/FileSizeLimit.h"

#ifdef Q_OS_UNIX
#include <signal.h>
#endif

using namespace karvel;
using namespace karvel::test;

namespace {

const QString kCli = QStringLiteral(KARVEL_APPDIR "/karvel-cli");

// A result padded after its end with a comment of `padding` bytes: the
// bytes are stored whole, so the add takes time and room.
QByteArray paddedResult(int n, int padding) {
  return resultBytes(QString("52.%1").arg(n, 4, 10, QChar(u'0')), dateLine(1 + n % 28)) + "<!--" +
         QByteArray(padding, 'x') + "-->\r\n";
}

void sql(const QString& path, const QString& statement) {
  {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("raw"));
    db.setDatabaseName(path);
    ASSERT_TRUE(db.open());
    QSqlQuery q(db);
    EXPECT_TRUE(q.exec(statement)) << statement.toStdString();
    q.finish();
    db.close();
  }
  QSqlDatabase::removeDatabase(QStringLiteral("raw"));
}

// A register with `count` results, closed.
QString madeRegister(const QTemporaryDir& dir, int count) {
  const QString path = dir.filePath("r.sqlite");
  Register reg;
  QString error;
  EXPECT_TRUE(reg.open(path, English, &error)) << error.toStdString();
  for (int i = 0; i < count; ++i) {
    RegisterAddRequest r;
    r.site = "P";
    r.segment = "S";
    r.fileName = QString("R%1.HTM").arg(i);
    r.bytes = paddedResult(i, 0);
    EXPECT_TRUE(reg.add(r, &error)) << error.toStdString();
  }
  return path;
}

// Every listed result is whole: its bytes match its hash, its rows are there.
void expectWhole(const QString& path, int* count) {
  Register reg;
  QString error;
  ASSERT_TRUE(reg.open(path, English, &error)) << error.toStdString();
  const auto problems = reg.check(&error);
  ASSERT_TRUE(problems) << error.toStdString();
  EXPECT_TRUE(problems->isEmpty()) << problems->join('\n').toStdString();
  const auto all = reg.list({}, &error);
  ASSERT_TRUE(all) << error.toStdString();
  for (const RegisterEntry& e : *all) {
    const QByteArray bytes = *reg.originalBytes(e.id, &error);
    EXPECT_EQ(
        QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex()),
        e.sha256);
    EXPECT_EQ(reg.measurements(e.id, &error)->size(), 2u) << e.fileName.toStdString();
  }
  *count = static_cast<int>(all->size());
}

}  // namespace

#ifdef Q_OS_UNIX
TEST(RegisterRobustness, AnAddKilledAtAnyMomentLeavesTheResultWholeOrAbsent) {
  QTemporaryDir dir;
  const QString path = dir.filePath("r.sqlite");
  QStringList files;
  for (int i = 0; i < 60; ++i)
    files << writeResult(dir, QString("K%1.HTM").arg(i), paddedResult(i, 400 * 1024));
  QRandomGenerator random(20261123);
  int before = 0;
  int kills = 0;
  for (int round = 0; round < 12; ++round) {
    QProcess cli;
    cli.start(kCli,
              QStringList{"register", "add", "--register", path, "--site", "P", "--segment", "S"} +
                  files);
    ASSERT_TRUE(cli.waitForStarted());
    QThread::msleep(random.bounded(20, 600));
    if (cli.state() == QProcess::Running) {
      ::kill(static_cast<pid_t>(cli.processId()), SIGKILL);
      ++kills;
    }
    cli.waitForFinished(30000);
    int count = 0;
    expectWhole(path, &count);
    if (HasFatalFailure()) return;
    EXPECT_GE(count, before) << "nothing filed before is lost";
    before = count;
  }
  EXPECT_GT(kills, 0);
  EXPECT_GT(before, 0);
}
#endif

TEST(RegisterRobustness, TwoWritersAtOnceBothSucceed) {
  QTemporaryDir dir;
  const QString path = madeRegister(dir, 1);
  QStringList first, second;
  for (int i = 0; i < 15; ++i) {
    first << writeResult(dir, QString("A%1.HTM").arg(i), paddedResult(100 + i, 64 * 1024));
    second << writeResult(dir, QString("B%1.HTM").arg(i), paddedResult(200 + i, 64 * 1024));
  }
  const QStringList head = {"register", "add", "--register", path, "--site", "P", "--segment", "S"};
  QProcess a, b;
  a.start(kCli, head + first);
  b.start(kCli, head + second);
  // And the windows' own writer in this process meanwhile.
  Register reg;
  QString error;
  ASSERT_TRUE(reg.open(path, English, &error)) << error.toStdString();
  for (int i = 0; i < 10; ++i) {
    RegisterAddRequest r;
    r.site = "P";
    r.segment = "S";
    r.fileName = QString("W%1.HTM").arg(i);
    r.bytes = paddedResult(300 + i, 64 * 1024);
    EXPECT_TRUE(reg.add(r, &error)) << error.toStdString();
  }
  ASSERT_TRUE(a.waitForFinished(60000));
  ASSERT_TRUE(b.waitForFinished(60000));
  EXPECT_EQ(a.exitCode(), 0) << a.readAllStandardError().constData();
  EXPECT_EQ(b.exitCode(), 0) << b.readAllStandardError().constData();
  EXPECT_EQ(reg.list({}, &error)->size(), 1u + 15 + 15 + 10);
}

TEST(RegisterRobustness, ForeignDamagedAndNewerFilesAreRefusedAndLeftAsTheyWere) {
  QTemporaryDir dir;
  struct Case {
    QString path;
    const char* reason;
  };
  std::vector<Case> cases;

  const QString text = writeResult(dir, "notes.sqlite", "Plant A: call Bob before the visit\n");
  cases.push_back({text, "it is not an SQLite database"});

  const QString other = dir.filePath("other.sqlite");
  sql(other, "CREATE TABLE customers (name TEXT)");
  cases.push_back({other, "another program"});

  QTemporaryDir damagedDir;
  const QString damaged = madeRegister(damagedDir, 3);
  {
    QFile f(damaged);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    f.seek(100);  // past the header: the table of tables itself
    f.write(QByteArray(3000, '\xA5'));
  }
  cases.push_back({damaged, "damaged"});

  QTemporaryDir newerDir;
  const QString newer = madeRegister(newerDir, 1);
  sql(newer, "UPDATE register_info SET value = '99' WHERE key = 'schema_version'");
  cases.push_back({newer, "newer version of KARVEL (schema 99"});

  for (const Case& c : cases) {
    const QByteArray before = fileBytes(c.path);
    Register reg;
    QString error;
    EXPECT_FALSE(reg.open(c.path, English, &error)) << c.path.toStdString();
    EXPECT_FALSE(reg.isOpen());
    EXPECT_TRUE(error.contains(c.path)) << error.toStdString();
    EXPECT_TRUE(error.contains(c.reason)) << error.toStdString();
    EXPECT_EQ(fileBytes(c.path), before) << c.path.toStdString();
  }
  // The command line says the same and ends with 1.
  QProcess cli;
  cli.start(kCli, {"register", "list", "--register", text});
  ASSERT_TRUE(cli.waitForFinished(30000));
  EXPECT_EQ(cli.exitCode(), 1);
  EXPECT_TRUE(cli.readAllStandardError().contains("it is not an SQLite database"));
}

#ifdef Q_OS_UNIX
TEST(RegisterRobustness, AFullDiskIsReportedAndTheRegisterKeepsWhatItHad) {
  QTemporaryDir dir;
  const QString path = madeRegister(dir, 2);
  const qint64 size = QFileInfo(path).size();
  Register reg;
  QString error;
  ASSERT_TRUE(reg.open(path, English, &error)) << error.toStdString();
  RegisterAddRequest big;
  big.site = "P";
  big.segment = "S";
  big.fileName = "BIG.HTM";
  big.bytes = paddedResult(77, 2 * 1024 * 1024);
  {
    FileSizeLimit limit(size + 64 * 1024);
    ASSERT_TRUE(limit.active());
    EXPECT_FALSE(reg.add(big, &error));
  }
  EXPECT_TRUE(error.contains("could not be written")) << error.toStdString();
  EXPECT_TRUE(error.contains("It keeps what it had.")) << error.toStdString();
  EXPECT_EQ(reg.list({}, &error)->size(), 2u);
  reg.close();
  int count = 0;
  expectWhole(path, &count);
  EXPECT_EQ(count, 2);
  // Room again: the same add goes through.
  ASSERT_TRUE(reg.open(path, English, &error));
  EXPECT_TRUE(reg.add(big, &error)) << error.toStdString();
}
#endif

TEST(RegisterRobustness, ARunThatEndedWithoutClosingIsCheckedAtTheNextOpen) {
  QTemporaryDir dir;
  const QString path = madeRegister(dir, 1);
  Register reg;
  QString error;
  ASSERT_TRUE(reg.open(path, English, &error));
  EXPECT_FALSE(reg.checkedAtOpen()) << "closed cleanly";
  reg.close();
  // What a killed program leaves: its session, its process gone (beyond any pid).
  sql(path, QString("INSERT INTO register_session (host, pid, opened) VALUES ('%1', 99999999, "
                    "'2026-01-01T00:00:00')")
                .arg(QSysInfo::machineHostName()));
  ASSERT_TRUE(reg.open(path, English, &error)) << error.toStdString();
  EXPECT_TRUE(reg.checkedAtOpen());
  reg.close();
  ASSERT_TRUE(reg.open(path, English, &error));
  EXPECT_FALSE(reg.checkedAtOpen()) << "the ended run was accounted for";
}
