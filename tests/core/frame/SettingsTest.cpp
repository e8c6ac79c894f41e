// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>

#include "core/frame/RecentFiles.h"
#include "core/frame/Settings.h"
#include "support/FileSizeLimit.h"
#include "support/ScriptedInteraction.h"

using namespace karvel;

namespace {

// Stands in for the main window; its language items set the language as the
// real menu command does.
class FakeWindow : public SettingsWindow {
 public:
  AppState* state = nullptr;
  WindowGeometry current{100, 120, 480, 640, 0};
  QList<WindowGeometry> placed;
  QList<int> items;
  WindowGeometry windowGeometry() const override { return current; }
  void placeWindow(const WindowGeometry& g) override { placed.append(g); }
  void runMenuItem(int item) override {
    items.append(item);
    if (state && item >= 17 && item <= 21) state->language = item - 17;
  }
};

QString readAll(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) return {};
  return QString::fromUtf8(f.readAll());
}

void writeFile(const QString& path, const QString& text) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text));
  f.write(text.toUtf8());
}

const char* kValid =
    "1 1\nC:\\My Files\\bus\\\n2\n0\nASRL3\nUSB0::1::INSTR\nTCPIP0::10.0.0.5::23::SOCKET\n"
    "40\n50\n600\n700\n0\n";

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    state.ui = &ui;
    state.settingsPath = dir.filePath("karvel.ini");
    window.state = &state;
  }
  QTemporaryDir dir;
  test::ScriptedInteraction ui;
  AppState state;
  FakeWindow window;
};

}  // namespace

TEST_F(SettingsTest, WritesTheTwelveLinesInTheirFormats) {
  ValeurParDefaut(state);
  state.workingDir = "C:\\My Files\\bus\\";
  state.languageChosen = 1;
  ASSERT_TRUE(SauvegardeIni(state.settingsPath, state, {10, 20, 300, 400, 0}));
  EXPECT_EQ(readAll(state.settingsPath),
            "1 1\nC:\\My Files\\bus\\\n1\n1\nASRL1\nUSB\nTCPIP0::255.255.255.255::23::SOCKET\n"
            "10\n20\n300\n400\n0\n");
}

TEST_F(SettingsTest, RoundTripKeepsEveryValueAndBlanksInTheWorkingFolder) {
  writeFile(state.settingsPath, kValid);
  ChargeConfig(state, window);
  EXPECT_TRUE(ui.messages.isEmpty());
  EXPECT_EQ(state.languageChosen, 1);
  EXPECT_EQ(state.workingDir, "C:\\My Files\\bus\\");
  EXPECT_EQ(state.language, German);
  EXPECT_EQ(state.connectionType, RS232);
  EXPECT_EQ(state.serialAddress, "ASRL3");
  EXPECT_EQ(state.usbAddress, "USB0::1::INSTR");
  EXPECT_EQ(state.ethernetAddress, "TCPIP0::10.0.0.5::23::SOCKET");
  ASSERT_EQ(window.placed.size(), 1);
  EXPECT_EQ(window.placed[0], (WindowGeometry{40, 50, 600, 700, 0}));
  // The stored language is applied through its menu item; nothing is asked.
  EXPECT_EQ(window.items, QList<int>{17 + German});
  EXPECT_EQ(readAll(state.settingsPath), kValid);  // not rewritten at start

  window.current = {40, 50, 600, 700, 0};
  ASSERT_TRUE(SauvegardeIni(state.settingsPath, state, window.current));
  EXPECT_EQ(readAll(state.settingsPath), kValid);

  // A folder longer than the 299 characters kept, cut at a character of two
  // UTF-16 units or at a carriage return, reads back as it was written.
  for (const QString& cut : {QString::fromUtf8("\xF0\x9F\x98\x80"), QString("\r")}) {
    SCOPED_TRACE(cut.toStdString());
    writeFile(state.settingsPath,
              QString(kValid).replace("My Files", QString(295, u'a') + cut + "tail"));
    AppState first;
    WindowGeometry g;
    ASSERT_TRUE(readSettingsFile(state.settingsPath, first, g));
    EXPECT_LE(first.workingDir.size(), 299);
    EXPECT_TRUE(first.workingDir.startsWith("C:\\" + QString(295, u'a')));
    ASSERT_TRUE(SauvegardeIni(state.settingsPath, first, g));
    AppState again;
    ASSERT_TRUE(readSettingsFile(state.settingsPath, again, g));
    EXPECT_EQ(again.workingDir, first.workingDir);
  }
}

