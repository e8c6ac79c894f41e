// SPDX-License-Identifier: GPL-3.0-or-later
// karvel-cli bus show|speed|voltage|set, run as a separate program.
#include <gtest/gtest.h>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "support/CliRun.h"

namespace {

struct CliRun {
  int exitCode = -1;
  QStringList lines;
  QString errors;
};

CliRun bus(const QStringList& args) {
  QProcess cli;
  cli.start(QStringLiteral(KARVEL_APPDIR "/karvel-cli"), QStringList{"bus"} + args);
  CliRun run;
  if (!cli.waitForFinished(60000)) return run;
  run.exitCode = cli.exitCode();
  run.lines = QString::fromUtf8(cli.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
  run.errors = QString::fromUtf8(cli.readAllStandardError());
  return run;
}

const QString kSample = QStringLiteral(KARVEL_SOURCE_DIR "/resources/samples/RQ4102/CAN_LS.BUS");

}  // namespace

TEST(BusCli, ShowPrintsWhatTheWindowShows) {
  const CliRun run = bus({"show", kSample});
  ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
  ASSERT_EQ(run.lines.size(), 4 + 7 + 5);
  EXPECT_EQ(run.lines[1], "title\tCAN Low Speed 125 kbit/s");
  EXPECT_EQ(run.lines[4], "row 1\tCAN-H recessive level\t---\t0.30 V\t10.0 %");
  EXPECT_EQ(run.lines[11], "frequency\t125.000 kHz");
  EXPECT_EQ(run.lines[12], QString::fromUtf8("bit-time\t8.00 \xC2\xB5s"));
  EXPECT_EQ(run.lines[13], "max-voltage\t20.0 V");
  EXPECT_EQ(run.lines[14], "speed-generator\tdimmed");  // LockedSpeed 1
  EXPECT_EQ(run.lines[15], "voltage-generator\tenabled");
}

TEST(BusCli, GeneratorsAndEditWriteTheirFile) {
  QTemporaryDir dir;
  const QString slow = dir.filePath("slow.BUS");
  const QString unlocked = QStringLiteral(KARVEL_SOURCE_DIR "/resources/samples/RQ6102/CAN_HS.bus");
  CliRun run = bus({"speed", unlocked, "62500", slow, "--title", "CAN LS 62.5k"});
  ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
  EXPECT_TRUE(run.lines.contains("title\tCAN LS 62.5k"));
  EXPECT_TRUE(run.lines.contains("frequency\t62.500 kHz"));

  run = bus({"voltage", slow, "1000", dir.filePath("high.BUS")});
  ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
  EXPECT_TRUE(run.lines.contains("max-voltage\t800.0 V"));
  EXPECT_TRUE(run.lines.contains("title\tCAN LS 62.5k"));  // kept without --title

  const QString edited = dir.filePath("edited.BUS");
  run = bus({"set", kSample, "5", "2", "8.5 us", edited});
  ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
  EXPECT_EQ(run.lines, QStringList{"8.50 s"});  // "us" is no unit prefix
  // Only "N/A" (or nothing) removes a limit, and says so.
  run = bus({"set", kSample, "5", "2", "N/A", edited});
  EXPECT_EQ(run.lines, QStringList{"---"});
  EXPECT_TRUE(run.errors.contains("removes the limit")) << run.errors.toStdString();
  QFile file(edited);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_TRUE(file.readAll().contains("<LimiteMax a=\"N/A\"/>"));
}

TEST(BusCli, ErrorsGoToStderrWithAnExitCode) {
  QTemporaryDir dir;
  QFile bad(dir.filePath("bad.BUS"));
  ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
  bad.write("<R><BUS></R>");
  bad.close();
  const QList<QStringList> failing = {
      {"show", bad.fileName()},
      {"show", dir.filePath("missing.BUS")},
      {"speed", kSample, "1000", dir.filePath("x.BUS")},  // LockedSpeed 1
      {"speed", kSample, "0", dir.filePath("x.BUS")},
      {"voltage", kSample, "-3", dir.filePath("x.BUS")},
      {"set", kSample, "99", "1", "1", dir.filePath("x.BUS")},
      {"set", kSample, "1", "4", "1", dir.filePath("x.BUS")},
      {"speed", kSample, "1000", dir.filePath("x.BUS"), "--title"},
      {"set", kSample, "5", "2", "abc", dir.filePath("x.BUS")},  // no number, no "N/A"
      {"frobnicate"},
  };
  for (const QStringList& args : failing) {
    const CliRun run = bus(args);
    EXPECT_NE(run.exitCode, 0) << args.join(' ').toStdString();
    EXPECT_FALSE(run.errors.isEmpty()) << args.join(' ').toStdString();
    EXPECT_TRUE(run.lines.isEmpty()) << args.join(' ').toStdString();
  }
  EXPECT_FALSE(QFile::exists(dir.filePath("x.BUS")));
}

TEST(BusCli, CsvAndJsonGiveEachValueItsNumberAndUnit) {
  using namespace karvel::test;
  const QJsonObject doc = jsonOf(runCli({"bus", "show", kSample, "--format", "json"}));
  ASSERT_FALSE(doc.contains("parse_error")) << doc["parse_error"].toString().toStdString();
  EXPECT_EQ(doc["title"].toString(), "CAN Low Speed 125 kbit/s");
  const QJsonArray rows = doc["rows"].toArray();
  ASSERT_EQ(rows.size(), 7);
  const QJsonObject first = rows[0].toObject();
  EXPECT_EQ(first["row"].toInt(), 1);
  EXPECT_EQ(first["label"].toString(), "CAN-H recessive level");
  EXPECT_TRUE(first["minimum"].toObject()["number"].isNull());  // "---": no limit
  EXPECT_EQ(first["minimum"].toObject()["text"].toString(), "---");
  EXPECT_DOUBLE_EQ(first["maximum"].toObject()["number"].toDouble(), 0.3);
  EXPECT_EQ(first["maximum"].toObject()["unit"].toString(), "V");
  EXPECT_EQ(first["warning"].toObject()["unit"].toString(), "%");
  // Prefixed units come in the base unit.
  EXPECT_DOUBLE_EQ(rows[4].toObject()["minimum"].toObject()["number"].toDouble(), 7.84e-6);
  EXPECT_EQ(rows[4].toObject()["minimum"].toObject()["unit"].toString(), "s");
  EXPECT_DOUBLE_EQ(doc["frequency"].toObject()["number"].toDouble(), 125000);
  EXPECT_EQ(doc["frequency"].toObject()["unit"].toString(), "Hz");
  EXPECT_EQ(doc["bit_time"].toObject()["text"].toString(), QString::fromUtf8("8.00 \xC2\xB5s"));
  EXPECT_EQ(doc["speed_generator"].toString(), "dimmed");

  // The same values under the same names, one csv line per measurement.
  const QJsonArray csv = csvOf(runCli({"bus", "show", kSample, "--format", "csv"}));
  ASSERT_EQ(csv.size(), 7);
  const QJsonObject line = csv[4].toObject();
  EXPECT_EQ(line["row"].toString(), "5");
  EXPECT_EQ(line["label"].toString(), "Bit time");
  EXPECT_EQ(line["minimum"].toString(), QString::fromUtf8("7.84 \xC2\xB5s"));
  EXPECT_DOUBLE_EQ(line["minimum_number"].toString().toDouble(), 7.84e-6);
  EXPECT_EQ(line["minimum_unit"].toString(), "s");
  EXPECT_EQ(line["frequency_number"].toString(), "125000");
  EXPECT_EQ(line["comment"].toString(), doc["comment"].toString());  // holds a comma
  EXPECT_EQ(csv[0].toObject()["minimum_number"].toString(), "");
}

TEST(BusCli, NegativeLimitsAreValuesNotOptions) {
  QTemporaryDir dir;
  for (const char* typed : {"-0.5", "-,5"}) {  // a decimal comma too, as the table reads it
    const CliRun run = bus({"set", kSample, "2", "1", typed, dir.filePath("neg.BUS")});
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    EXPECT_EQ(run.lines, QStringList{"-0.50 V"});
  }
}
