// SPDX-License-Identifier: GPL-3.0-or-later
// karvel-cli register from end to end: filing, listing, showing, the
// baseline, the comparison (the same as result compare), exporting byte for
// byte, the backup and the check, and what wrong usage gets.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "RegisterFixtures.h"
#include "support/CliRun.h"

using namespace karvel::test;

namespace {

QJsonArray jsonArrayOf(const CliRun& run) {
  return QJsonDocument::fromJson(run.out.toUtf8()).array();
}

class RegisterCli : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    reg = dir.filePath("site.sqlite");
    dated1 = writeResult(dir, "MON01.HTM", resultBytes("52.1", dateLine(3)));
    dated2 = writeResult(dir, "MON02.HTM", resultBytes("52.6", dateLine(20)));
    undated = writeResult(dir, "MON03.HTM", resultBytes("52.9"),
                          QDateTime(QDate(2026, 12, 1), QTime(7, 0)));
  }
  CliRun cli(QStringList args) { return runCli(args << "--register" << reg); }
  QTemporaryDir dir;
  QString reg, dated1, dated2, undated;
};

}  // namespace

TEST_F(RegisterCli, FileListShowBaselineExportBackupAndCheck) {
  const CliRun added = cli({"register", "add", dated1, dated2, undated, "--site", "Mill",
                            "--segment", "Press line", "--technician", "Ana", "--note", "visit 1"});
  ASSERT_EQ(added.code, 0) << added.err.toStdString();
  EXPECT_EQ(added.out.count("\tadded\t"), 3) << added.out.toStdString();

  const CliRun again = cli({"register", "add", dated2, "--site", "Other", "--segment", "X"});
  EXPECT_EQ(again.code, 0);
  EXPECT_TRUE(again.err.contains("is already in the register: result 2 (Mill / Press line)"))
      << again.err.toStdString();
  EXPECT_TRUE(again.out.contains("already filed"));

  QJsonArray list = jsonArrayOf(cli({"register", "list", "--format", "json"}));
  ASSERT_EQ(list.size(), 3);
  for (const char* key : {"id", "site", "segment", "file", "date", "date_source", "verdict",
                          "verdict_status", "baseline", "technician", "sha256"})
    EXPECT_TRUE(list[0].toObject().contains(key)) << key;
  EXPECT_EQ(list[0].toObject()["file"].toString(), "MON01.HTM");
  EXPECT_EQ(list[0].toObject()["date"].toString(), "2026-11-03T09:00:00");
  EXPECT_EQ(list[0].toObject()["date_source"].toString(), "file");
  EXPECT_EQ(list[0].toObject()["verdict_status"].toString(), "pass");
  EXPECT_EQ(list[0].toObject()["technician"].toString(), "Ana");
  EXPECT_EQ(list[2].toObject()["date_source"].toString(), "modified") << "the undated one, marked";
  EXPECT_FALSE(list[0].toObject()["baseline"].toBool());

  EXPECT_EQ(
      jsonArrayOf(cli({"register", "list", "--since", "2026-11-10", "--format", "json"})).size(),
      2);
  const QJsonArray csv = csvOf(cli({"register", "list", "--site", "Mill", "--format", "csv"}));
  ASSERT_EQ(csv.size(), 3);
  EXPECT_EQ(csv[1].toObject()["segment"].toString(), "Press line");

  ASSERT_EQ(cli({"register", "baseline", "2"}).code, 0);
  list = jsonArrayOf(cli({"register", "list", "--format", "json"}));
  EXPECT_FALSE(list[0].toObject()["baseline"].toBool());
  EXPECT_TRUE(list[1].toObject()["baseline"].toBool());

  const QJsonObject shown = jsonOf(cli({"register", "show", "1", "--format", "json"}));
  EXPECT_EQ(shown["note"].toString(), "visit 1");
  ASSERT_EQ(shown["measurements"].toArray().size(), 2);
  EXPECT_EQ(shown["measurements"].toArray()[0].toObject()["unit"].toString(), "s");
  EXPECT_DOUBLE_EQ(shown["measurements"].toArray()[0].toObject()["value"].toDouble(), 52.1e-6);
  // Where it came from: the file it was filed from, never an instrument.
  EXPECT_EQ(shown["origin"].toString(), "file");
  EXPECT_EQ(shown["source_file"].toString(), QFileInfo(dated1).absoluteFilePath());
  EXPECT_EQ(shown["instrument_model"].toString(), "");
  const CliRun shownText = cli({"register", "show", "1"});
  EXPECT_TRUE(shownText.out.contains("origin\tfile\n")) << shownText.out.toStdString();
  EXPECT_TRUE(
      shownText.out.contains("source_file\t" + QFileInfo(dated1).absoluteFilePath() + "\n"));
  const QJsonArray shownCsv = csvOf(cli({"register", "show", "1", "--format", "csv"}));
  ASSERT_EQ(shownCsv.size(), 2);
  EXPECT_EQ(shownCsv[0].toObject()["origin"].toString(), "file");
  EXPECT_EQ(shownCsv[0].toObject()["source_file"].toString(), QFileInfo(dated1).absoluteFilePath());

  // Given back byte for byte, under the names they were filed with.
  QTemporaryDir out;
  const CliRun exported = cli({"register", "export", "1", "2", "3", "--to", out.path()});
  ASSERT_EQ(exported.code, 0) << exported.err.toStdString();
  EXPECT_EQ(fileBytes(out.filePath("MON01.HTM")), fileBytes(dated1));
  EXPECT_EQ(fileBytes(out.filePath("MON03.HTM")), fileBytes(undated));
  const CliRun twice = cli({"register", "export", "1", "--to", out.path()});
  EXPECT_EQ(twice.code, 1);
  EXPECT_TRUE(twice.err.contains("already exists"));

  const QString copy = dir.filePath("copy.sqlite");
  ASSERT_EQ(cli({"register", "backup", copy}).code, 0);
  const CliRun checked = runCli({"register", "check", "--register", copy});
  EXPECT_EQ(checked.code, 0) << checked.out.toStdString();
  EXPECT_EQ(checked.out, "ok\n");
  EXPECT_EQ(
      jsonArrayOf(runCli({"register", "list", "--register", copy, "--format", "json"})).size(), 3);
  EXPECT_EQ(cli({"register", "backup", copy}).code, 1) << "never over an existing file";
}

