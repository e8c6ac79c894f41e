// SPDX-License-Identifier: GPL-3.0-or-later
// What an exported workbook keeps of the diagnosis beside the texts: numbers
// in base units, units, distances, statuses in their colours, the document's
// dates, and several results with a summary; read back with openpyxl and
// converted by LibreOffice.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QProcess>
#include <QTemporaryDir>

#include "core/frame/AppState.h"
#include "core/results/Compare.h"
#include "core/results/Quantity.h"
#include "core/workbook/SheetExport.h"
#include "support/ExportFixtures.h"
#include "support/WorkbookReader.h"

using namespace karvel;
using namespace karvel::test;

namespace {

QString templateFile() { return QStringLiteral(KARVEL_APPDIR "/karvel.xl"); }

ResultTable linTable(const QString& source = QStringLiteral("/data/LIN_PASS.HTM")) {
  ResultTable t;
  t.sourcePath = source;
  t.tableLabel = QStringLiteral("BUS DIAGNOSTIC RESULT");
  t.busHeading = QStringLiteral("LIN - 19200 bit/s");
  t.verdict = QStringLiteral("FAILED (2 measurements out of tolerance, 1 close to a limit)");
  t.verdictColour = Status::Red;
  t.rows = {resultRow("Bit time", "51.0 µs", "53.2 µs", "52.1 µs", "2 %", Status::Green),
            resultRow("Dominant level", "0.00 V", "2.40 V", "920 mV", "38 %", Status::Yellow),
            resultRow("Slew rate", "1.0 V/µs", "3.0 V/µs", "3.4 V/µs", "-20 %", Status::Red),
            resultRow("Not measured", "---", "---", "---", "---", Status::None)};
  return t;
}

double number(const QJsonObject& book, const QString& cell) {
  return cellInfo(book, cell)["value"].toDouble();
}

class WorkbookNumbers : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  QString target(const char* name = "out.xlsx") const { return dir.filePath(name); }
  QJsonObject exportAndRead(const std::vector<ResultTable>& tables, int language = English) {
    QString error;
    EXPECT_TRUE(exportResultTables(templateFile(), tables, language, target(), &error))
        << error.toStdString();
    const QJsonObject book = readWorkbook(target());
    EXPECT_FALSE(book.contains("error")) << book["error"].toString().toStdString();
    return book;
  }
};

}  // namespace

TEST(Quantity, RatiosOfBaseUnitsFoldTheirPrefixesForTheWorkbook) {
  EXPECT_DOUBLE_EQ(*siQuantity("1.9 V/µs").number, 1.9e6);
  EXPECT_EQ(siQuantity("1.9 V/µs").unit, "V/s");
  EXPECT_DOUBLE_EQ(*siQuantity("3 mV/ms").number, 3.0);
  EXPECT_EQ(siQuantity("12 %").unit, "%");
  EXPECT_EQ(siQuantity("5 dB/m").unit, "dB/m") << "not a ratio of known units: as shown";
  EXPECT_FALSE(siQuantity("---").number);
  // The command line keeps its documented form.
  EXPECT_EQ(quantity("1.9 V/µs").unit, "V/µs");
}