TEST_F(SettingsTest, RunTimeStateIsResetAtStart) {
  writeFile(state.settingsPath, kValid);
  state.printOption1 = 0;
  state.printOption2 = 2;
  ChargeConfig(state, window);
  EXPECT_EQ(state.printOption1, 2);
  EXPECT_EQ(state.printOption2, 0);
  EXPECT_TRUE(state.exportPanel.isNull());
  EXPECT_TRUE(state.commPanel.isNull());
}

TEST_F(SettingsTest, AddressesAreSingleWords) {
  writeFile(state.settingsPath,
            "1 1\nC:\\k\\\n1\n1\nASRL1 extra\nUSB\nTCPIP0::1.2.3.4::23::SOCKET\n0\n0\n10\n10\n0\n");
  AppState probe;
  WindowGeometry g;
  // The blank splits the address: every later value shifts by one word, so
  // the read no longer fills the geometry.
  EXPECT_FALSE(readSettingsFile(state.settingsPath, probe, g));
  EXPECT_EQ(probe.serialAddress, "ASRL1");
}

// A file that is there but not whole was once "not found" and lost every
// value: now each value its own line holds, in the form of its field, is
// kept, the rest defaulted, and the message says which lines failed, what
// was kept and what went back to its default. A line missing in the middle
// moves every later value up into another field's place: none of them is
// taken there (nor saved).
TEST_F(SettingsTest, DamagedFilesKeepWhatTheirLinesHoldAndSaySo) {
  struct Case {
    const char* content;
    const char* message;  // in the language kept, else English
    int language;
    int connection;
    const char* serial;
    const char* usb;
    const char* ethernet;
    const char* workingDir;  // null: the default
    WindowGeometry placed;
  };
  const char* kDefaultEthernet = "TCPIP0::255.255.255.255::23::SOCKET";
  const Case cases[] = {
      {"1 1\nC:\\k\\\n2\n0\nASRL3\nUSB\nTCPIP0::1.2.3.4::23::SOCKET\n0\n0\n10\n10\n",
       "beschädigt: Zeile(n) 12 nicht lesbar.\nÜbernommen: Sprache gewählt, Arbeitsverzeichnis, "
       "Sprache, Kommunikationsart, RS232-Adresse, USB-Adresse, Ethernet-Adresse.\n"
       "Wieder auf dem Standardwert: Fensterposition.\n",
       German, RS232, "ASRL3", "USB", "TCPIP0::1.2.3.4::23::SOCKET", "C:\\k\\", WindowGeometry{}},
      {"1 1\nC:\\k\\\n5\n0\nASRL3\nUSB\nTCPIP0::1.2.3.4::23::SOCKET\n1\n2\n30\n40\n0\n",
       "is damaged: line(s) 3 could not be read.\nKept: language chosen, working folder, type of "
       "communication, RS232 address, USB address, Ethernet address, window position.\n"
       "Back to the default: language.\n",
       English, RS232, "ASRL3", "USB", "TCPIP0::1.2.3.4::23::SOCKET", "C:\\k\\",
       WindowGeometry{1, 2, 30, 40, 0}},
      // A blank splits the RS232 address; "E" and "ten" have no form of theirs.
      {"1 1\nC:\\k\\\n2\n3\nASRL1 extra\nUSB\nE\n0\nten\n10\n10\n0\n",
       "beschädigt: Zeile(n) 4-5, 7, 9 nicht lesbar.", German, USB, "ASRL1", "USB",
       kDefaultEthernet, "C:\\k\\", WindowGeometry{}},
      // Line 5 (the RS232 address) missing: the USB address, the Ethernet
      // address and the window's top each sit one line up.
      {"1 1\nC:\\k\\\n2\n0\nUSB0::1::INSTR\nTCPIP0::10.0.0.5::23::SOCKET\n30\n30\n550\n490\n0\n",
       "beschädigt: Zeile(n) 5-7, 12 nicht lesbar.\nÜbernommen: Sprache gewählt, "
       "Arbeitsverzeichnis, Sprache, Kommunikationsart.\nWieder auf dem Standardwert: "
       "RS232-Adresse, USB-Adresse, Ethernet-Adresse, Fensterposition.\n",
       German, RS232, "ASRL1", "USB", kDefaultEthernet, "C:\\k\\", WindowGeometry{}},
      // The same with a USB address found as a serial port, which looks like
      // an RS232 one.
      {"1 "
       "1\nC:\\k\\\n1\n1\nASRL/dev/ttyACM0::INSTR\nTCPIP0::10.0.0.5::23::SOCKET\n30\n30\n550\n490\n"
       "0\n",
       "line(s) 5-7, 12 could not be read.", English, USB, "ASRL1", "USB", kDefaultEthernet,
       "C:\\k\\", WindowGeometry{}},
      // Line 2 (the working folder) missing: the language's number on line 2,
      // the connection's on line 3, the RS232 address on line 4.
      {"1 1\n2\n0\nASRL3\nUSB\nTCPIP0::1.2.3.4::23::SOCKET\n30\n30\n550\n490\n0\n",
       "is damaged: line(s) 2-7, 12 could not be read.\nKept: language chosen.\nBack to the "
       "default: working folder, language, type of communication, RS232 address, USB address, "
       "Ethernet address, window position.\n",
       English, USB, "ASRL1", "USB", kDefaultEthernet, nullptr, WindowGeometry{}},
      // Line 4 (the connection) missing: the language before it is not
      // told from a moved number, and is not taken either.
      {"1 1\nC:\\k\\\n2\nASRL3\nUSB\nTCPIP0::1.2.3.4::23::SOCKET\n30\n30\n550\n490\n0\n",
       "line(s) 3-7, 12 could not be read.", English, USB, "ASRL1", "USB", kDefaultEthernet,
       "C:\\k\\", WindowGeometry{}},
      {"", "is damaged: line(s) 1-12 could not be read.\nKept: nothing.\n", English, USB, "ASRL1",
       "USB", kDefaultEthernet, nullptr, WindowGeometry{}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.content);
    AppState fresh;
    test::ScriptedInteraction answers;
    answers.languages.enqueue(English);  // asked only when line 1 is lost
    fresh.ui = &answers;
    fresh.settingsPath = state.settingsPath;
    FakeWindow w;
    w.state = &fresh;
    writeFile(fresh.settingsPath, c.content);
    ChargeConfig(fresh, w);
    ASSERT_GE(answers.messages.size(), 1);
    const QString text = answers.messages[0].text;
    EXPECT_FALSE(text.contains("KARVEL.INI")) << text.toStdString();
    EXPECT_TRUE(text.contains(QDir::toNativeSeparators(fresh.settingsPath)));
    EXPECT_TRUE(text.contains(QString::fromUtf8(c.message))) << text.toStdString();
    EXPECT_EQ(fresh.language, c.language);
    EXPECT_EQ(fresh.connectionType, c.connection);
    EXPECT_EQ(fresh.serialAddress, c.serial);
    EXPECT_EQ(fresh.usbAddress, c.usb);
    EXPECT_EQ(fresh.ethernetAddress, c.ethernet);
    EXPECT_EQ(fresh.workingDir, c.workingDir ? QString(c.workingDir) : defaultWorkingDir());
    ASSERT_EQ(w.placed.size(), 1);
    EXPECT_EQ(w.placed[0], c.placed);
    EXPECT_EQ(fresh.languageChosen, 1);
    // The file is whole again, with what was kept.
    AppState reread;
    WindowGeometry g;
    EXPECT_TRUE(readSettingsFile(fresh.settingsPath, reread, g));
    EXPECT_EQ(reread.serialAddress, c.serial);
    EXPECT_EQ(reread.usbAddress, c.usb);
    EXPECT_EQ(reread.ethernetAddress, c.ethernet);
    EXPECT_EQ(reread.connectionType, c.connection);
    if (c.placed != WindowGeometry{}) {
      EXPECT_EQ(g, c.placed);
    }
  }
}

