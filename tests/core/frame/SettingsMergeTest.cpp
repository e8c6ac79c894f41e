// SPDX-License-Identifier: GPL-3.0-or-later
// Two programs on one settings file: each write changes on disk only what
// that program changed, so neither loses the other's values.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "core/frame/Settings.h"

using namespace karvel;

namespace {

QByteArray readBytes(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  f.write(bytes);
}

const QByteArray kStart =
    "1 1\nC:\\My Files\\bus\\\n2\n0\nASRL3\nUSB0::1::INSTR\nTCPIP0::10.0.0.5::23::SOCKET\n"
    "40\n50\n600\n700\n0\n";

class SettingsMerge : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    path = dir.filePath("karvel.ini");
    a.settingsPath = b.settingsPath = path;
  }
  // Both programs start on what the file holds now.
  void startBoth() {
    ASSERT_TRUE(readSettingsFile(path, a, placeA));
    ASSERT_TRUE(readSettingsFile(path, b, placeB));
  }
  AppState reread() {
    AppState s;
    EXPECT_TRUE(readSettingsFile(path, s, onDisk));
    return s;
  }
  QTemporaryDir dir;
  QString path;
  AppState a, b;
  WindowGeometry placeA, placeB, onDisk;
};

}  // namespace

TEST_F(SettingsMerge, EachProgramsChangeSurvivesTheOthersWrite) {
  writeBytes(path, kStart);
  startBoth();
  a.serialAddress = "ASRL7";
  b.ethernetAddress = "TCPIP0::192.168.1.9::23::SOCKET";
  b.language = Italian;
  ASSERT_TRUE(SauvegardeIni(path, b, placeB));
  ASSERT_TRUE(SauvegardeIni(path, a, placeA));  // A quits last, knowing nothing of B's
  AppState now = reread();
  EXPECT_EQ(now.serialAddress, "ASRL7");
  EXPECT_EQ(now.ethernetAddress, "TCPIP0::192.168.1.9::23::SOCKET");
  EXPECT_EQ(now.language, Italian);
  EXPECT_EQ(now.usbAddress, "USB0::1::INSTR");
  EXPECT_EQ(now.workingDir, "C:\\My Files\\bus\\");
  EXPECT_EQ(onDisk, (WindowGeometry{40, 50, 600, 700, 0}));

  // A answered No to the quit question and quits again later: B's values
  // are still not taken back. A value A changes again is A's.
  a.connectionType = Ethernet;
  ASSERT_TRUE(SauvegardeIni(path, a, placeA));
  now = reread();
  EXPECT_EQ(now.ethernetAddress, "TCPIP0::192.168.1.9::23::SOCKET");
  EXPECT_EQ(now.language, Italian);
  EXPECT_EQ(now.connectionType, Ethernet);
  EXPECT_EQ(now.serialAddress, "ASRL7");

  // B changes its address a second time: the newer value wins, A's stays.
  b.ethernetAddress = "TCPIP0::192.168.1.10::23::SOCKET";
  ASSERT_TRUE(SauvegardeIni(path, b, placeB));
  now = reread();
  EXPECT_EQ(now.ethernetAddress, "TCPIP0::192.168.1.10::23::SOCKET");
  EXPECT_EQ(now.serialAddress, "ASRL7");
  EXPECT_EQ(now.connectionType, Ethernet);
}

// The window's place is one value: a moved window is stored whole; a
// window that did not move leaves the place alone; a zoomed one is stored
// with the fixed place, whatever the other wrote.
TEST_F(SettingsMerge, TheWindowPlaceIsWrittenOnlyByTheWindowThatMoved) {
  writeBytes(path, kStart);
  startBoth();
  ASSERT_TRUE(SauvegardeIni(path, a, {5, 6, 500, 800, 0}));
  ASSERT_TRUE(SauvegardeIni(path, b, placeB));
  reread();
  EXPECT_EQ(onDisk, (WindowGeometry{5, 6, 500, 800, 0}));
  ASSERT_TRUE(SauvegardeIni(path, b, {1, 2, 3, 4, kZoomMaximised}));
  reread();
  EXPECT_EQ(onDisk, (WindowGeometry{30, 30, 550, 490, kZoomMaximised}));
}

// The file keeps its code page and its line ends, also when the other
// program wrote it last; a file the other program left broken or removed
// is written whole.
TEST_F(SettingsMerge, TheFileKeepsItsFormatAndABrokenFileIsWrittenWhole) {
  const QByteArray old =
      "1 1\r\nC:\\Donn\xE9"
      "es\\\r\n0\r\n2\r\nASRL1\r\nUSB\r\nTCPIP0::10.0.0.5::23::"
      "SOCKET\r\n30\r\n30\r\n550\r\n490\r\n0\r\n";
  writeBytes(path, old);
  startBoth();
  a.serialAddress = "ASRL2";
  b.usbAddress = "USB7";
  ASSERT_TRUE(SauvegardeIni(path, a, placeA));
  ASSERT_TRUE(SauvegardeIni(path, b, placeB));
  QByteArray expected = old;
  expected.replace("ASRL1", "ASRL2").replace("\r\nUSB\r\n", "\r\nUSB7\r\n");
  EXPECT_EQ(readBytes(path), expected);

  writeBytes(path, "garbage");
  a.language = German;
  ASSERT_TRUE(SauvegardeIni(path, a, placeA));
  AppState now = reread();
  EXPECT_EQ(now.serialAddress, "ASRL2");
  EXPECT_EQ(now.usbAddress, "USB");  // what A holds: B's change went with the file
  EXPECT_EQ(now.language, German);

  QFile::remove(path);
  ASSERT_TRUE(SauvegardeIni(path, b, placeB));
  now = reread();
  EXPECT_EQ(now.usbAddress, "USB7");
  EXPECT_EQ(now.language, French);
}

// A state that never read the file it writes (a copy, a first write) has
// nothing to merge over: it writes every value it holds.
TEST_F(SettingsMerge, AnotherFileIsWrittenWithEveryValue) {
  writeBytes(path, kStart);
  ASSERT_TRUE(readSettingsFile(path, a, placeA));
  const QString copy = dir.filePath("copy.ini");
  writeBytes(copy, QByteArray(kStart).replace("ASRL3", "ASRL9"));
  ASSERT_TRUE(SauvegardeIni(copy, a, placeA));
  EXPECT_EQ(readBytes(copy), kStart);
}