TEST_F(WorkbookNumbers, RowsHoldNumbersUnitsDistancesAndColouredStatuses) {
  const ResultTable table = linTable();
  const QJsonObject book = exportAndRead({table});
  // The specified cells stay texts, exactly as the result file wrote them.
  EXPECT_EQ(cellText(book, "D5"), "52.1 µs");
  EXPECT_EQ(cellText(book, "D4"), "%");
  EXPECT_EQ(cellInfo(book, "D5")["type"].toString(), "s");

  const QStringList headings = {"Value", "Minimum", "Maximum", "Unit", "Distance", "Status"};
  for (int i = 0; i < headings.size(); ++i)
    EXPECT_EQ(cellText(book, QChar(u'E' + i) + QStringLiteral("4")), headings[i]);

  EXPECT_EQ(cellInfo(book, "E5")["type"].toString(), "n");
  EXPECT_DOUBLE_EQ(number(book, "E5"), 52.1e-6);
  EXPECT_DOUBLE_EQ(number(book, "F5"), 51.0e-6);
  EXPECT_DOUBLE_EQ(number(book, "G5"), 53.2e-6);
  EXPECT_EQ(cellText(book, "H5"), "s");
  EXPECT_DOUBLE_EQ(number(book, "I5"), 0.02);
  EXPECT_EQ(cellInfo(book, "I5")["format"].toString(), "0%");
  EXPECT_EQ(cellInfo(book, "E5")["format"].toString(), "##0.00E+00");
  EXPECT_DOUBLE_EQ(number(book, "E6"), 0.92);
  EXPECT_EQ(cellText(book, "H6"), "V");
  EXPECT_DOUBLE_EQ(number(book, "E7"), 3.4e6);
  EXPECT_EQ(cellText(book, "H7"), "V/s");
  EXPECT_DOUBLE_EQ(number(book, "I7"), -0.2);

  // Statuses by name, filled in the results window's colours.
  const char* names[] = {"pass", "warning", "fail"};
  const char* fills[] = {"FF00FF00", "FFFFFF00", "FFFF0000"};
  for (int i = 0; i < 3; ++i) {
    const QString cell = QStringLiteral("J%1").arg(5 + i);
    EXPECT_EQ(cellText(book, cell), names[i]);
    EXPECT_EQ(cellInfo(book, cell)["fill"].toString(), fills[i]);
  }
  // A row without numbers has none, and no status.
  for (const char* cell : {"E8", "F8", "G8", "H8", "I8", "J8"})
    EXPECT_TRUE(cellInfo(book, cell)["value"].isNull()) << cell;
  EXPECT_EQ(cellText(book, "D8"), "---");
}

TEST_F(WorkbookNumbers, HeadingsFollowTheLanguageAndTheDatesAreToday) {
  const QJsonObject book = exportAndRead({linTable()}, German);
  EXPECT_EQ(cellText(book, "E4"), "Wert");
  EXPECT_EQ(cellText(book, "H4"), "Einheit");
  EXPECT_EQ(cellText(book, "A4"), "Messungen");
  const QDate today = QDateTime::currentDateTimeUtc().date();
  for (const char* which : {"created", "modified"}) {
    const QDateTime when = QDateTime::fromString(book[which].toString(), Qt::ISODate);
    ASSERT_TRUE(when.isValid()) << which << book[which].toString().toStdString();
    EXPECT_LE(std::abs(when.date().daysTo(today)), 1) << which;
  }
  EXPECT_EQ(cellInfo(book, "D2")["align"].toString(), "left") << "a long verdict stays readable";
}