// A file that exists but cannot be read is not "not found" either.
TEST_F(SettingsTest, AnUnreadableFileSaysWhy) {
  ASSERT_TRUE(QDir().mkpath(state.settingsPath));  // a folder where the file belongs
  ui.languages.enqueue(English);
  ChargeConfig(state, window);
  ASSERT_GE(ui.messages.size(), 1);
  EXPECT_TRUE(ui.messages[0].text.startsWith("The settings file\n" +
                                             QDir::toNativeSeparators(state.settingsPath) +
                                             "\ncould not be read ("))
      << ui.messages[0].text.toStdString();
  EXPECT_TRUE(ui.messages[0].text.contains("The default settings apply."));
  EXPECT_EQ(state.connectionType, USB);
  EXPECT_TRUE(QFileInfo(state.settingsPath).isDir());  // never removed
}

TEST_F(SettingsTest, FirstStartAsksInFrenchThenForTheLanguage) {
  ui.languages.enqueue(Italian);
  ChargeConfig(state, window);

  ASSERT_EQ(ui.messages.size(), 1);
  EXPECT_EQ(ui.messages[0].title, "Erreur n° -100");
  EXPECT_EQ(ui.messages[0].text, "Fichier KARVEL.INI introuvable\n");
  EXPECT_TRUE(ui.languages.isEmpty());
  // The default language first, then the one chosen.
  EXPECT_EQ(window.items, (QList<int>{17 + English, 17 + Italian}));
  EXPECT_EQ(state.language, Italian);
  EXPECT_EQ(state.languageChosen, 1);
  EXPECT_EQ(readAll(state.settingsPath),
            "1 1\n" + defaultWorkingDir() +
                "\n4\n1\nASRL1\nUSB\nTCPIP0::255.255.255.255::23::SOCKET\n100\n120\n480\n640\n0\n");

  // The next start asks nothing.
  AppState next;
  test::ScriptedInteraction quiet;
  next.ui = &quiet;
  next.settingsPath = state.settingsPath;
  FakeWindow w;
  w.state = &next;
  ChargeConfig(next, w);
  EXPECT_TRUE(quiet.messages.isEmpty());
  EXPECT_EQ(next.language, Italian);
  EXPECT_EQ(w.placed[0], (WindowGeometry{100, 120, 480, 640, 0}));
}

