// SPDX-License-Identifier: GPL-3.0-or-later
// Files written whole or not at all, when the disk fills up half-way.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "core/bus/XmlDocument.h"
#include "core/frame/SafeWrite.h"
#include "core/frame/Settings.h"
#include "support/FileSizeLimit.h"

#ifdef Q_OS_UNIX
#include <unistd.h>

#include <cerrno>
#endif

using namespace karvel;

namespace {

QByteArray readAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void put(const QString& path, const QByteArray& bytes, const QDateTime& modified = {}) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  f.write(bytes);
  f.flush();  // or the close would date it now
  if (modified.isValid()) {
    ASSERT_TRUE(f.setFileTime(modified, QFileDevice::FileModificationTime));
  }
}

// The final rename, made to fail as on a busy target; what it was asked.
QString renamedFrom;
bool failingRename(const QString& from, const QString&, int* errorNumber) {
  renamedFrom = from;
#ifdef Q_OS_UNIX
  *errorNumber = EBUSY;
#else
  *errorNumber = 32;  // ERROR_SHARING_VIOLATION
#endif
  return false;
}

struct RenameFails {
  RenameFails() { detail::setRenameForTesting(failingRename); }
  ~RenameFails() { detail::setRenameForTesting(nullptr); }
};

}  // namespace

// A write that stops short (here after 4 kB, as a disk that fills up) once
// went unnoticed: the buffered copy was renamed over the old file, cut.
TEST(SafeWrite, AShortWriteKeepsTheOldFileAndSaysWhy) {
  QTemporaryDir dir;
  const QString path = dir.filePath("kept.BUS");
  ASSERT_TRUE(writeFileWhole(path, "old content", nullptr));
  const QByteArray big(64 * 1024, 'x');
  QString reason;
  {
    test::FileSizeLimit full(4096);
    ASSERT_TRUE(full.active());
    EXPECT_FALSE(writeFileWhole(path, big, &reason));
    // The bus document's save goes the same way.
    auto doc = XmlDocument::loadBytes("<R a=\"" + big + "\"/>").document;
    ASSERT_TRUE(doc);
    QString error;
    EXPECT_EQ(doc->save(path, &error), karvel::XmlCannotWrite);
    EXPECT_TRUE(error.contains("kept.BUS")) << error.toStdString();
  }
  EXPECT_FALSE(reason.isEmpty());
  EXPECT_EQ(readAll(path), "old content");
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"kept.BUS"});
  ASSERT_TRUE(writeFileWhole(path, big, &reason));
  EXPECT_EQ(readAll(path), big);
}

// The last step can fail too (a target held busy, a temporary file removed
// under the program): the save is a failure and the old file stays.
TEST(SafeWrite, AFailedRenameIsAFailureAndKeepsTheOldFile) {
  QTemporaryDir dir;
  const QString path = dir.filePath("kept.BUS");
  put(path, "old content");
  {
    RenameFails busy;
    QString reason;
    EXPECT_FALSE(writeFileWhole(path, "new content", &reason));
    EXPECT_EQ(reason, qt_error_string(EBUSY));
    // Every writer says so: the bus document, the settings.
    auto doc = XmlDocument::loadBytes("<R a=\"1\"/>").document;
    ASSERT_TRUE(doc);
    QString error;
    EXPECT_EQ(doc->save(path, &error), karvel::XmlCannotWrite);
    EXPECT_TRUE(error.contains("kept.BUS")) << error.toStdString();
    AppState state;
    ValeurParDefaut(state);
    EXPECT_FALSE(SauvegardeIni(path, state, WindowGeometry{}, &error));
  }
  EXPECT_EQ(readAll(path), "old content");
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"kept.BUS"});
}