TEST_F(WorkbookNumbers, SeveralResultsGetASummaryAndASheetEach) {
  ResultTable pass = linTable(QStringLiteral("/runs/monday/LIN_PASS.HTM"));
  pass.verdict = QStringLiteral("GOOD");
  pass.verdictColour = Status::Green;
  ResultTable same = linTable(QStringLiteral("/runs/tuesday/lin_pass.htm"));  // same name
  ResultTable longName =
      linTable(QStringLiteral("C:\\runs\\A very long result file name: with [odd] characters.HTM"));
  longName.rows.pop_back();
  const QJsonObject book = exportAndRead({pass, same, longName});
  QStringList sheets;
  for (const auto& s : book["sheets"].toArray()) sheets << s.toString();
  ASSERT_EQ(sheets.size(), 4) << sheets.join(u',').toStdString();
  EXPECT_EQ(sheets[0], "Summary");
  EXPECT_EQ(sheets[1], "LIN_PASS");
  EXPECT_EQ(sheets[2], "lin_pass (2)") << "names are unique whatever their case";
  EXPECT_EQ(sheets[3].size(), 31);
  EXPECT_FALSE(sheets[3].contains(u':') || sheets[3].contains(u'['));
  EXPECT_EQ(book["active"].toString(), "Summary");

  const QJsonObject all = book["all"].toObject();
  const QJsonObject summary = all["Summary"].toObject()["cells"].toObject();
  auto text = [&](const char* cell) { return summary[cell].toObject()["value"].toString(); };
  auto count = [&](const char* cell) { return summary[cell].toObject()["value"].toInt(-1); };
  EXPECT_EQ(text("A3"), "Sheet");
  EXPECT_EQ(text("A4"), "LIN_PASS");
  EXPECT_EQ(text("B4"), "LIN_PASS.HTM");
  EXPECT_EQ(text("C4"), "LIN - 19200 bit/s");
  EXPECT_EQ(text("D4"), "GOOD");
  EXPECT_EQ(summary["D4"].toObject()["fill"].toString(), "FF00FF00");
  EXPECT_EQ(summary["D5"].toObject()["fill"].toString(), "FFFF0000");
  EXPECT_EQ(count("E4"), 1);
  EXPECT_EQ(count("F4"), 1);
  EXPECT_EQ(count("G4"), 1);
  EXPECT_EQ(summary["E4"].toObject()["type"].toString(), "n");
  EXPECT_EQ(text("B6"), "A very long result file name: with [odd] characters.HTM");

  // Every result sheet is the single export's layout, with its own rows.
  for (int i = 1; i < 4; ++i) {
    const QJsonObject cells = all[sheets[i]].toObject()["cells"].toObject();
    EXPECT_EQ(cells["C2"].toObject()["value"].toString(), "Bus quality") << i;
    EXPECT_EQ(cells["A5"].toObject()["value"].toString(), "Bit time") << i;
    EXPECT_EQ(cells["D1"].toObject()["value"].toString(), "KARVEL") << "template text, " << i;
    EXPECT_EQ(cells["J7"].toObject()["value"].toString(), "fail") << i;
  }
  EXPECT_TRUE(all[sheets[3]].toObject()["cells"].toObject()["A8"].toObject().isEmpty());
}

TEST_F(WorkbookNumbers, OneResultKeepsTheSingleSheetWorkbook) {
  const QJsonObject book = exportAndRead({linTable()});
  ASSERT_EQ(book["sheets"].toArray().size(), 1);
  EXPECT_EQ(book["sheets"].toArray().first().toString(), "Diagnostic");
}

TEST_F(WorkbookNumbers, ResultSheetNamesStayValid) {
  EXPECT_EQ(resultSheetName("C:\\a\\CAN_01.HTM", {}), "CAN_01");
  EXPECT_EQ(resultSheetName("/x/'quoted'.htm", {}), "quoted");
  EXPECT_EQ(resultSheetName("/x/history.htm", {}), "history (2)") << "a name spreadsheets reserve";
  EXPECT_EQ(resultSheetName("/x/.htm", {}), "Result");
  const QString long40(40, u'x');
  const QString first = resultSheetName("/" + long40 + ".HTM", {});
  EXPECT_EQ(first, QString(31, u'x'));
  EXPECT_EQ(resultSheetName("/" + long40 + ".HTM", {first}), QString(27, u'x') + " (2)");
}