TEST_F(SettingsTest, AFileThatSaysNoLanguageWasChosenAsksForOne) {
  QString content = kValid;
  content.replace(0, 3, "0 1");
  writeFile(state.settingsPath, content);
  ui.languages.enqueue(French);
  ChargeConfig(state, window);
  EXPECT_TRUE(ui.messages.isEmpty());
  EXPECT_EQ(state.language, French);
  EXPECT_EQ(state.languageChosen, 1);
  EXPECT_TRUE(readAll(state.settingsPath).startsWith("1 1\n"));
}

TEST_F(SettingsTest, AChooserLeftWithoutChoiceAsksAgainNextTime) {
  writeFile(state.settingsPath, QString(kValid).replace(0, 3, "0 1"));
  ui.languages.enqueue(-1);
  ChargeConfig(state, window);
  EXPECT_EQ(state.languageChosen, 0);
  EXPECT_EQ(state.language, German);
}

TEST_F(SettingsTest, ZoomedWindowIsStoredWithTheFixedGeometry) {
  ValeurParDefaut(state);
  state.languageChosen = 1;
  ASSERT_TRUE(SauvegardeIni(state.settingsPath, state, {5, 6, 700, 900, kZoomMaximised}));
  const QStringList lines = readAll(state.settingsPath).split('\n');
  ASSERT_GE(lines.size(), 12);
  EXPECT_EQ(lines.mid(7, 5), (QStringList{"30", "30", "550", "490", "1"}));

  ChargeConfig(state, window);
  ASSERT_EQ(window.placed.size(), 1);
  EXPECT_EQ(window.placed[0], (WindowGeometry{30, 30, 550, 490, kZoomMaximised}));
}

