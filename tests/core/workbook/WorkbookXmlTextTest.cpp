// SPDX-License-Identifier: GPL-3.0-or-later
// Texts that XML cannot hold as they are (control characters, U+FFFE, lone
// surrogates, markup) in every place a workbook takes them: cells, chart
// titles and series, sheet names. Each workbook is checked part by part
// (tests/support/WorkbookCheck.h) and read back with openpyxl and LibreOffice.
#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QProcess>
#include <QTemporaryDir>

#include "core/frame/AppState.h"
#include "core/results/Compare.h"
#include "core/workbook/SheetExport.h"
#include "core/workbook/Workbook.h"
#include "support/ExportFixtures.h"
#include "support/WorkbookCheck.h"
#include "support/WorkbookReader.h"

using namespace karvel;
using namespace karvel::test;

namespace {

QByteArray fileBytes(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

const QString kTemplate = QStringLiteral(KARVEL_APPDIR "/karvel.xl");

// A measurement name with one of each kind of character XML forbids, and
// markup; and what a chart shows of it (U+FFFD for each forbidden one).
const QString kNastyName = QStringLiteral("Rise\x01time\x0B") + QChar(0xFFFE) + QChar(0xD800) +
                           QStringLiteral(" <&> \"q\"");
const QString kChartName = QStringLiteral("Rise") + QChar(0xFFFD) + QStringLiteral("time") +
                           QChar(0xFFFD) + QChar(0xFFFD) + QChar(0xFFFD) +
                           QStringLiteral(" <&> \"q\"");

CompareRun runOf(const QString& file, int day, const char* value) {
  CompareRun run;
  run.table = threeRowTable();
  run.table.sourcePath = file;
  run.table.rows[2].cells[0] = kNastyName;
  run.table.rows[2].cells[3] = QString::fromLatin1(value);
  run.date = QDateTime(QDate(2026, 3, day), QTime(9, 0));
  return run;
}

}  // namespace

TEST(WorkbookXmlText, ForbiddenCharactersInNamesLeaveTheComparisonSound) {
  QTemporaryDir dir;
  QString error;
  const auto comparison = compareRuns(
      {runOf("C:\\r\\a.HTM", 1, "110"), runOf("C:\\r\\b.HTM", 2, "95")}, {}, &error, English);
  ASSERT_TRUE(comparison) << error.toStdString();
  const QString out = dir.filePath("compare.xlsx");
  ASSERT_TRUE(exportComparison(kTemplate, *comparison, English, out, &error))
      << error.toStdString();
  EXPECT_EQ(workbookFault(fileBytes(out)), QString());

  // The cells keep the name in the escape form spreadsheet programs decode
  // (openpyxl shows it undecoded; a lone surrogate has no character to give
  // back); the charts show it with a mark for each character they cannot hold.
  const QJsonObject book = readWorkbook(out);
  ASSERT_FALSE(book.contains("error")) << book["error"].toString().toStdString();
  const QString cell = QStringLiteral("Rise_x0001_time_x000B__xFFFE_") + QChar(0xFFFD) +
                       QStringLiteral(" <&> \"q\"");
  EXPECT_EQ(book["all"]["a"]["cells"]["A7"]["value"].toString(), cell)
      << "the third row of the first run's sheet";
  QStringList titles;
  for (const QJsonValue& sheet : book["all"].toObject())
    for (const QJsonValue& chart : sheet.toObject()["charts"].toArray())
      titles << chart.toObject()["title"].toString();
  EXPECT_TRUE(titles.contains(kChartName + " (s)") || titles.contains(kChartName))
      << titles.join(" | ").toStdString();

  if (sofficePath().isEmpty()) GTEST_SKIP() << "LibreOffice not installed";
  EXPECT_FALSE(convertWithLibreOffice(out).isEmpty()) << "LibreOffice opens the workbook";
}

TEST(WorkbookXmlText, CompareWorkbookOfAControlCharacterNameOpensOrFails) {
  // karvel-cli result compare --workbook over files whose measurement name
  // holds a control character, as copied from the instrument's page.
  QTemporaryDir dir;
  auto write = [&](const char* name, const char* date, const char* value) {
    const QString path = dir.filePath(QString::fromLatin1(name));
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray("<HTML><BODY><H1>BUS DIAGNOSTIC RESULT</H1>\n<H3>") + date +
            "</H3>\n<H2>LIN - 19200 bit/s</H2>\n<H4 class=\"green\">Bus within limits</H4>\n"
            "<TABLE border=\"1\">\n<TBODY>\n<TR class=\"row\"><TD>Bit\x01time\x1F</TD>"
            "<TD>51.0 \xB5s</TD><TD>53.2 \xB5s</TD><TD class=\"green\">" +
            value + " \xB5s</TD><TD>2 %</TD></TR>\n</TBODY>\n</TABLE>\n</BODY></HTML>\n");
    return path;
  };
  const QString a = write("a.HTM", "2026-03-01", "52.1");
  const QString b = write("b.HTM", "2026-03-02", "52.9");
  const QString out = dir.filePath("trend.xlsx");
  QProcess cli;
  cli.start(QStringLiteral(KARVEL_APPDIR "/karvel-cli"),
            {"result", "compare", a, b, "--workbook", out});
  ASSERT_TRUE(cli.waitForFinished(60000));
  ASSERT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
  EXPECT_EQ(workbookFault(fileBytes(out)), QString());
  const QJsonObject book = readWorkbook(out);
  ASSERT_FALSE(book.contains("error")) << book["error"].toString().toStdString();
  bool charted = false;
  for (const QJsonValue& sheet : book["all"].toObject())
    for (const QJsonValue& chart : sheet.toObject()["charts"].toArray())
      charted |= chart.toObject()["title"].toString().startsWith(
          QStringLiteral("Bit") + QChar(0xFFFD) + QStringLiteral("time"));
  EXPECT_TRUE(charted);
}

TEST(WorkbookXmlText, SheetNamesNeverHoldWhatXmlForbids) {
  const QString smile = QString::fromUcs4(U"\U0001F600");
  EXPECT_EQ(resultSheetName(QStringLiteral("C:\\r\\A") + QChar(0xFFFF) + QStringLiteral("B\x01") +
                                QChar(0xDC00) + QStringLiteral("C.HTM"),
                            {}),
            "A_B__C");
  // A character outside the first plane stays whole, and is never cut in half.
  EXPECT_EQ(resultSheetName("/r/" + smile + ".HTM", {}), smile);
  EXPECT_EQ(resultSheetName("/r/" + QString(30, u'x') + smile + ".HTM", {}), QString(30, u'x'));

  QString error;
  auto book = WorkbookFile::load(kTemplate, &error);
  ASSERT_TRUE(book) << error.toStdString();
  EXPECT_FALSE(book->renameSheet(0, QStringLiteral("Bad") + QChar(0xFFFE), &error));
  EXPECT_FALSE(book->renameSheet(0, QStringLiteral("Half") + QChar(0xD800), &error));
  EXPECT_EQ(book->addSheet(QStringLiteral("Bad") + QChar(0xFFFF), 1, -1, &error), -1);
  EXPECT_TRUE(error.contains("not allowed"));
  EXPECT_TRUE(book->renameSheet(0, "Mesures " + smile, &error));
  EXPECT_EQ(workbookFault(book->toBytes(&error)), QString());
}
