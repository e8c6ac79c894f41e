// SPDX-License-Identifier: GPL-3.0-or-later
// Portable or installed: where the resources, the settings file and the
// temporary files are, decided from the program's folder.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "core/frame/Installation.h"

using namespace karvel;

namespace {

void touch(const QString& path, const QByteArray& bytes = "x") {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

struct Folders : ::testing::Test {
  QTemporaryDir root;
  UserFolders user(bool writable) {
    UserFolders u;
    u.configDir = root.filePath("home/.config/karvel");
    u.cacheDir = root.filePath("home/.cache/karvel");
    u.writable = [writable](const QString&) { return writable; };
    return u;
  }
};

}  // namespace

TEST_F(Folders, AWritableFolderWithItsResourcesIsPortable) {
  const QString program = root.filePath("stick");
  touch(program + "/KARVEL.UIR");
  const Installation at = locateInstallation(program, user(true));
  EXPECT_EQ(at.mode, Installation::Mode::Portable);
  EXPECT_EQ(at.resourceDir, program);
  EXPECT_EQ(at.settingsPath, program + "/karvel.ini");
  EXPECT_EQ(at.temporaryDir, program);
  ASSERT_TRUE(prepareInstallation(at, nullptr));
  EXPECT_FALSE(QFileInfo::exists(root.filePath("home")));  // nothing made elsewhere
}

TEST_F(Folders, AReadOnlyProgramFolderKeepsSettingsPerUser) {
  const QString program = root.filePath("opt/karvel");
  touch(program + "/KARVEL.UIR");
  touch(program + "/karvel.ini",
        "1 1\n/srv/shared/\n0\n2\nASRL1\nUSB\nTCPIP0::10.0.0.9::23::SOCKET\n");
  const Installation at = locateInstallation(program, user(false));
  EXPECT_EQ(at.mode, Installation::Mode::Installed);
  EXPECT_EQ(at.resourceDir, program);
  EXPECT_EQ(at.settingsPath, root.filePath("home/.config/karvel/karvel.ini"));
  EXPECT_EQ(at.temporaryDir, root.filePath("home/.cache/karvel"));
  ASSERT_TRUE(prepareInstallation(at, nullptr));
  EXPECT_TRUE(QFileInfo(at.temporaryDir).isDir());
  // Seeded from the shipped file, once, and writable by the user.
  QFile seeded(at.settingsPath);
  ASSERT_TRUE(seeded.open(QIODevice::ReadOnly));
  EXPECT_TRUE(seeded.readAll().contains("10.0.0.9"));
  EXPECT_TRUE(QFileInfo(at.settingsPath).permissions() & QFile::WriteOwner);
  touch(at.settingsPath, "mine");
  ASSERT_TRUE(prepareInstallation(at, nullptr));
  QFile again(at.settingsPath);
  ASSERT_TRUE(again.open(QIODevice::ReadOnly));
  EXPECT_EQ(again.readAll(), "mine");
}

TEST_F(Folders, ALinuxLayoutIsInstalledEvenWhenItsBinFolderIsWritable) {
  touch(root.filePath("usr/share/karvel/KARVEL.UIR"));
  QDir().mkpath(root.filePath("usr/bin"));
  const Installation at = locateInstallation(root.filePath("usr/bin"), user(true));
  EXPECT_EQ(at.mode, Installation::Mode::Installed);
  EXPECT_EQ(at.resourceDir, root.filePath("usr/share/karvel"));
  EXPECT_EQ(at.programDir, root.filePath("usr/bin"));
  EXPECT_EQ(at.settingsPath, root.filePath("home/.config/karvel/karvel.ini"));
}

TEST_F(Folders, TheWritabilityProbeLeavesNothingBehind) {
  EXPECT_TRUE(folderIsWritable(root.path()));
  EXPECT_TRUE(QDir(root.path())
                  .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)
                  .isEmpty());
  EXPECT_FALSE(folderIsWritable(root.filePath("absent")));
  touch(root.filePath("file"));
  EXPECT_FALSE(folderIsWritable(root.filePath("file")));
}