TEST_F(RegisterCli, CompareGivesWhatResultCompareGivesOfTheSameFiles) {
  ASSERT_EQ(
      cli({"register", "add", dated1, dated2, undated, "--site", "Mill", "--segment", "L"}).code,
      0);
  const QJsonObject fromRegister =
      jsonOf(cli({"register", "compare", "--site", "Mill", "--segment", "L", "--format", "json"}));
  const QJsonObject fromFiles =
      jsonOf(runCli({"result", "compare", dated1, dated2, undated, "--format", "json"}));
  ASSERT_FALSE(fromRegister.contains("parse_error"));
  EXPECT_EQ(fromRegister.keys(), fromFiles.keys());
  EXPECT_EQ(fromRegister["measurements"], fromFiles["measurements"]);
  const QJsonArray a = fromRegister["runs"].toArray(), b = fromFiles["runs"].toArray();
  ASSERT_EQ(a.size(), 3);
  ASSERT_EQ(b.size(), 3);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(a[i].toObject()["date"], b[i].toObject()["date"]) << i;
    EXPECT_EQ(a[i].toObject()["date_source"], b[i].toObject()["date_source"]) << i;
    EXPECT_EQ(a[i].toObject()["verdict_status"], b[i].toObject()["verdict_status"]) << i;
    EXPECT_EQ(a[i].toObject()["file"].toString(),
              QFileInfo(b[i].toObject()["file"].toString()).fileName())
        << i;
  }
  // Since the baseline: it and what came after.
  const CliRun none =
      cli({"register", "compare", "--site", "Mill", "--segment", "L", "--since-baseline"});
  EXPECT_EQ(none.code, 1);
  EXPECT_TRUE(none.err.contains("has no baseline")) << none.err.toStdString();
  ASSERT_EQ(cli({"register", "baseline", "2"}).code, 0);
  const QJsonObject since = jsonOf(cli({"register", "compare", "--site", "Mill", "--segment", "L",
                                        "--since-baseline", "--format", "json"}));
  EXPECT_EQ(since["runs"].toArray().size(), 2);
  const CliRun text = cli({"register", "compare", "--site", "Mill", "--segment", "L"});
  EXPECT_TRUE(text.out.startsWith("bus\tLIN - 19200 bit/s\n")) << text.out.toStdString();
}

TEST_F(RegisterCli, WrongUsageAndMissingThingsAreSaidPlainly) {
  EXPECT_EQ(cli({"register", "add", dated1}).code, 2) << "no site nor segment";
  EXPECT_EQ(cli({"register", "show", "one"}).code, 2);
  EXPECT_EQ(cli({"register", "list", "--since", "yesterday"}).code, 2);
  EXPECT_EQ(cli({"register", "compare", "--site", "Mill"}).code, 2);
  EXPECT_EQ(runCli({"register", "frobnicate"}).code, 2);
  // A register that is not there is not made by a command that reads.
  const CliRun none = cli({"register", "list"});
  EXPECT_EQ(none.code, 1);
  EXPECT_TRUE(none.err.contains("There is no register")) << none.err.toStdString();
  EXPECT_FALSE(QFileInfo::exists(reg));
  ASSERT_EQ(cli({"register", "add", dated2, "--site", "Mill", "--segment", "L"}).code, 0);
  const CliRun missing = cli({"register", "show", "42"});
  EXPECT_EQ(missing.code, 1);
  EXPECT_TRUE(missing.err.contains("The register has no result 42"));
  const CliRun nosuch = cli({"register", "compare", "--site", "Mill", "--segment", "Q"});
  EXPECT_EQ(nosuch.code, 1);
  EXPECT_TRUE(nosuch.err.contains("no segment Q at the site Mill")) << nosuch.err.toStdString();
  // A file that is no result: said, the others still filed, exit 1.
  const QString junk = writeResult(dir, "junk.HTM", "<HTML>nothing here</HTML>");
  const CliRun mixed = cli({"register", "add", junk, dated1, "--site", "M", "--segment", "S"});
  EXPECT_EQ(mixed.code, 1);
  EXPECT_TRUE(mixed.err.contains("is not a result file"));
  EXPECT_EQ(jsonArrayOf(cli({"register", "list", "--format", "json"})).size(), 2);
  // In the user's language.
  const CliRun french = cli({"register", "show", "42", "--language", "fr"});
  EXPECT_TRUE(french.err.contains("Le registre n'a pas de résultat 42"))
      << french.err.toStdString();
  const CliRun help = runCli({"register", "add", "--help"});
  EXPECT_EQ(help.code, 0);
  EXPECT_TRUE(help.out.contains("--technician"));
}