TEST_F(SettingsTest, UnwritableFileIsReportedOnce) {
  state.settingsPath = dir.filePath("missing-folder/karvel.ini");
  ui.languages.enqueue(English);
  ChargeConfig(state, window);       // writes twice: the rebuilt file, the language
  ASSERT_EQ(ui.messages.size(), 2);  // message 0, then the failed write once
  EXPECT_TRUE(ui.messages[1].text.startsWith("The settings could not be saved to\n"));
  EXPECT_TRUE(ui.messages[1].text.contains("missing-folder"));
  EXPECT_FALSE(saveSettings(state, WindowGeometry{}));
  EXPECT_EQ(ui.messages.size(), 2);
  EXPECT_FALSE(QFile::exists(state.settingsPath));
  EXPECT_EQ(state.language, English);
}

// A settings file of the older program: Windows-1252 text with CR LF line
// ends and an accented working folder, read and written back unchanged.
TEST_F(SettingsTest, Windows1252FilesAreReadAndWrittenBackByteForByte) {
  const QByteArray old =
      "1 1\r\nC:\\Donn\xE9"
      "es\\Mesures \xE9t\xE9\\\r\n0\r\n2\r\nASRL1\r\nUSB\r\n"
      "TCPIP0::10.0.0.5::23::SOCKET\r\n30\r\n30\r\n550\r\n490\r\n0\r\n";
  {
    QFile f(state.settingsPath);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(old);
  }
  WindowGeometry g;
  ASSERT_TRUE(readSettingsFile(state.settingsPath, state, g));
  EXPECT_EQ(state.workingDir, QString::fromUtf8("C:\\Données\\Mesures été\\"));
  ASSERT_TRUE(SauvegardeIni(state.settingsPath, state, g));
  QFile f(state.settingsPath);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readAll(), old);

  // A UTF-8 file stays UTF-8; a folder the code page cannot hold is written
  // in UTF-8 rather than lost.
  AppState other;
  other.settingsPath = dir.filePath("utf8.ini");
  writeFile(other.settingsPath, QString::fromUtf8(kValid).replace("My Files", "Dönnées"));
  ASSERT_TRUE(readSettingsFile(other.settingsPath, other, g));
  EXPECT_FALSE(other.settingsWindows1252);
  ASSERT_TRUE(SauvegardeIni(other.settingsPath, other, g));
  EXPECT_EQ(readAll(other.settingsPath).section('\n', 1, 1),
            QString::fromUtf8("C:\\Dönnées\\bus\\"));
  // Windows-1252 text whose bytes read as UTF-8 would change at the next
  // start: it is written in UTF-8 too.
  state.workingDir = QString::fromUtf8("C:\\Ã©t\xC3\xA9\\");
  ASSERT_TRUE(SauvegardeIni(state.settingsPath, state, g));
  ASSERT_TRUE(readSettingsFile(state.settingsPath, state, g));
  EXPECT_EQ(state.workingDir, QString::fromUtf8("C:\\Ã©t\xC3\xA9\\"));
  // Only such pairs: the whole file would be valid UTF-8 in Windows-1252.
  state.workingDir = QString::fromUtf8("C:\\Ã©Ã¨\\");
  ASSERT_TRUE(SauvegardeIni(state.settingsPath, state, g));
  AppState next;
  next.settingsPath = state.settingsPath;
  ASSERT_TRUE(readSettingsFile(next.settingsPath, next, g));
  EXPECT_EQ(next.workingDir, QString::fromUtf8("C:\\Ã©Ã¨\\"));
  state.workingDir = QString::fromUtf8("C:\\Ωmega\\");
  ASSERT_TRUE(SauvegardeIni(state.settingsPath, state, g));
  ASSERT_TRUE(readSettingsFile(state.settingsPath, state, g));
  EXPECT_EQ(state.workingDir, QString::fromUtf8("C:\\Ωmega\\"));
}

