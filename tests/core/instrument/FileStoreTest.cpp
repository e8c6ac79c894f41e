// SPDX-License-Identifier: GPL-3.0-or-later
// Sending, fetching and listing files on the simulated instrument, both families.
#include <gtest/gtest.h>

#include <QDirIterator>

#include "core/instrument/Catalogue.h"
#include "core/instrument/FileTransfer.h"
#include "support/ScriptedProgress.h"
#include "support/StoreSession.h"

using namespace karvel;
using namespace karvel::test;

namespace {

QStringList names(const QList<CatalogueEntry>& list) {
  QStringList out;
  for (const auto& e : list) out << QStringLiteral("%1:%2").arg(e.name).arg(e.store);
  return out;
}

QList<CatalogueEntry> listing(StoreSession& s, int kind) {
  QList<CatalogueEntry> list;
  EXPECT_EQ(RetourneCatalogue(s.state, kind, list), 0);
  return list;
}

QStringList filesBelow(const QString& dir) {
  QStringList out;
  QDirIterator it(dir, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
  while (it.hasNext()) out << QDir(dir).relativeFilePath(it.next());
  out.sort();
  return out;
}

}  // namespace

TEST(Catalogue, ParsesNamesByExtensionAndLastSeparator) {
  QList<CatalogueEntry> list;
  AfficheCatalog(kKindBus, "1200,3400,CAN.BUS,1024,LIN.bus,512\r", ',', 1, list);
  EXPECT_EQ(names(list), (QStringList{"CAN.BUS:1", "LIN.bus:1"}));
  list.clear();
  AfficheCatalog(kKindBus, "0,10,A.BUSX,4", ',', 0, list);
  EXPECT_EQ(names(list), QStringList{"A.BUS:0"});
  list.clear();
  AfficheCatalog(kKindResult, "0,10,CAN.BUS,4", ',', 0, list);
  EXPECT_TRUE(list.isEmpty());
  AfficheCatalog(kKindResult, "", ',', 0, list);
  AfficheCatalog(kKindResult, ".htm", ',', 0, list);  // at the very start: never searched
  EXPECT_TRUE(list.isEmpty());
  // Windows-1252 names.
  AfficheCatalog(kKindResult, "0,1,R\xC9SULTAT.HTM,3", ',', 0, list);
  EXPECT_EQ(names(list), QStringList{QStringLiteral("RÉSULTAT.HTM:0")});
}

TEST(Catalogue, NamesLongerThanTheListTakesAreLeftOut) {
  QList<CatalogueEntry> list;
  const QByteArray name49 = QByteArray(45, 'N') + ".bus";
  const QByteArray name50 = QByteArray(46, 'N') + ".bus";
  AfficheCatalog(kKindBus, "0,10," + name49 + ",1," + name50 + ",1,x.bus,1", ',', 0, list);
  EXPECT_EQ(names(list), (QStringList{QString(name49) + ":0", "x.bus:0"}));
  // No separator at all: a name from the start of the text, while it fits.
  list.clear();
  AfficheCatalog(kKindBus, "a.busb.bus" + QByteArray(40, 'c') + ".bus", ',', 0, list);
  EXPECT_EQ(names(list), (QStringList{"a.bus:0", "a.busb.bus:0"}));
  // The same shape at length: one name per extension that fits, no more.
  list.clear();
  AfficheCatalog(kKindBus, QByteArray("x.bus").repeated(100000), ',', 0, list);
  EXPECT_EQ(list.size(), 9);  // "x.bus" ... nine of them make 45 characters
}

TEST(Catalogue, ExactNamesAreWholeFieldsInAnyCase) {
  const QByteArray catalogue = "1200,3400,XLIN.BUS,1024, \"CAN.bus\" ,512\r\n";
  EXPECT_TRUE(catalogueHasName(catalogue, "can.BUS"));
  EXPECT_TRUE(catalogueHasName(catalogue, "XLIN.BUS"));
  EXPECT_FALSE(catalogueHasName(catalogue, "LIN.BUS"));
  EXPECT_FALSE(catalogueHasName(catalogue, "XLIN.BU"));
  EXPECT_FALSE(catalogueHasName("", "LIN.BUS"));
  EXPECT_FALSE(catalogueHasName(catalogue, ""));
}

TEST(UploadNames, BlanksCaseAndLimitsByFamily) {
  EXPECT_EQ(instrumentFileName("C:\\data\\my bus.BUS", kModelRQ6102), "my_bus.bus");
  EXPECT_EQ(instrumentFileName("C:\\data\\my bus.BUS", kModelRQ4102), "my_bus.BUS");
  EXPECT_EQ(instrumentFileName("/home/u/can.Bus", kModelRQ4102), "can.BUS");
  EXPECT_EQ(instrumentFileName("/home/u/NoExt", kModelRQ6102), "NoExt");
  const QString name21 = QString(21, u'A') + ".BUS";
  EXPECT_TRUE(uploadNameTooLong(name21, kModelRQ4102));
  EXPECT_FALSE(uploadNameTooLong(name21, kModelRQ6102));
  EXPECT_FALSE(uploadNameTooLong(QString(20, u'A') + ".BUS", kModelRQ4102));
  EXPECT_TRUE(uploadNameTooLong(QString(20, u'A') + ".BUSXX", kModelRQ4102));  // 26 in all
  EXPECT_TRUE(uploadNameTooLong(QString(29, u'A'), kModelRQ6102));
}

TEST(LocalNames, NeverLeaveTheFolder) {
  const QString dir = QDir::tempPath() + "/karvel-prog";
  EXPECT_EQ(temporaryPath(dir, "REPORT.HTM", kKindResult),
            QDir::toNativeSeparators(dir + "/REPORT.tmp"));
  EXPECT_EQ(temporaryPath(dir, "CAN.BUS", kKindBus),
            QDir::toNativeSeparators(dir + "/______z_.tmp"));
  EXPECT_EQ(temporaryPath(dir, "../evil.HTM", kKindResult), "");
  EXPECT_EQ(temporaryPath(dir, "..\\..\\evil.HTM", kKindResult), "");
  EXPECT_EQ(temporaryPath(dir, "a/b.HTM", kKindResult), QDir::toNativeSeparators(dir + "/a_b.tmp"));
  EXPECT_EQ(safeLocalName("/etc/passwd"), "_etc_passwd");
  EXPECT_EQ(safeLocalName("c:x<y>|?*\"\x01.HTM"), "c_x_y______.HTM");
  EXPECT_EQ(safeLocalName(".."), "");
  EXPECT_EQ(safeLocalName("NAME. "), "NAME");
  EXPECT_EQ(safeLocalName("con.htm"), "_con.htm");
  EXPECT_EQ(safeLocalName("COM3"), "_COM3");
  EXPECT_EQ(safeLocalName("COMX.htm"), "COMX.htm");
}

TEST(LocalNames, EveryFetchGetsAFileOfItsOwn) {
  QTemporaryDir dir;
  QString error;
  const QString a = newTemporaryFile(dir.path(), "LIN_PASS.HTM", kKindResult, &error);
  const QString b = newTemporaryFile(dir.path(), "LIN_PASS.HTM", kKindResult, &error);
  ASSERT_FALSE(a.isEmpty()) << error.toStdString();
  ASSERT_FALSE(b.isEmpty());
  EXPECT_NE(a, b);
  for (const QString& path : {a, b}) {
    const QFileInfo info(path);
    EXPECT_TRUE(info.isFile());
    EXPECT_EQ(info.absolutePath(), QFileInfo(dir.path()).absoluteFilePath());
    EXPECT_TRUE(info.fileName().startsWith("LIN_PASS.")) << path.toStdString();
    EXPECT_TRUE(info.fileName().endsWith(".tmp"));
  }
  // A name that gives no file, and a folder that cannot take one, say why.
  EXPECT_TRUE(newTemporaryFile(dir.path(), "../..", kKindResult, &error).isEmpty());
  EXPECT_FALSE(error.isEmpty());
  error.clear();
  EXPECT_TRUE(newTemporaryFile(dir.filePath("absent"), "A.HTM", kKindResult, &error).isEmpty());
  EXPECT_FALSE(error.isEmpty());
}

class FileStoreFamilies : public ::testing::TestWithParam<int> {};

TEST_P(FileStoreFamilies, UploadOfANameWithABlank) {
  const int family = GetParam();
  StoreSession s(family);
  ASSERT_TRUE(s.ready());
  const QByteArray data = "<bus>\r\n</bus>";
  const QString path = s.pcFile("my bus.BUS", data);
  ASSERT_EQ(Tarvik_fileTransfer(s.state, s.vi(), path, 1, 0, 0, 0), 0);
  const QByteArray stored = family == 1 ? "my_bus.BUS" : "my_bus.bus";
  QByteArray expected = "MMEM:MSIS LOCAL\r";
  if (family == 2) expected += "MMEM:CDIR \"/bus-limits\"\r";
  expected += "MMEM:CAT?\rMMEM:DEL \"" + stored + "\"\r*OPC?\rTRIG:RUN:STAT?\rTRIG:RUN:STAT 0\r";
  expected += "MMEM:DATA \"" + stored + "\",#213" + data + "\r\rMMEM:CAT?\rTRIG:RUN:STAT 1\r";
  EXPECT_EQ(s.writtenSince(0), expected);
  // The block went in one write.
  EXPECT_TRUE(s.writes.contains("MMEM:DATA \"" + stored + "\",#213" + data + "\r"));
  EXPECT_TRUE(s.ui.messages.isEmpty());
  EXPECT_EQ(s.ui.busyDepth, 0);
  EXPECT_EQ(names(listing(s, kKindBus)), QStringList{QString(stored) + ":0"});
}

TEST_P(FileStoreFamilies, TooLongNamesAreRefusedByTheFirstFamilyOnly) {
  const int family = GetParam();
  StoreSession s(family);
  ASSERT_TRUE(s.ready());
  const QString path = s.pcFile(QString(21, u'N') + ".BUS", "<bus/>");
  const int result = Tarvik_fileTransfer(s.state, s.vi(), path, 1, 0, 0, 0);
  if (family == 1) {
    EXPECT_EQ(result, -1);
    EXPECT_EQ(s.writes, QList<QByteArray>{"MMEM:MSIS LOCAL\r"});
  } else {
    EXPECT_EQ(result, 0);
    EXPECT_EQ(names(listing(s, kKindBus)), QStringList{QString(21, u'N') + ".bus:0"});
  }
}

TEST_P(FileStoreFamilies, ExistingFileIsReplacedOnlyWhenTheUserSaysYes) {
  StoreSession s(GetParam());
  ASSERT_TRUE(s.ready());
  const QString path = s.pcFile("CAN.BUS", "first");
  ASSERT_EQ(Tarvik_fileTransfer(s.state, s.vi(), path, 1, 0, 0, 0), 0);
  EXPECT_TRUE(s.ui.questions.isEmpty());

  s.pcFile("CAN.BUS", "second");
  s.ui.answers.enqueue(1);  // No
  const qsizetype before = s.writes.size();
  ASSERT_EQ(Tarvik_fileTransfer(s.state, s.vi(), path, 1, 0, 0, 0), 0);
  ASSERT_EQ(s.ui.questions.size(), 1);
  EXPECT_EQ(s.ui.questions[0].title, "Save");
  EXPECT_EQ(s.ui.questions[0].text, "File already exists !   Replace existing file ?\n");
  EXPECT_TRUE(s.writtenSince(before).endsWith("MMEM:CAT?\r"));  // nothing after the query
  ASSERT_EQ(Tarvik_fileTransfer(s.state, s.vi(), "CAN.BUS", 0, 0, kKindBus, 0),
            io::VI_SUCCESS_MAX_CNT);
  EXPECT_EQ(readAll(s.state.programDir + "/______z_.tmp"), "first");

  s.ui.answers.enqueue(0);  // Yes
  ASSERT_EQ(Tarvik_fileTransfer(s.state, s.vi(), path, 1, 0, 0, 0), 0);
  ASSERT_GE(Tarvik_fileTransfer(s.state, s.vi(), "CAN.BUS", 0, 0, kKindBus, 0), 0);
  EXPECT_EQ(readAll(s.state.programDir + "/______z_.tmp"), "second");
  EXPECT_TRUE(s.ui.messages.isEmpty());
}

TEST_P(FileStoreFamilies, HundredKilobytesBothWays) {
  StoreSession s(GetParam());
  ASSERT_TRUE(s.ready());
  const QByteArray data = patternBytes(100 * 1024);
  const QString path = s.pcFile("BIG.BUS", data);
  ScriptedProgress sent;
  ASSERT_EQ(Tarvik_fileTransfer(s.state, s.vi(), path, 1, 0, 0, 0, &sent), 0);
  EXPECT_TRUE(s.ui.messages.isEmpty()) << s.ui.lastMessage().toStdString();
  ASSERT_FALSE(sent.steps.isEmpty());
  for (const auto& step : sent.steps) EXPECT_EQ(step.total, data.size());
  EXPECT_EQ(sent.lastDone(), data.size());
  ScriptedProgress received;
  ASSERT_GE(Tarvik_fileTransfer(s.state, s.vi(), "BIG.BUS", 0, 0, kKindBus, 0, &received), 0);
  ASSERT_FALSE(received.steps.isEmpty());
  EXPECT_EQ(received.lastDone(), data.size());
  EXPECT_EQ(readAll(s.state.programDir + "/______z_.tmp"), data);
  // The session is left as the opening set it.
  io::ViAttrState timeout = 0, suppress = 1, termEnabled = 1;
  s.visa.viGetAttribute(s.vi(), io::VI_ATTR_TMO_VALUE, &timeout);
  s.visa.viGetAttribute(s.vi(), io::VI_ATTR_SUPPRESS_END_EN, &suppress);
  s.visa.viGetAttribute(s.vi(), io::VI_ATTR_TERMCHAR_EN, &termEnabled);
  EXPECT_EQ(timeout, 2000u);
  EXPECT_EQ(suppress, 0u);
  EXPECT_EQ(termEnabled, 0u);
}

TEST_P(FileStoreFamilies, BlockFaultsLeaveNothingOnDiskAndTheLinkUsable) {
  for (const char* fault : {"garbage", "bad-length", "huge", "truncated"}) {
    SCOPED_TRACE(fault);
    StoreSession s(GetParam(), {"--block-fault", fault});
    ASSERT_TRUE(s.ready());
    s.ask(GetParam() == 1 ? "MMEM:MSIS LOCAL\r*OPC?\r" : "MMEM:CDIR \"/bus\"\r*OPC?\r");
    s.store("RES01.HTM", patternBytes(3000));
    EXPECT_EQ(Tarvik_fileTransfer(s.state, s.vi(), "RES01.HTM", 0, 0, kKindResult, 0), -1);
    EXPECT_TRUE(filesBelow(s.state.programDir).isEmpty());
    // The acquisition it stopped runs again.
    EXPECT_TRUE(s.writes.last() == "TRIG:RUN:STAT 1\r");
    if (QByteArray(fault) != "truncated") {
      // What followed the bad header was drained: the next reply is the right one.
      EXPECT_EQ(s.ask("*OPC?\r"), "1\r");
    }
  }
}

TEST_P(FileStoreFamilies, MalformedBlockHeadersAreNamedNotTakenForATimeOut) {
  const QList<QPair<const char*, QString>> faults = {
      {"garbage", "the data block does not start with \"#\" but with \"XQ\""},
      {"bad-length", "the block length \"1x2\" is not a number"},
      {"huge", "the block announces 987654321 bytes, more than the 67108864 a file may have"},
      {"truncated", ""},  // the link went away: that is a link failure
  };
  for (const auto& [fault, what] : faults) {
    SCOPED_TRACE(fault);
    StoreSession s(GetParam(), {"--block-fault", fault});
    ASSERT_TRUE(s.ready());
    s.ask(GetParam() == 1 ? "MMEM:MSIS LOCAL\r*OPC?\r" : "MMEM:CDIR \"/bus\"\r*OPC?\r");
    s.store("RES01.HTM", patternBytes(3000));
    QString reason;
    const int result = downloadFile(s.state, s.vi(), "RES01.HTM", 0, kKindResult,
                                    s.state.programDir + "/out.htm", nullptr, &reason);
    EXPECT_EQ(result, what.isEmpty() ? -1 : kDownloadBadReply);
    EXPECT_EQ(reason, what);
    EXPECT_TRUE(filesBelow(s.state.programDir).isEmpty());
  }
}

TEST(HostileNames, ShownVisiblyAndRefusedForWhatNoCommandCarries) {
  EXPECT_EQ(visibleName(QString::fromLatin1("A\x1b[2J\n\r\tB\x7f\x85\x01.HTM")),
            "A\\x1b[2J\\n\\r\\tB\\x7f\\x85\\x01.HTM");
  EXPECT_EQ(visibleName("LIN \\ PASS.HTM"), "LIN \\ PASS.HTM");  // nothing else changes
  const QString control =
      "its name holds control characters, which a command to the "
      "oscilloscope cannot carry";
  EXPECT_EQ(fetchNameRefusal("EV\rIL.HTM", English), control);
  EXPECT_EQ(fetchNameRefusal(QString::fromLatin1("\x1b]0;x\x07.HTM"), English), control);
  EXPECT_EQ(fetchNameRefusal("A\"B.HTM", English),
            "its name holds a double quote (\"), which a command to the oscilloscope cannot "
            "carry");
  EXPECT_EQ(
      fetchNameRefusal(QString::fromUtf8("日本.HTM"), English),
      QString::fromUtf8("its name holds characters that the oscilloscope does not know: 日本"));
  for (const char* fine : {"LIN_PASS.HTM", "my bus.bus", "../odd'name.HTM"})
    EXPECT_TRUE(fetchNameRefusal(fine, English).isEmpty()) << fine;
  EXPECT_TRUE(fetchNameRefusal(QString::fromUtf8("Évian €.HTM"), German).isEmpty());
  EXPECT_TRUE(fetchNameRefusal("A\nB.HTM", French).startsWith("son nom contient"));
}

// Over a serial line a carriage return inside a name ends a read: the rest of
// the catalogue must be read too, by the listing and by a send's own
// catalogue reads (does the name exist, did it arrive), or it is taken for
// the replies that follow.
TEST_P(FileStoreFamilies, HostileNamesAreListedWholeRefusedAndLeaveTheSessionInStep) {
  for (const bool serial : {false, true}) {
    SCOPED_TRACE(serial ? "serial line" : "socket");
    StoreSession s(GetParam(), {"--hostile-names", "--unpaced"}, serial);
    ASSERT_TRUE(s.ready());
    s.ask(GetParam() == 1 ? "MMEM:MSIS LOCAL\r*OPC?\r" : "MMEM:CDIR \"/bus\"\r*OPC?\r");
    s.store("PLAIN.HTM", "<html>plain</html>");
    const QStringList hostile = {QString::fromLatin1("\x1b]0;owned\x07TITLE.HTM"),
                                 QString::fromLatin1("\x1b[2J\x1b[HCLEAR.HTM"), "LINE\nFEED.HTM",
                                 "CARRIAGE\rRETURN.HTM", "QUOTE\"D.HTM"};
    const auto list = listing(s, kKindResult);
    QStringList listed;
    for (const auto& e : list) listed << e.name;
    EXPECT_EQ(listed, hostile + QStringList{"PLAIN.HTM"});
    for (const QString& name : hostile) {
      const qsizetype before = s.writes.size();
      QString reason;
      EXPECT_EQ(downloadFile(s.state, s.vi(), name, 0, kKindResult, s.state.programDir + "/x.htm",
                             nullptr, &reason),
                kDownloadNameRefused);
      EXPECT_FALSE(reason.isEmpty());
      EXPECT_EQ(s.writes.size(), before);  // nothing sent
    }
    // Every reply came in its turn: the plain file arrives whole.
    ASSERT_GE(downloadFile(s.state, s.vi(), "PLAIN.HTM", 0, kKindResult,
                           s.state.programDir + "/plain.htm"),
              0);
    EXPECT_EQ(readAll(s.state.programDir + "/plain.htm"), "<html>plain</html>");
    EXPECT_EQ(s.ask("*OPC?\r"), "1\r");

    // Sent beside "CARRIAGE\rRETURN.BUS", the store's catalogue lists ZULU
    // after it: a send confirms it, and a second send asks before it replaces it.
    const QString path = s.pcFile("ZULU.BUS", "first");
    ASSERT_EQ(Tarvik_fileTransfer(s.state, s.vi(), path, 1, 0, 0, 0), 0);
    EXPECT_TRUE(s.ui.messages.isEmpty()) << s.ui.lastMessage().toStdString();
    EXPECT_TRUE(s.ui.questions.isEmpty());
    s.pcFile("ZULU.BUS", "second");
    s.ui.answers.enqueue(1);  // No
    const qsizetype before = s.writes.size();
    ASSERT_EQ(Tarvik_fileTransfer(s.state, s.vi(), path, 1, 0, 0, 0), 0);
    EXPECT_EQ(s.ui.questions.size(), 1);
    EXPECT_TRUE(s.writtenSince(before).endsWith("MMEM:CAT?\r"));  // nothing after the query
    EXPECT_TRUE(s.ui.messages.isEmpty()) << s.ui.lastMessage().toStdString();
    EXPECT_EQ(s.ask("*OPC?\r"), "1\r");
    ASSERT_GE(Tarvik_fileTransfer(s.state, s.vi(), GetParam() == 1 ? "ZULU.BUS" : "ZULU.bus", 0, 0,
                                  kKindBus, 0),
              0);
    EXPECT_EQ(readAll(s.state.programDir + "/______z_.tmp"), "first");
  }
}

INSTANTIATE_TEST_SUITE_P(Both, FileStoreFamilies, ::testing::Values(1, 2),
                         [](const auto& info) { return info.param == 1 ? "RQ4102" : "RQ6102"; });

TEST(FileStore, SecondFamilyListsTheSdCardOnlyWhenPresent) {
  const QString samples = KARVEL_SOURCE_DIR "/resources/samples";
  {
    StoreSession s(2, {"--files", samples + "/RQ6102", "--sd-files", samples});
    ASSERT_TRUE(s.ready());
    const auto bus = listing(s, kKindBus);
    EXPECT_EQ(bus.size(), 5);
    for (const auto& e : bus) EXPECT_EQ(e.store, 0) << e.name.toStdString();
    EXPECT_EQ(names(listing(s, kKindResult)),
              (QStringList{"CAN_HS_PASS.HTM:1", "LIN_PASS.HTM:1", "PROFIBUS_FAIL.HTM:1",
                           "RS485_FAIL.HTM:1"}));
    // Left on the internal memory.
    EXPECT_TRUE(s.writes.last() == ":MMEM:MSIS LOCAL\r");
    ASSERT_GE(Tarvik_fileTransfer(s.state, s.vi(), "LIN_PASS.HTM", 0, 1, kKindResult, 0), 0);
    EXPECT_EQ(readAll(s.state.programDir + "/LIN_PASS.tmp"), readAll(samples + "/LIN_PASS.HTM"));
  }
  {
    StoreSession s(2, {"--files", samples, "--no-sdcard"});
    ASSERT_TRUE(s.ready());
    EXPECT_EQ(names(listing(s, kKindResult)),
              (QStringList{"CAN_HS_PASS.HTM:0", "LIN_PASS.HTM:0", "PROFIBUS_FAIL.HTM:0",
                           "RS485_FAIL.HTM:0"}));
    QByteArray expected =
        ":MMEM:MSIS LOCAL\r:MMEM:CDIR \"/bus\"\r:MMEM:CAT? LOCAL\r"
        ":MMEM:MSIS SDCARD\r:MMEM:CDIR \"/bus\"\r:*CLS\r:MMEM:CAT?\r"
        ":SYST:ERR?\r:MMEM:MSIS LOCAL\r";
    EXPECT_EQ(s.writtenSince(s.writes.size() - 9), expected);
  }
  {
    // A card that cannot be read still answers its catalogue, names and
    // all; only the error query's -200 tells that none of them can be
    // fetched: they are not listed.
    StoreSession s(2,
                   {"--files", samples + "/RQ6102", "--sd-files", samples, "--sdcard-unreadable"});
    ASSERT_TRUE(s.ready());
    EXPECT_TRUE(listing(s, kKindResult).isEmpty());
    const auto bus = listing(s, kKindBus);
    EXPECT_EQ(bus.size(), 5);
    for (const auto& e : bus) EXPECT_EQ(e.store, 0) << e.name.toStdString();
    EXPECT_TRUE(s.writes.last() == ":MMEM:MSIS LOCAL\r");
    const QByteArray card = s.ask(":MMEM:MSIS SDCARD\r:MMEM:CDIR \"/bus\"\r:*CLS\r:MMEM:CAT?\r");
    EXPECT_TRUE(card.contains(",LIN_PASS.HTM,")) << card.toStdString();
    EXPECT_TRUE(s.ask(":SYST:ERR?\r").startsWith("-200,"));
  }
}

TEST(FileStore, FirstFamilyListsBusFilesOfBothStoresAndResultsOfTheFirst) {
  const QString samples = KARVEL_SOURCE_DIR "/resources/samples";
  StoreSession s(1, {"--files", samples, "--sd-files", samples + "/RQ4102"});
  ASSERT_TRUE(s.ready());
  const auto bus = listing(s, kKindBus);
  ASSERT_EQ(bus.size(), 5);
  for (const auto& e : bus) EXPECT_EQ(e.store, 1);
  EXPECT_EQ(listing(s, kKindResult).size(), 4);
  EXPECT_EQ(s.writtenSince(s.writes.size() - 1), ":MMEM:CAT? LOCAL\r");

  // The second store is fetched with MEM.
  const qsizetype before = s.writes.size();
  ASSERT_GE(Tarvik_fileTransfer(s.state, s.vi(), "LIN.BUS", 0, 1, kKindBus, 0), 0);
  EXPECT_EQ(s.writtenSince(before),
            "MMEM:MSIS \rMEM:CAT?\rTRIG:RUN:STAT?\rTRIG:RUN:STAT 0\rMEM:DATA? \"LIN.BUS\"\r"
            "TRIG:RUN:STAT 1\r");
  EXPECT_EQ(readAll(s.state.programDir + "/______z_.tmp"), readAll(samples + "/RQ4102/LIN.BUS"));
  // A name the store does not hold: nothing fetched.
  EXPECT_EQ(Tarvik_fileTransfer(s.state, s.vi(), "CAN_HS.BUS", 0, 0, kKindBus, 0), -1);
}

TEST(FileStore, HundredKilobytesBothWaysOverASerialLine) {
  // Unpaced: the line's rules are under test here, not its time.
  StoreSession s(2, {"--unpaced"}, true);
  ASSERT_TRUE(s.ready());
  const QByteArray data = patternBytes(100 * 1024);
  ASSERT_EQ(Tarvik_fileTransfer(s.state, s.vi(), s.pcFile("SERIAL.BUS", data), 1, 0, 0, 0), 0);
  EXPECT_TRUE(s.ui.messages.isEmpty()) << s.ui.lastMessage().toStdString();
  ASSERT_GE(Tarvik_fileTransfer(s.state, s.vi(), "SERIAL.bus", 0, 0, kKindBus, 0), 0);
  EXPECT_EQ(readAll(s.state.programDir + "/______z_.tmp"), data);
  io::ViAttrState endIn = 0;
  s.visa.viGetAttribute(s.vi(), io::VI_ATTR_ASRL_END_IN, &endIn);
  EXPECT_EQ(endIn, io::VI_ASRL_END_TERMCHAR);
}

TEST(FileStore, StoppedAcquisitionIsLeftStopped) {
  StoreSession s(2, {"--run", "0"});
  ASSERT_TRUE(s.ready());
  const QString path = s.pcFile("A.BUS", "x");
  ASSERT_EQ(Tarvik_fileTransfer(s.state, s.vi(), path, 1, 0, 0, 0), 0);
  ASSERT_GE(Tarvik_fileTransfer(s.state, s.vi(), "A.bus", 0, 0, kKindBus, 0), 0);
  for (const QByteArray& w : s.writes) EXPECT_FALSE(w.startsWith("TRIG:RUN:STAT ")) << w.data();
}

TEST(FileStore, UnreadablePcFileChangesNothingOnTheInstrument) {
  StoreSession s(2);
  ASSERT_TRUE(s.ready());
  const QString path = s.pcFile("KEEP.BUS", "kept");
  ASSERT_EQ(Tarvik_fileTransfer(s.state, s.vi(), path, 1, 0, 0, 0), 0);
  const qsizetype before = s.writes.size();
  EXPECT_EQ(
      Tarvik_fileTransfer(s.state, s.vi(), s.scratch.path() + "/missing/KEEP.BUS", 1, 0, 0, 0), -1);
  EXPECT_EQ(Tarvik_fileTransfer(s.state, s.vi(), s.scratch.path(), 1, 0, 0, 0), -1);
  for (const QByteArray& w : s.writes.mid(before)) EXPECT_EQ(w, "MMEM:MSIS LOCAL\r");
  EXPECT_EQ(s.ask("TRIG:RUN:STAT?\r"), "1\r");
  ASSERT_GE(Tarvik_fileTransfer(s.state, s.vi(), "KEEP.bus", 0, 0, kKindBus, 0), 0);
  EXPECT_EQ(readAll(s.state.programDir + "/______z_.tmp"), "kept");
}

TEST(FileStore, UnconfirmedUploadShowsMemoryFull) {
  StoreSession s(2, {"--fault", "silent"});
  ASSERT_TRUE(s.ready());
  s.visa.viSetAttribute(s.vi(), io::VI_ATTR_TMO_VALUE, 100);
  const QString path = s.pcFile("A.BUS", "x");
  EXPECT_EQ(Tarvik_fileTransfer(s.state, s.vi(), path, 1, 0, 0, 0), 0);
  ASSERT_EQ(s.ui.messages.size(), 1);
  EXPECT_EQ(s.ui.messages[0].text, "Memory full on oscilloscope.\n");
  EXPECT_EQ(s.ui.busyDepth, 0);
}

TEST(FileStore, HostileNamesFromTheCatalogueStayInTheProgramFolder) {
  StoreSession s(2);
  ASSERT_TRUE(s.ready());
  const QDir outer(s.programDir.path());
  ASSERT_TRUE(outer.mkdir("prog"));
  s.state.programDir = outer.filePath("prog");
  s.ask("MMEM:CDIR \"/bus\"\r*OPC?\r");
  const QList<QByteArray> hostile = {"../evil.HTM",  "..\\..\\evil2.HTM", "sub/dir.HTM",
                                     "/tmp/abs.HTM", "con.HTM",           "a:b*c.HTM"};
  for (const QByteArray& name : hostile) s.store(name, "<html>" + name + "</html>");
  const auto list = listing(s, kKindResult);
  ASSERT_EQ(list.size(), hostile.size());
  for (const auto& e : list) {
    const int result = Tarvik_fileTransfer(s.state, s.vi(), e.name, 0, 0, kKindResult, 0);
    SCOPED_TRACE(e.name.toStdString());
    if (e.name.startsWith(".."))
      EXPECT_EQ(result, -1);
    else
      EXPECT_GE(result, 0);
  }
  // Only the program folder got files, and only plain names.
  EXPECT_EQ(filesBelow(outer.path()), (QStringList{"prog/_con.tmp", "prog/_tmp_abs.tmp",
                                                   "prog/a_b_c.tmp", "prog/sub_dir.tmp"}));
  EXPECT_EQ(readAll(s.state.programDir + "/sub_dir.tmp"), "<html>sub/dir.HTM</html>");
}
