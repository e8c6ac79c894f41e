// SPDX-License-Identifier: GPL-3.0-or-later
// karvel-cli result show, run as a separate program.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "support/CliRun.h"

namespace {

struct ShowRun {
  int exitCode = -1;
  QStringList lines;
  QString errors;
};

ShowRun show(const QStringList& args) {
  QProcess cli;
  cli.start(QStringLiteral(KARVEL_APPDIR "/karvel-cli"), QStringList{"result", "show"} + args);
  ShowRun run;
  if (!cli.waitForFinished(60000)) return run;
  run.exitCode = cli.exitCode();
  run.lines = QString::fromUtf8(cli.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
  run.errors = QString::fromUtf8(cli.readAllStandardError());
  return run;
}

}  // namespace

TEST(ResultShowCommand, PrintsWhatTheWindowShows) {
  const ShowRun run = show({KARVEL_SOURCE_DIR "/resources/samples/RS485_FAIL.HTM"});
  ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
  ASSERT_EQ(run.lines.size(), 4 + 6);
  EXPECT_EQ(run.lines[0], "title\tFile : rs485_fail.HTM");
  EXPECT_EQ(run.lines[1], "label\tBUS DIAGNOSTIC RESULT");
  EXPECT_EQ(run.lines[2], "bus\tRS485 - 115200 bit/s");
  EXPECT_EQ(run.lines[3], "verdict\tred\tBus out of limits");
  EXPECT_EQ(run.lines[4],
            QString::fromUtf8("row\tBit time\t8.50 µs\t8.86 µs\t8.68 µs\t0 %\tgreen"));
  EXPECT_TRUE(run.lines[6].endsWith("\tyellow"));
  EXPECT_TRUE(run.lines[7].endsWith("\tred"));
}

TEST(ResultShowCommand, MultiLineCellsStayOnOneLineAndUnknownStatusIsNone) {
  QTemporaryDir dir;
  const QString path = dir.filePath("r.htm");
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(
      "<H1>L</H1><H2>B</H2><H4 class=x>V</H4><TBODY>"
      "<TR class=a><TD>two\r\nlines\tand \\</TD><TD>1</TD><TD>2</TD><TD class=blue>3</TD>"
      "<TD>4</TD></TR>");
  f.close();
  const ShowRun run = show({path, "--language", "0"});
  ASSERT_EQ(run.exitCode, 0);
  ASSERT_EQ(run.lines.size(), 5);
  EXPECT_EQ(run.lines[0], "title\tFichier : r.HTM");
  EXPECT_EQ(run.lines[3], "verdict\tyellow\tV");
  EXPECT_EQ(run.lines[4], "row\ttwo\\nlines\\tand \\\\\t1\t2\t3\t4\tnone");
}

TEST(ResultShowCommand, UnreadableFileFailsWithAMessage) {
  const ShowRun run = show({"/nonexistent/r.htm"});
  EXPECT_NE(run.exitCode, 0);
  EXPECT_TRUE(run.lines.isEmpty());
  EXPECT_TRUE(run.errors.contains("/nonexistent/r.htm"));
  EXPECT_NE(show({}).exitCode, 0);
}

TEST(ResultShowCommand, IncompleteFileWarnsButShowsWhatItRead) {
  QTemporaryDir dir;
  const QString path = dir.filePath("cut.htm");
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("<H1>L</H1><H2>B</H2><H4 class=red>V</H4>");
  f.close();
  const ShowRun run = show({path});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.lines.size(), 4);
  EXPECT_TRUE(run.errors.contains("<TBODY>"));
}

