// Files written whole or not at all, when the disk fills up half-way.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "core/bus/XmlDocument.h"
#include "core/frame/SafeWrite.h"
#include "support/FileSizeLimit.h"

using namespace karvel;

namespace {

QByteArray readAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

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
