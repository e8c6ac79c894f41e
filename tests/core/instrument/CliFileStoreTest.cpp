// SPDX-License-Identifier: GPL-3.0-or-later
// karvel-cli instrument list, fetch and send against the simulator.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "io/Visa.h"
#include "support/CliRun.h"
#include "support/Simulator.h"

using karvel::test::Simulator;

namespace {

struct CliRun {
  int code = -1;
  QString out;
  QString err;
};

CliRun cli(QStringList args, const Simulator& sim) {
  args << "--address" << sim.tcpResource();
  QProcess p;
  p.start(QStringLiteral(KARVEL_APPDIR "/karvel-cli"), args);
  CliRun r;
  if (!p.waitForFinished(60000)) return r;
  r.code = p.exitCode();
  r.out = QString::fromUtf8(p.readAllStandardOutput());
  r.err = QString::fromUtf8(p.readAllStandardError());
  return r;
}

QByteArray readAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void write(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

const QString kSamples = QStringLiteral(KARVEL_SOURCE_DIR "/resources/samples");

}  // namespace

TEST(CliFileStore, ListAndFetchBothStores) {
  Simulator sim(
      {"--tcp", "0", "--family", "2", "--files", kSamples + "/RQ6102", "--sd-files", kSamples});
  ASSERT_TRUE(sim.ready());
  CliRun r = cli({"instrument", "list", "results"}, sim);
  ASSERT_EQ(r.code, 0) << r.err.toStdString();
  EXPECT_EQ(r.out,
            "CAN_HS_PASS.HTM\t1\nLIN_PASS.HTM\t1\nPROFIBUS_FAIL.HTM\t1\nRS485_FAIL.HTM\t1\n");
  r = cli({"instrument", "list", "bus"}, sim);
  EXPECT_EQ(r.out.count("\t0\n"), 5);
  // The same lists for scripts: stores by number and name.
  karvel::test::CliRun json = karvel::test::runCli(
      {"instrument", "list", "results", "--format", "json", "--address", sim.tcpResource()});
  const QJsonObject doc = karvel::test::jsonOf(json);
  EXPECT_EQ(doc["model"].toString(), "RQ6102");
  EXPECT_EQ(doc["kind"].toString(), "results");
  const QJsonArray files = doc["files"].toArray();
  ASSERT_EQ(files.size(), 4);
  EXPECT_EQ(files[1].toObject(),
            QJsonObject({{"name", "LIN_PASS.HTM"}, {"store", 1}, {"store_name", "sd-card"}}));
  const QJsonArray csv = karvel::test::csvOf(karvel::test::runCli(
      {"instrument", "list", "bus", "--format", "csv", "--address", sim.tcpResource()}));
  ASSERT_EQ(csv.size(), 5);
  EXPECT_EQ(csv[0].toObject(),
            QJsonObject({{"name", "CAN_HS.bus"}, {"store", "0"}, {"store_name", "internal"}}));

  QTemporaryDir dir;
  r = cli({"instrument", "fetch", "LIN_PASS.HTM", "--kind", "results", "--store", "1", "--to",
           dir.path()},
          sim);
  ASSERT_EQ(r.code, 0) << r.err.toStdString();
  EXPECT_EQ(readAll(dir.filePath("LIN_PASS.HTM")), readAll(kSamples + "/LIN_PASS.HTM"));
  // Not in the internal store.
  r = cli({"instrument", "fetch", "LIN_PASS.HTM", "--kind", "results", "--to", dir.path()}, sim);
  EXPECT_EQ(r.code, 1);
  EXPECT_FALSE(r.err.isEmpty());
  EXPECT_EQ(cli({"instrument", "list", "pictures"}, sim).code, 2);
  EXPECT_EQ(cli({"instrument", "fetch", "A.HTM", "--kind", "results"}, sim).code, 2);
}

TEST(CliFileStore, SendReplacesOnlyWhenAsked) {
  Simulator sim({"--tcp", "0", "--family", "1"});
  ASSERT_TRUE(sim.ready());
  QTemporaryDir dir;
  const QString file = dir.filePath("my bus.bus");
  write(file, "<bus>one</bus>");
  CliRun r = cli({"instrument", "send", file}, sim);
  ASSERT_EQ(r.code, 0) << r.err.toStdString();
  EXPECT_EQ(r.out, "my_bus.BUS\n");

  write(file, "<bus>two</bus>");
  r = cli({"instrument", "send", file}, sim);
  EXPECT_EQ(r.code, 1);
  EXPECT_TRUE(r.err.contains("already exists")) << r.err.toStdString();
  QTemporaryDir out;
  cli({"instrument", "fetch", "my_bus.BUS", "--kind", "bus", "--to", out.path()}, sim);
  EXPECT_EQ(readAll(out.filePath("my_bus.BUS")), "<bus>one</bus>");

  r = cli({"instrument", "send", file, "--replace"}, sim);
  ASSERT_EQ(r.code, 0) << r.err.toStdString();
  cli({"instrument", "fetch", "my_bus.BUS", "--kind", "bus", "--to", out.path()}, sim);
  EXPECT_EQ(readAll(out.filePath("my_bus.BUS")), "<bus>two</bus>");

  // A second-family file and a name too long for this family.
  write(dir.filePath("NEW.BUS"), "<x><VSoftTarvikIV/></x>");
  EXPECT_EQ(cli({"instrument", "send", dir.filePath("NEW.BUS")}, sim).code, 1);
  write(dir.filePath("ABCDEFGHIJKLMNOPQRSTU.BUS"), "<x/>");
  r = cli({"instrument", "send", dir.filePath("ABCDEFGHIJKLMNOPQRSTU.BUS")}, sim);
  EXPECT_EQ(r.code, 1);
  EXPECT_TRUE(r.err.contains("20")) << r.err.toStdString();
  EXPECT_EQ(cli({"instrument", "send", dir.filePath("missing.BUS")}, sim).code, 1);
}

TEST(CliFileStore, HostileNamesAndBadBlocksLeaveNothingOutsideOrBehind) {
  Simulator sim({"--tcp", "0", "--family", "1"});
  ASSERT_TRUE(sim.ready());
  {
    // Names as a damaged or hostile instrument might hold them.
    karvel::io::Visa visa;
    karvel::io::ViSession rm = 0, vi = 0;
    visa.viOpenDefaultRM(&rm);
    ASSERT_EQ(visa.viOpen(rm, sim.tcpResource(), 0, 0, &vi), karvel::io::VI_SUCCESS);
    visa.viWrite(vi, QByteArray("MMEM:DATA \"../../evil.HTM\",#17<html/>\r"));
    visa.viWrite(vi, QByteArray("*OPC?\r"));
    QByteArray done;
    visa.viRead(vi, &done, 10);
    ASSERT_EQ(done, "1\r");
  }
  QTemporaryDir outer;
  ASSERT_TRUE(QDir(outer.path()).mkdir("to"));
  const QString to = outer.filePath("to");
  CliRun r = cli({"instrument", "list", "results"}, sim);
  EXPECT_EQ(r.out, "../../evil.HTM\t0\n");
  r = cli({"instrument", "fetch", "../../evil.HTM", "--kind", "results", "--to", to}, sim);
  EXPECT_EQ(r.code, 0) << r.err.toStdString();
  EXPECT_TRUE(QDir(outer.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
  EXPECT_EQ(QDir(to).entryList(QDir::Files | QDir::Hidden), QStringList{".._.._evil.HTM"});
  r = cli({"instrument", "fetch", "..", "--kind", "results", "--to", to}, sim);
  EXPECT_EQ(r.code, 1);

  Simulator faulty({"--tcp", "0", "--family", "2", "--files", kSamples, "--block-fault", "huge"});
  ASSERT_TRUE(faulty.ready());
  r = cli({"instrument", "fetch", "LIN_PASS.HTM", "--kind", "results", "--to", to}, faulty);
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(QDir(to).entryList(QDir::Files | QDir::Hidden), QStringList{".._.._evil.HTM"});
}

TEST(CliFileStore, NamesFromTheInstrumentNeverReachTheTerminalRaw) {
  Simulator sim({"--tcp", "0", "--family", "2", "--hostile-names"});
  ASSERT_TRUE(sim.ready());
  const QStringList exact = {QString::fromLatin1("\x1b]0;owned\x07TITLE.HTM"),
                             QString::fromLatin1("\x1b[2J\x1b[HCLEAR.HTM"), "LINE\nFEED.HTM",
                             "CARRIAGE\rRETURN.HTM", "QUOTE\"D.HTM"};
  // Text: one record a line, control characters written visibly.
  CliRun r = cli({"instrument", "list", "results"}, sim);
  ASSERT_EQ(r.code, 0) << r.err.toStdString();
  EXPECT_EQ(r.out,
            "\\x1b]0;owned\\x07TITLE.HTM\t0\n\\x1b[2J\\x1b[HCLEAR.HTM\t0\nLINE\\nFEED.HTM\t0\n"
            "CARRIAGE\\rRETURN.HTM\t0\nQUOTE\"D.HTM\t0\n");
  // csv and json: the exact names, quoted and escaped by their formats.
  const QJsonArray csv = karvel::test::csvOf(karvel::test::runCli(
      {"instrument", "list", "results", "--format", "csv", "--address", sim.tcpResource()}));
  const QJsonArray json =
      karvel::test::jsonOf(karvel::test::runCli({"instrument", "list", "results", "--format",
                                                 "json", "--address", sim.tcpResource()}))["files"]
          .toArray();
  ASSERT_EQ(csv.size(), exact.size());
  ASSERT_EQ(json.size(), exact.size());
  for (qsizetype i = 0; i < exact.size(); ++i) {
    EXPECT_EQ(csv[i].toObject()["name"].toString(), exact[i]);
    EXPECT_EQ(json[i].toObject()["name"].toString(), exact[i]);
  }
  // Fetching one is refused with the reason, the name shown visibly.
  QTemporaryDir to;
  for (const QString& name : {exact[1], exact[3], exact[4]}) {
    r = cli(
        {"instrument", "fetch", name, "--kind", "results", "--to", to.path(), "--language", "en"},
        sim);
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains("cannot be fetched: its name holds")) << r.err.toStdString();
    EXPECT_FALSE(r.err.contains(QChar(0x1b)) || r.err.contains(u'\r'));
  }
  EXPECT_TRUE(QDir(to.path()).isEmpty());
}

TEST(CliFileStore, AMalformedBlockIsNamedAsSuch) {
  Simulator sim({"--tcp", "0", "--family", "2", "--files", kSamples, "--block-fault", "garbage"});
  ASSERT_TRUE(sim.ready());
  QTemporaryDir to;
  const CliRun r = cli({"instrument", "fetch", "LIN_PASS.HTM", "--kind", "results", "--to",
                        to.path(), "--language", "en"},
                       sim);
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.err.toStdString(),
            "karvel-cli: Malformed reply from the oscilloscope for the file LIN_PASS.HTM: the data "
            "block does not start with \"#\" but with \"XQ\".\n");
  EXPECT_TRUE(QDir(to.path()).isEmpty());
}
