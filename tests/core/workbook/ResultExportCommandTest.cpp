// SPDX-License-Identifier: GPL-3.0-or-later
// karvel-cli result export, run as a separate program.
#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QProcess>
#include <QTemporaryDir>

#include "core/frame/AppState.h"
#include "core/results/ResultReader.h"
#include "support/WorkbookReader.h"

using namespace karvel;
using namespace karvel::test;

namespace {

struct CliRun {
  int exitCode = -1;
  QString errors;
};

CliRun runCli(const QStringList& args) {
  QProcess cli;
  cli.start(QStringLiteral(KARVEL_APPDIR "/karvel-cli"), args);
  CliRun run;
  if (!cli.waitForFinished(60000)) return run;
  run.exitCode = cli.exitCode();
  run.errors = QString::fromUtf8(cli.readAllStandardError());
  return run;
}

const QString kSample = QStringLiteral(KARVEL_SOURCE_DIR "/resources/samples/CAN_HS_PASS.HTM");

}  // namespace

TEST(ResultExportCommand, WritesTheSameWorkbookAsTheDialog) {
  QTemporaryDir dir;
  const QString out = dir.filePath("can.xlsx");
  const CliRun run = runCli({"result", "export", kSample, out, "--language", "2"});
  ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();

  ResultTable table;
  QString error;
  ASSERT_TRUE(loadResultFile(kSample, German, table, &error));
  ASSERT_FALSE(table.rows.empty());
  const QJsonObject book = readWorkbook(out);
  EXPECT_EQ(cellText(book, "A1"), table.tableLabel);
  EXPECT_EQ(cellText(book, "A2"), table.busHeading);
  EXPECT_EQ(cellText(book, "D2"), table.verdict);
  EXPECT_EQ(cellText(book, "A4"), "Messungen");
  for (std::size_t i = 0; i < table.rows.size(); ++i) {
    const QString row = QString::number(i + 5);
    EXPECT_EQ(cellText(book, "A" + row), table.rows[i].cells[0]);
    EXPECT_EQ(cellText(book, "D" + row), table.rows[i].cells[3]);
  }
  EXPECT_EQ(book["max_row"].toInt(), static_cast<int>(table.rows.size()) + 4);
}

TEST(ResultExportCommand, BadArgumentsAndFailuresWriteNothing) {
  QTemporaryDir dir;
  const QString out = dir.filePath("none.xlsx");
  EXPECT_EQ(runCli({"result", "export", kSample}).exitCode, 2);
  EXPECT_EQ(runCli({"result", "export", kSample, out, "--language", "7"}).exitCode, 2);
  const CliRun missing = runCli({"result", "export", dir.filePath("missing.HTM"), out});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_TRUE(missing.errors.contains("missing.HTM")) << missing.errors.toStdString();
  EXPECT_FALSE(QFile::exists(out));
  // A workbook under another name, and a file that holds no result.
  const CliRun csvName = runCli({"result", "export", kSample, dir.filePath("out.csv")});
  EXPECT_EQ(csvName.exitCode, 1);
  EXPECT_TRUE(csvName.errors.contains("\".xlsx\"")) << csvName.errors.toStdString();
  EXPECT_FALSE(QFile::exists(dir.filePath("out.csv")));
  const CliRun notResult =
      runCli({"result", "export", KARVEL_SOURCE_DIR "/resources/samples/RQ6102/LIN.bus", out});
  EXPECT_EQ(notResult.exitCode, 1);
  EXPECT_TRUE(notResult.errors.contains("not a result file")) << notResult.errors.toStdString();
  EXPECT_FALSE(QFile::exists(out));
  const CliRun unwritable =
      runCli({"result", "export", kSample, dir.filePath("no/such/folder/x.xlsx")});
  EXPECT_EQ(unwritable.exitCode, 1);
  EXPECT_FALSE(unwritable.errors.isEmpty());
}

TEST(ResultExportCommand, SeveralResultsGoIntoOneWorkbookOrNone) {
  QTemporaryDir dir;
  const QString samples = QStringLiteral(KARVEL_SOURCE_DIR "/resources/samples/");
  const QString out = dir.filePath("all.xlsx");
  const CliRun run = runCli({"result", "export", samples + "LIN_PASS.HTM",
                             samples + "RS485_FAIL.HTM", samples + "PROFIBUS_FAIL.HTM", out});
  ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
  const QJsonObject book = readWorkbook(out);
  QStringList sheets;
  for (const auto& s : book["sheets"].toArray()) sheets << s.toString();
  EXPECT_EQ(sheets, QStringList({"Summary", "LIN_PASS", "RS485_FAIL", "PROFIBUS_FAIL"}));

  // The summary's counts are those of the results as read.
  const QJsonObject summary = book["all"].toObject()["Summary"].toObject()["cells"].toObject();
  int row = 4;
  for (const char* name : {"LIN_PASS.HTM", "RS485_FAIL.HTM", "PROFIBUS_FAIL.HTM"}) {
    ResultTable table;
    QString error;
    ASSERT_TRUE(loadResultFile(samples + name, English, table, &error));
    int counts[3] = {0, 0, 0};
    for (const ResultRow& r : table.rows) {
      if (r.status == Status::Green) ++counts[0];
      if (r.status == Status::Yellow) ++counts[1];
      if (r.status == Status::Red) ++counts[2];
    }
    auto cell = [&](char column) -> QJsonValue {
      return summary[QString(QChar(column)) + QString::number(row)].toObject()["value"];
    };
    EXPECT_EQ(cell('B').toString(), name);
    EXPECT_EQ(cell('D').toString(), table.verdict);
    EXPECT_EQ(cell('E').toInt(), counts[0]) << name;
    EXPECT_EQ(cell('F').toInt(), counts[1]) << name;
    EXPECT_EQ(cell('G').toInt(), counts[2]) << name;
    ++row;
  }

  // One unreadable file among them: nothing is written.
  const QString none = dir.filePath("none.xlsx");
  const CliRun bad =
      runCli({"result", "export", samples + "LIN_PASS.HTM", dir.filePath("gone.HTM"), none});
  EXPECT_EQ(bad.exitCode, 1);
  EXPECT_TRUE(bad.errors.contains("gone.HTM")) << bad.errors.toStdString();
  EXPECT_FALSE(QFile::exists(none));
}