TEST_F(SettingsTest, AFailedWriteKeepsTheOldFile) {
  writeFile(state.settingsPath, kValid);
  state.language = Italian;
  QString reason;
  {
    test::FileSizeLimit full(16);  // as a full disk: no write gets far
    ASSERT_TRUE(full.active());
    EXPECT_FALSE(SauvegardeIni(state.settingsPath, state, WindowGeometry{}, &reason));
  }
  EXPECT_FALSE(reason.isEmpty());
  EXPECT_EQ(readAll(state.settingsPath), QString::fromUtf8(kValid));
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"karvel.ini"});  // no leftovers
}

TEST(RecentFiles, NewestFirstOnceAndAtMostEight) {
  QTemporaryDir dir;
  QStringList list;
  for (int i = 1; i <= 10; ++i)
    list = withRecentFile(list, dir.filePath(QString("f%1.BUS").arg(i)));
  ASSERT_EQ(list.size(), kRecentFilesMax);
  EXPECT_EQ(list.first(), dir.filePath("f10.BUS"));
  EXPECT_EQ(list.last(), dir.filePath("f3.BUS"));
  // Opened again, even spelt another way, a file moves to the front once.
  list = withRecentFile(list, dir.path() + "/./f5.BUS");
  EXPECT_EQ(list.size(), kRecentFilesMax);
  EXPECT_EQ(list.first(), dir.path() + "/./f5.BUS");
  EXPECT_EQ(list.count(dir.filePath("f5.BUS")), 0);

  const QString memoryFile = userMemoryPath(dir.filePath("karvel.ini"));
  EXPECT_EQ(memoryFile, dir.filePath("karvel-user.ini"));
  ASSERT_TRUE(saveUserMemory(memoryFile, {dir.path(), list}));
  const UserMemory back = loadUserMemory(memoryFile);
  EXPECT_EQ(back.lastFolder, dir.path());
  EXPECT_EQ(back.recentFiles, list);
}

TEST(RecentFiles, DialogsAboutTheFileShownStartBesideIt) {
  QTemporaryDir dir;
  FileRequest request;
  startBeside(request, dir.filePath("CAN.BUS"));  // need not exist yet: Save writes it
  EXPECT_EQ(request.folder, QDir::toNativeSeparators(dir.path()));
  EXPECT_EQ(request.defaultFile, "CAN.BUS");
  // A folder that is gone, or a name fetched from the instrument: the name only.
  for (const QString& file : {dir.filePath("gone/LIN.bus"), QString("LIN.bus")}) {
    FileRequest r;
    startBeside(r, file);
    EXPECT_TRUE(r.folder.isEmpty()) << file.toStdString();
    EXPECT_EQ(r.defaultFile, "LIN.bus");
  }
  FileRequest untouched;
  untouched.folder = "/x";
  startBeside(untouched, QString());
  EXPECT_EQ(untouched.folder, "/x");
  EXPECT_TRUE(untouched.defaultFile.isEmpty());
}