TEST_F(WorkbookNumbers, LibreOfficeOpensTheWorkbooksAndShowsTheVerdict) {
  if (sofficePath().isEmpty()) GTEST_SKIP() << "LibreOffice is not installed";
  QString error;
  ASSERT_TRUE(
      exportResultTables(templateFile(), {linTable()}, English, target("one.xlsx"), &error));
  const QList<QStringList> rows = convertWithLibreOffice(target("one.xlsx"));
  ASSERT_GE(rows.size(), 5);
  EXPECT_EQ(rows[1].value(3), linTable().verdict);
  EXPECT_EQ(rows[4].value(9), "pass");
  // Read back as numbers, whatever format shows them.
  EXPECT_EQ(rows[4].value(8), "2%");

  ASSERT_TRUE(exportResultTables(templateFile(), {linTable(), linTable("/b/OTHER.HTM")}, English,
                                 target("two.xlsx"), &error));
  const QList<QStringList> summary = convertWithLibreOffice(target("two.xlsx"));
  ASSERT_GE(summary.size(), 5) << "the summary is the sheet shown first";
  EXPECT_EQ(summary[3].value(0), "LIN_PASS");
  EXPECT_EQ(summary[4].value(0), "OTHER");
  EXPECT_EQ(summary[4].value(3), linTable().verdict);

  // On paper the verdict is whole: nothing hides it.
  if (QStandardPaths::findExecutable("pdftotext").isEmpty()) return;
  QTemporaryDir profile;
  QProcess soffice;
  soffice.setWorkingDirectory(dir.path());
  QFile::copy(target("one.xlsx"), dir.filePath("print.xlsx"));
  soffice.start(sofficePath(),
                {"-env:UserInstallation=file://" + profile.path(), "--headless", "--convert-to",
                 "pdf", "--outdir", dir.path(), dir.filePath("print.xlsx")});
  ASSERT_TRUE(soffice.waitForFinished(120000));
  QProcess pdftotext;
  pdftotext.start("pdftotext", {"-layout", dir.filePath("print.pdf"), "-"});
  ASSERT_TRUE(pdftotext.waitForFinished(60000));
  const QString printed = QString::fromUtf8(pdftotext.readAllStandardOutput());
  EXPECT_TRUE(printed.contains(linTable().verdict)) << printed.toStdString();
}

TEST_F(WorkbookNumbers, AComparisonAddsItsSheetToTheResults) {
  CompareRun early, late;
  early.table = linTable(QStringLiteral("/runs/MONDAY.HTM"));
  early.date = QDateTime(QDate(2026, 3, 2), QTime(8, 0));
  late.table = linTable(QStringLiteral("/runs/FRIDAY.HTM"));
  late.table.rows[0].cells[3] = QStringLiteral("53.0 µs");
  late.table.rows.erase(late.table.rows.begin() + 1);  // no dominant level that day
  late.date = QDateTime(QDate(2026, 3, 6), QTime(8, 0));
  QString error;
  const std::optional<Comparison> c = compareRuns({late, early}, {}, &error, French);
  ASSERT_TRUE(c) << error.toStdString();
  ASSERT_TRUE(exportComparison(templateFile(), *c, French, target(), &error))
      << error.toStdString();
  const QJsonObject book = readWorkbook(target());
  ASSERT_FALSE(book.contains("error")) << book["error"].toString().toStdString();
  QStringList sheets;
  for (const auto& s : book["sheets"].toArray()) sheets << s.toString();
  EXPECT_EQ(sheets, QStringList({"Résumé", "Comparaison", "MONDAY", "FRIDAY"}));
  EXPECT_EQ(book["active"].toString(), "Comparaison");
  const QJsonObject cells = book["all"].toObject()["Comparaison"].toObject()["cells"].toObject();
  auto at = [&](const char* cell) -> QJsonValue { return cells[cell].toObject()["value"]; };
  EXPECT_EQ(at("A4").toString(), "Mesure");
  EXPECT_EQ(at("C3").toString(), "MONDAY.HTM");
  EXPECT_EQ(at("C4").toString(), "2026-03-02 08:00");
  EXPECT_EQ(at("A5").toString(), "Bit time");
  EXPECT_DOUBLE_EQ(at("C5").toDouble(), 52.1e-6);
  EXPECT_DOUBLE_EQ(at("D5").toDouble(), 53.0e-6);
  EXPECT_NEAR(at("F5").toDouble(), 0.2 / 2.2, 1e-9);
  EXPECT_EQ(cells["F5"].toObject()["format"].toString(), "0%");
  EXPECT_EQ(at("G5").toString(), "en hausse");
  EXPECT_EQ(at("H5").toString(), "oui");
  EXPECT_EQ(cells["H5"].toObject()["fill"].toString(), "FFFFFF00");
  EXPECT_EQ(at("A6").toString(), "Dominant level");
  EXPECT_DOUBLE_EQ(at("C6").toDouble(), 0.92);
  EXPECT_TRUE(at("D6").isNull()) << "missing that day: a gap";
  // The tolerances of each run follow, then a chart per measurement.
  EXPECT_EQ(at("I4").toString(), "Min 1");
  EXPECT_DOUBLE_EQ(at("I5").toDouble(), 51.0e-6);
  EXPECT_DOUBLE_EQ(at("L5").toDouble(), 53.2e-6);
  const QJsonArray charts = book["all"].toObject()["Comparaison"].toObject()["charts"].toArray();
  ASSERT_EQ(charts.size(), 3) << "one per measurement with a value";
  const QJsonObject first = charts[0].toObject();
  EXPECT_EQ(first["title"].toString(), "Bit time (s)");
  const QJsonArray series = first["series"].toArray();
  ASSERT_EQ(series.size(), 3);
  EXPECT_EQ(series[0].toString(), "'Comparaison'!$C$5:$D$5");
  EXPECT_EQ(series[1].toString(), "'Comparaison'!$I$5:$J$5");
  EXPECT_EQ(series[2].toString(), "'Comparaison'!$K$5:$L$5");

  // LibreOffice opens it and draws the charts on the printed page.
  if (sofficePath().isEmpty() || QStandardPaths::findExecutable("pdftotext").isEmpty()) return;
  QTemporaryDir profile;
  QProcess soffice;
  soffice.setWorkingDirectory(dir.path());
  soffice.start(sofficePath(), {"-env:UserInstallation=file://" + profile.path(), "--headless",
                                "--convert-to", "pdf", "--outdir", dir.path(), target()});
  ASSERT_TRUE(soffice.waitForFinished(120000));
  QProcess pdftotext;
  pdftotext.start("pdftotext", {dir.filePath("out.pdf"), "-"});
  ASSERT_TRUE(pdftotext.waitForFinished(60000));
  const QString printed = QString::fromUtf8(pdftotext.readAllStandardOutput());
  EXPECT_TRUE(printed.contains("Slew rate (V/s)")) << printed.toStdString();
}