TEST(ResultShowCommand, CsvAndJsonNameStatusesAndSplitValues) {
  using namespace karvel::test;
  const QString path = QStringLiteral(KARVEL_SOURCE_DIR "/resources/samples/RS485_FAIL.HTM");
  const QJsonObject doc = jsonOf(runCli({"result", "show", path, "--format", "json"}));
  ASSERT_FALSE(doc.contains("parse_error")) << doc["parse_error"].toString().toStdString();
  EXPECT_EQ(doc["verdict"].toString(), "Bus out of limits");
  EXPECT_EQ(doc["verdict_status"].toString(), "fail");
  EXPECT_EQ(doc["table_label"].toString(), "BUS DIAGNOSTIC RESULT");
  EXPECT_TRUE(doc["complete"].toBool());
  const QJsonArray rows = doc["rows"].toArray();
  ASSERT_EQ(rows.size(), 6);
  QStringList statuses;
  for (const QJsonValue& row : rows) statuses.append(row.toObject()["status"].toString());
  EXPECT_EQ(statuses, QStringList({"pass", "pass", "warning", "fail", "pass", "fail"}));
  const QJsonObject common = rows[2].toObject();
  EXPECT_EQ(common["row"].toInt(), 3);
  EXPECT_DOUBLE_EQ(common["minimum"].toObject()["number"].toDouble(), -7.0);
  EXPECT_DOUBLE_EQ(common["measurement"].toObject()["number"].toDouble(), 10.9);
  EXPECT_EQ(common["distance"].toObject()["unit"].toString(), "%");
  EXPECT_DOUBLE_EQ(rows[3].toObject()["maximum"].toObject()["number"].toDouble(), 2.6e-6);
  EXPECT_EQ(rows[5].toObject()["measurement"].toObject()["unit"].toString(), "Ohm");

  const QJsonArray csv = csvOf(runCli({"result", "show", path, "--format", "csv"}));
  ASSERT_EQ(csv.size(), 6);
  for (int i = 0; i < 6; ++i) {
    const QJsonObject line = csv[i].toObject();
    EXPECT_EQ(line["row"].toString(), QString::number(i + 1));
    EXPECT_EQ(line["status"].toString(), statuses[i]);
    EXPECT_EQ(line["verdict_status"].toString(), "fail");
    EXPECT_EQ(line["label"].toString(), rows[i].toObject()["label"].toString());
    EXPECT_DOUBLE_EQ(line["measurement_number"].toString().toDouble(),
                     rows[i].toObject()["measurement"].toObject()["number"].toDouble());
  }
  EXPECT_EQ(csv[0].toObject()["measurement"].toString(), QString::fromUtf8("8.68 µs"));
  EXPECT_EQ(csv[0].toObject()["measurement_unit"].toString(), "s");
}

TEST(ResultShowCommand, AFileWithoutResultMarkersIsRefused) {
  QTemporaryDir dir;
  QFile f(dir.filePath("notes.htm"));
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("<html><body>Shopping list</body></html>");
  f.close();
  for (const QString& path :
       {f.fileName(), QStringLiteral(KARVEL_SOURCE_DIR "/resources/samples/RQ4102/CAN_LS.BUS")}) {
    const ShowRun run = show({path, "--format", "json"});
    EXPECT_EQ(run.exitCode, 1) << path.toStdString();
    EXPECT_TRUE(run.lines.isEmpty());
    EXPECT_TRUE(run.errors.contains("not a result file")) << run.errors.toStdString();
  }
}

// Names with a double quote, a comma or a line break come back whole through
// any csv reader: such a field is quoted, its quotes doubled.
TEST(ResultShowCommand, CsvQuotesFieldsWithQuotesCommasAndLineBreaks) {
  QTemporaryDir dir;
  const QString path = dir.filePath("q.htm");
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(
      "<H1>L</H1><H2>B</H2><H4 class=green>V</H4><TBODY>"
      "<TR class=a><TD>say \"hi\"</TD><TD>1</TD><TD>2</TD><TD class=green>1.5</TD><TD>4</TD></TR>"
      "<TR class=a><TD>a,b</TD><TD>1</TD><TD>2</TD><TD class=green>1.5</TD><TD>4</TD></TR>"
      "<TR class=a><TD>two\nlines</TD><TD>1</TD><TD>2</TD><TD class=green>1.5</TD><TD>4</TD></TR>"
      "<TR class=a><TD>plain</TD><TD>1</TD><TD>2</TD><TD class=green>1.5</TD><TD>4</TD></TR>");
  f.close();
  const karvel::test::CliRun run =
      karvel::test::runCli({"result", "show", path, "--format", "csv"});
  ASSERT_EQ(run.code, 0) << run.err.toStdString();
  EXPECT_TRUE(run.out.contains(QStringLiteral(",\"say \"\"hi\"\"\",")));
  EXPECT_TRUE(run.out.contains(QStringLiteral(",\"a,b\",")));
  EXPECT_TRUE(run.out.contains(QStringLiteral(",\"two\nlines\",")));
  EXPECT_TRUE(run.out.contains(QStringLiteral(",plain,")));
  const QJsonArray csv = karvel::test::csvOf(run);
  ASSERT_EQ(csv.size(), 4);
  QStringList labels;
  for (const QJsonValue& line : csv) labels << line.toObject()["label"].toString();
  EXPECT_EQ(labels, QStringList({"say \"hi\"", "a,b", "two\nlines", "plain"}));
}