// A copy of the program killed between its write and its rename leaves a
// whole temporary file: named as the program's own, it is removed by the
// next run that writes there, but only once its program has gone and it is
// older than that run.
TEST(SafeWrite, LeftoversOfEndedRunsAreRemovedAndNothingElse) {
  QTemporaryDir dir;
  const QString target = dir.filePath("data.BUS");
  {
    RenameFails busy;
    writeFileWhole(target, "x", nullptr);
  }
  const QString ours = QFileInfo(renamedFrom).fileName();
  EXPECT_TRUE(ours.startsWith("data.BUS.karvel-")) << ours.toStdString();
  EXPECT_TRUE(isOwnTemporaryName(ours)) << ours.toStdString();
  EXPECT_TRUE(ours.contains(QString("-%1-").arg(QCoreApplication::applicationPid())));
  for (const char* other : {"data.BUS.a1B2c3", "data.BUS.karvel-12-abc.part",
                            "data.BUS.karvel-x-abcdef.part", "data.karvel-12-abcdef.tmp"})
    EXPECT_FALSE(isOwnTemporaryName(other)) << other;

  QTemporaryDir folder;
  const QDateTime before = processStart().addSecs(-3600);
  const QString gone = "a.BUS.karvel-99999999-abcDEF.part";   // no such process
  const QString fresh = "b.BUS.karvel-99999999-xyzXYZ.part";  // written since the start
  const QString running = "c.BUS.karvel-1-qwerty.part";       // its program still runs
  const QString mine =
      QString("d.BUS.karvel-%1-qwerty.part").arg(QCoreApplication::applicationPid());
  const QString foreign = "e.BUS.a1B2c3";  // another program's
  put(folder.filePath(gone), "whole copy", before);
  put(folder.filePath(fresh), "being written");
  put(folder.filePath(running), "being written", before);
  put(folder.filePath(mine), "being written", before);
  put(folder.filePath(foreign), "theirs", before);
  ASSERT_TRUE(writeFileWhole(folder.filePath("f.BUS"), "new", nullptr));
  EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
            (QStringList{fresh, running, mine, foreign, "f.BUS"}));
  // Once a run: a leftover that appears later waits for the next run.
  put(folder.filePath(gone), "whole copy", before);
  ASSERT_TRUE(writeFileWhole(folder.filePath("f.BUS"), "newer", nullptr));
  EXPECT_TRUE(QFile::exists(folder.filePath(gone)));
  EXPECT_EQ(removeStaleTemporaries(folder.path()), 1);
  EXPECT_FALSE(QFile::exists(folder.filePath(gone)));
}

#ifdef Q_OS_UNIX
// A file the user protected is not replaced, though the folder would allow
// it; the message says which file. (Root passes every permission check.)
TEST(SafeWrite, AWriteProtectedFileIsNotReplaced) {
  if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind root";
  QTemporaryDir dir;
  const QString path = dir.filePath("kept.BUS");
  put(path, "old content");
  ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner));
  QString reason;
  EXPECT_FALSE(writeFileWhole(path, "new", &reason, German));
  EXPECT_TRUE(reason.startsWith("Die vorhandene Datei")) << reason.toStdString();
  EXPECT_TRUE(reason.contains("kept.BUS"));
  EXPECT_EQ(readAll(path), "old content");
}
#endif

// A symbolic link stays a link: the file it names gets the content.
TEST(SafeWrite, ALinkIsFollowed) {
  QTemporaryDir dir;
  const QString real = dir.filePath("real.BUS");
  const QString link = dir.filePath("link.BUS");
  put(real, "old");
  ASSERT_TRUE(QFile::link(real, link));
  ASSERT_TRUE(writeFileWhole(link, "new", nullptr));
  EXPECT_TRUE(QFileInfo(link).isSymLink());
  EXPECT_EQ(readAll(real), "new");
}

// Content made while it is written (a workbook going straight into its
// file): written where the producer goes, back over what it wrote too; a
// producer that gives up, or a disk that fills up under it, keeps the old
// file, leaves nothing beside it and says why.
TEST(SafeWrite, ContentMadeWhileWrittenGoesInWholeOrNotAtAll) {
  QTemporaryDir dir;
  const QString path = dir.filePath("book.xlsx");
  put(path, "old content");
  ASSERT_TRUE(writeFileWholeFrom(
      path,
      [](WholeFileSink& sink, QString*) {
        const bool written = sink.write("head ----", 9) && sink.write(" tail", 5);
        EXPECT_EQ(sink.position(), 14);
        // Back over the dashes, then on at the end.
        return written && sink.seek(5) && sink.write("done", 4) && sink.position() == 9 &&
               sink.seek(14) && sink.write("!", 1) && !sink.failed();
      },
      nullptr));
  EXPECT_EQ(readAll(path), "head done tail!");

  QString reason;
  EXPECT_FALSE(writeFileWholeFrom(
      path,
      [](WholeFileSink& sink, QString* why) {
        sink.write("partial", 7);
        *why = QStringLiteral("the package is damaged");
        return false;
      },
      &reason));
  EXPECT_EQ(reason, "the package is damaged");
  EXPECT_EQ(readAll(path), "head done tail!");
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"book.xlsx"});

#ifdef Q_OS_UNIX
  {
    test::FileSizeLimit full(4096);
    ASSERT_TRUE(full.active());
    const QByteArray big(64 * 1024, 'x');
    bool sinkFailed = false;
    EXPECT_FALSE(writeFileWholeFrom(
        path,
        [&](WholeFileSink& sink, QString* why) {
          if (sink.write(big.constData(), big.size())) return true;
          sinkFailed = sink.failed();
          *why = QStringLiteral("not this");  // the sink's own reason wins
          return false;
        },
        &reason));
    EXPECT_TRUE(sinkFailed);
    EXPECT_EQ(reason, qt_error_string(EFBIG));
  }
  EXPECT_EQ(readAll(path), "head done tail!");
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"book.xlsx"});
#endif
}