TEST_F(WorkbookNumbers, TheComparisonSheetSaysWhereItsDatesCameFrom) {
  CompareRun written, copied;
  written.table = linTable(QStringLiteral("/runs/WRITTEN.HTM"));
  written.date = QDateTime(QDate(2026, 11, 23), QTime(14, 2, 51));
  written.dateSource = DateSource::Result;
  copied.table = linTable(QStringLiteral("/runs/COPIED.HTM"));
  copied.date = QDateTime(QDate(2026, 11, 24), QTime(8, 0));
  copied.dateSource = DateSource::FileTime;
  auto cellsOf = [&](RunOrder order) {
    QString error;
    const std::optional<Comparison> c = compareRuns({written, copied}, {}, &error, English, order);
    EXPECT_TRUE(c) << error.toStdString();
    EXPECT_TRUE(exportComparison(templateFile(), *c, English, target(), &error))
        << error.toStdString();
    return readWorkbook(target())["all"].toObject()["Comparison"].toObject()["cells"].toObject();
  };
  QJsonObject cells = cellsOf(RunOrder::ByDate);
  auto at = [&](const char* cell) { return cells[cell].toObject()["value"].toString(); };
  EXPECT_EQ(at("A2"), "Date from");
  EXPECT_EQ(at("C2"), "date in the result");
  EXPECT_EQ(at("D2"), "file time");
  EXPECT_EQ(cells["D2"].toObject()["fill"].toString(), "FFFFFF00");
  EXPECT_EQ(at("C4"), "2026-11-23 14:02:51");
  // Above the trends, what their order rests on.
  EXPECT_EQ(at("G3"), "order from file times for 1 of 2 runs");
  EXPECT_EQ(at("G4"), "Trend");
  cells = cellsOf(RunOrder::Given);
  EXPECT_EQ(at("G3"), "in the order given");
}
