// karvel-cli result export, run as a separate program.
#include <gtest/gtest.h>

#include <QFile>
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
