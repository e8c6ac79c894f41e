// SPDX-License-Identifier: GPL-3.0-or-later
// The workbook engine and the export layout, read back with openpyxl.
#include <gtest/gtest.h>

#include <zip.h>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QProcess>
#include <QTemporaryDir>

#include "core/frame/AppState.h"
#include "core/workbook/SheetApp.h"
#include "core/workbook/SheetExport.h"
#include "core/workbook/Workbook.h"
#include "support/ExportFixtures.h"
#include "support/WorkbookReader.h"

using namespace karvel;
using namespace karvel::test;

namespace {

QString templateFile() { return QStringLiteral(KARVEL_APPDIR "/karvel.xl"); }

QByteArray fileBytes(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class WorkbookExport : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  QString target(const char* name = "out.xlsx") const {
    return dir.filePath(QString::fromUtf8(name));
  }

  QJsonObject exportAndRead(const ResultTable& table, int language = English,
                            const char* name = "out.xlsx") {
    QString error;
    EXPECT_TRUE(exportResultTable(templateFile(), table, language, target(name), &error))
        << error.toStdString();
    const QJsonObject book = readWorkbook(target(name));
    EXPECT_FALSE(book.contains("error")) << book["error"].toString().toStdString();
    return book;
  }
};

}  // namespace

TEST_F(WorkbookExport, EmptyTableFillsHeadingRowsOnly) {
  ResultTable table = threeRowTable();
  table.rows.clear();
  EXPECT_EQ(exportRangeReference(0), "A1:D10");
  const QJsonObject book = exportAndRead(table);
  EXPECT_EQ(cellText(book, "A1"), "BUS DIAGNOSTIC RESULT CAN HIGH SPEED");
  EXPECT_EQ(cellText(book, "A2"), "CANHIGHSPEED 500 kbit/s");
  EXPECT_EQ(cellText(book, "C2"), "Bus quality");
  EXPECT_EQ(cellText(book, "D2"), "GOOD");
  EXPECT_EQ(cellText(book, "A4"), "Measurements");
  EXPECT_EQ(cellText(book, "B4"), "Min");
  EXPECT_EQ(cellText(book, "C4"), "Max");
  EXPECT_EQ(cellText(book, "D4"), "%");
  EXPECT_EQ(book["max_row"].toInt(), 4);
  EXPECT_EQ(book["dimension"].toString(), "A1:J4") << "the number columns' headings";
  for (const char* cell : {"A1", "A2", "C2", "D2", "A4", "B4", "C4", "D4"})
    EXPECT_EQ(cellInfo(book, cell)["type"].toString(), "s")
        << cell << ": every value is written as text";
}

TEST_F(WorkbookExport, EveryRowLandsFromRowFiveAsTheResultFileWroteIt) {
  EXPECT_EQ(exportRangeReference(3), "A1:D13");
  const ResultTable table = threeRowTable();
  const QJsonObject book = exportAndRead(table);
  for (int i = 0; i < 3; ++i) {
    const QString row = QString::number(i + 5);
    for (int c = 0; c < 4; ++c)
      EXPECT_EQ(cellText(book, QChar(u'A' + c) + row),
                table.rows[static_cast<std::size_t>(i)].cells[static_cast<std::size_t>(c)])
          << "row " << i + 5 << " column " << c;
    // Numbers stay texts, exactly as the result file wrote them.
    EXPECT_EQ(cellInfo(book, "B" + row)["type"].toString(), "s");
  }
  EXPECT_EQ(book["max_row"].toInt(), 7);
  EXPECT_EQ(book["max_column"].toInt(), 10) << "the number columns E to J beside them";
  EXPECT_EQ(book["dimension"].toString(), "A1:J7");
}

TEST_F(WorkbookExport, AccentsBlanksAndControlCharactersSurvive) {
  ResultTable table = threeRowTable();
  table.tableLabel = QStringLiteral("RÉSULTAT « µ-Bus » 10 Ω – 5 €");
  table.busHeading = QStringLiteral("  Prüfung über 2 Leitungen  ");
  table.verdict = QStringLiteral("Très bien\nsuite");
  table.rows = {resultRow("Tension différentielle", "1,5", "3,0", "2,2", "47"),
                resultRow("Überschwingen", "0", "10 %", "3 %", "70"),
                resultRow("Bell\x07"
                          "char _x0041_ kept",
                          "a", "b", "c", "d")};
  const QJsonObject book = exportAndRead(table, French);
  EXPECT_EQ(cellText(book, "A1"), table.tableLabel);
  EXPECT_EQ(cellText(book, "A2"), table.busHeading) << "leading and trailing blanks are kept";
  EXPECT_EQ(cellText(book, "D2"), table.verdict);
  EXPECT_EQ(cellText(book, "A4"), "Mesures");
  EXPECT_EQ(cellText(book, "A5"), "Tension différentielle");
  EXPECT_EQ(cellText(book, "A6"), "Überschwingen");
  EXPECT_EQ(cellText(book, "C6"), "10 %");
  // A control character is not allowed in XML: it is written in the
  // spreadsheet escape form (which openpyxl shows undecoded), and the file
  // still opens; a literal escape-like text is protected the same way.
  EXPECT_EQ(cellText(book, "A7"), "Bell_x0007_char _x005F_x0041_ kept");
}

TEST_F(WorkbookExport, MeasurementsWordFollowsTheLanguage) {
  const char* expected[] = {"Mesures", "Measurements", "Messungen", "Medidas", "Misure"};
  for (int language = 0; language < 5; ++language) {
    const QString name = QStringLiteral("lang%1.xlsx").arg(language);
    QString error;
    ASSERT_TRUE(
        exportResultTable(templateFile(), threeRowTable(), language, dir.filePath(name), &error));
    const QJsonObject book = readWorkbook(dir.filePath(name));
    EXPECT_EQ(cellText(book, "A4"), QString::fromUtf8(expected[language]));
    EXPECT_EQ(cellText(book, "C2"), "Bus quality") << "the same in every language";
  }
}

TEST_F(WorkbookExport, TemplateFormattingAndFixedTextsAreKept) {
  const QJsonObject book = exportAndRead(threeRowTable());
  EXPECT_EQ(cellText(book, "D1"), "KARVEL") << "a fixed text the export does not write";
  EXPECT_EQ(book["sheets"].toArray().first().toString(), "Diagnostic");
  EXPECT_EQ(book["freeze"].toString(), "A5");
  EXPECT_EQ(book["footer"].toString(), "KARVEL");
  EXPECT_NEAR(book["widths"].toObject()["A"].toDouble(), 44.71, 0.01);
  // One <col> element sets columns B to D; openpyxl reports it under B.
  EXPECT_NEAR(book["widths"].toObject()["B"].toDouble(), 16.71, 0.01);
  const QJsonObject a1 = cellInfo(book, "A1");
  EXPECT_TRUE(a1["bold"].toBool());
  EXPECT_EQ(a1["size"].toDouble(), 14.0);
  EXPECT_EQ(cellInfo(book, "A2")["size"].toDouble(), 11.0);
  EXPECT_EQ(cellInfo(book, "D2")["align"].toString(), "left");
  for (const char* heading : {"A4", "B4", "C4", "D4"}) {
    EXPECT_TRUE(cellInfo(book, heading)["bold"].toBool()) << heading;
    EXPECT_EQ(cellInfo(book, heading)["fill"].toString(), "FFD0D0D0") << heading;
  }
  // New data cells take their column's style: centred values, plain names.
  EXPECT_EQ(cellInfo(book, "B5")["align"].toString(), "center");
  EXPECT_EQ(cellInfo(book, "D7")["border"].toString(), "hair");
  EXPECT_FALSE(cellInfo(book, "A5")["bold"].toBool());
  // Every part of the template is still in the package.
  QStringList parts;
  for (const auto& p : book["parts"].toArray()) parts << p.toString();
  for (const char* part :
       {"[Content_Types].xml", "xl/styles.xml", "xl/sharedStrings.xml", "docProps/core.xml"})
    EXPECT_TRUE(parts.contains(QString::fromUtf8(part))) << part;
  EXPECT_EQ(parts.first(), "[Content_Types].xml");
}

TEST_F(WorkbookExport, SavingOverAnExistingFileReplacesIt) {
  exportAndRead(threeRowTable());
  ResultTable second = threeRowTable();
  second.tableLabel = QStringLiteral("SECOND");
  second.rows.resize(1);
  const QJsonObject book = exportAndRead(second);
  EXPECT_EQ(cellText(book, "A1"), "SECOND");
  EXPECT_EQ(book["max_row"].toInt(), 5);
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"out.xlsx"});
}

TEST_F(WorkbookExport, UnwritableFolderFailsAndLeavesNoFile) {
  const QString folder = unwritableFolder(dir);
  const QString out = QDir(folder).filePath(QStringLiteral("karvel-export.xlsx"));
  QString error;
  EXPECT_FALSE(exportResultTable(templateFile(), threeRowTable(), English, out, &error));
  EXPECT_FALSE(error.isEmpty());
  // Neither the file nor a temporary file named after it.
  EXPECT_EQ(QDir(folder).entryList({"karvel-export*"}, QDir::AllEntries | QDir::Hidden),
            QStringList());
}

TEST_F(WorkbookExport, MissingOrDamagedTemplateIsRefused) {
  QString error;
  EXPECT_FALSE(
      exportResultTable(dir.filePath("none.xl"), threeRowTable(), English, target(), &error));
  EXPECT_FALSE(error.isEmpty());

  const QString notZip = dir.filePath("text.xl");
  QFile f(notZip);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("PK\x03\x04 but nothing of a zip archive");
  f.close();
  EXPECT_FALSE(exportResultTable(notZip, threeRowTable(), English, target(), &error));
  EXPECT_FALSE(QFile::exists(target()));

  // A zip archive that is not a workbook.
  EXPECT_EQ(WorkbookFile::fromBytes(QByteArray(), &error), nullptr);
  EXPECT_EQ(WorkbookFile::fromBytes(QByteArray(100, '\0'), &error), nullptr);
}

TEST(WorkbookEngine, HandlesFailOnceTheApplicationIsGone) {
  SheetAppHandle app;
  ASSERT_EQ(SheetApp::newApp(&app), kSheetOk);
  SheetWorkbooksHandle books;
  ASSERT_EQ(app->workbooks(&books), kSheetOk);
  SheetWorkbookHandle book;
  ASSERT_EQ(books->open(templateFile(), &book), kSheetOk);
  SheetCollectionHandle sheets;
  SheetWorksheetHandle sheet;
  SheetRangeHandle range;
  ASSERT_EQ(app->sheets(&sheets), kSheetOk);
  EXPECT_EQ(sheets->item(2, &sheet), kSheetBadArgument) << "the engine works on the first sheet";
  ASSERT_EQ(sheets->item(1, &sheet), kSheetOk);
  EXPECT_EQ(sheet->range(QStringLiteral("A1:"), &range), kSheetBadArgument);
  ASSERT_EQ(sheet->range(QStringLiteral("A1:D13"), &range), kSheetOk);
  EXPECT_EQ(range->reference(), "A1:D13");
  EXPECT_EQ(range->setItem(0, 1, QStringLiteral("x")), kSheetBadArgument);
  EXPECT_EQ(range->setItem(1, 1, QStringLiteral("x")), kSheetOk);

  EXPECT_EQ(book->close(false), kSheetOk);
  EXPECT_EQ(book->close(false), kSheetGone) << "a closed workbook cannot be closed again";
  EXPECT_EQ(range->setItem(1, 1, QStringLiteral("x")), kSheetGone);
  EXPECT_EQ(app->sheets(&sheets), kSheetGone) << "no workbook is open";

  ASSERT_EQ(books->open(templateFile(), &book), kSheetOk);
  EXPECT_EQ(app->quit(), kSheetOk);
  EXPECT_EQ(book->close(false), kSheetGone);
  EXPECT_EQ(book->saveAs(QDir::temp().filePath("never.xlsx")), kSheetGone);
  EXPECT_EQ(books->open(templateFile(), &book), kSheetGone);
  EXPECT_EQ(app->quit(), kSheetGone);
}

TEST(WorkbookEngine, SaveNeverOverwritesTheFileOpened) {
  QTemporaryDir dir;
  const QString copy = dir.filePath("template.xl");
  ASSERT_TRUE(QFile::copy(templateFile(), copy));
  const QByteArray original = fileBytes(copy);
  SheetAppHandle app;
  SheetApp::newApp(&app);
  SheetWorkbooksHandle books;
  SheetWorkbookHandle book;
  SheetCollectionHandle sheets;
  SheetWorksheetHandle sheet;
  SheetRangeHandle range;
  app->workbooks(&books);
  ASSERT_EQ(books->open(copy, &book), kSheetOk);
  EXPECT_EQ(book->save(), kSheetOk) << "nothing changed, nothing to write";
  app->sheets(&sheets);
  sheets->item(1, &sheet);
  sheet->range(QStringLiteral("A1"), &range);
  range->setItem(1, 1, QStringLiteral("changed"));
  EXPECT_EQ(book->save(), kSheetFileError);
  EXPECT_EQ(fileBytes(copy), original) << "the template stays as supplied";

  // Once saved under a name of its own, Save writes there.
  const QString named = dir.filePath("named.xlsx");
  ASSERT_EQ(book->saveAs(named), kSheetOk);
  range->setItem(2, 1, QStringLiteral("later"));
  EXPECT_EQ(book->save(), kSheetOk);
  EXPECT_EQ(cellText(readWorkbook(named), "A2"), "later");
  EXPECT_EQ(fileBytes(copy), original);
}

TEST(WorkbookFileFormat, CellReferencesRoundTrip) {
  EXPECT_EQ(cellReference(1, 1), "A1");
  EXPECT_EQ(cellReference(13, 4), "D13");
  EXPECT_EQ(cellReference(1, 27), "AA1");
  EXPECT_EQ(cellReference(1048576, 16384), "XFD1048576");
  int row = 0, column = 0;
  EXPECT_TRUE(parseCellReference("XFD1048576", &row, &column));
  EXPECT_EQ(row, 1048576);
  EXPECT_EQ(column, 16384);
  for (const char* bad : {"", "A", "12", "A0", "XFE1", "A1048577", "A1B", "Ä1"})
    EXPECT_FALSE(parseCellReference(QString::fromUtf8(bad), &row, &column)) << bad;
}

TEST(WorkbookFileFormat, CellsAreInsertedInSheetOrder) {
  QString error;
  auto book = WorkbookFile::load(templateFile(), &error);
  ASSERT_NE(book, nullptr) << error.toStdString();
  // Out of order on purpose: row 3 goes between rows 2 and 4, B1 between A1 and D1.
  EXPECT_TRUE(book->setText(3, 2, QStringLiteral("middle")));
  EXPECT_TRUE(book->setText(1, 2, QStringLiteral("b1")));
  EXPECT_TRUE(book->setText(9, 6, QStringLiteral("far")));
  EXPECT_FALSE(book->setText(0, 1, QStringLiteral("x")));
  EXPECT_FALSE(book->setText(1, WorkbookFile::kMaxColumn + 1, QStringLiteral("x")));
  EXPECT_EQ(book->usedRange(), "A1:F9");
  QTemporaryDir dir;
  ASSERT_TRUE(book->saveTo(dir.filePath("order.xlsx"), &error)) << error.toStdString();
  const QJsonObject read = readWorkbook(dir.filePath("order.xlsx"));
  EXPECT_EQ(cellText(read, "B3"), "middle");
  EXPECT_EQ(cellText(read, "B1"), "b1");
  EXPECT_EQ(cellText(read, "D1"), "KARVEL");
  EXPECT_EQ(cellText(read, "F9"), "far");
  EXPECT_EQ(read["dimension"].toString(), "A1:F9");
}

TEST(SheetNames, ProposedNameIsTheFileNameUpToItsFirstDot) {
  EXPECT_EQ(proposedSheetName("C:\\karvel\\CAN_01.HTM"), "CAN_01.xlsx");
  EXPECT_EQ(proposedSheetName("C:\\karvel\\CAN_01.tmp"), "CAN_01.xlsx");
  EXPECT_EQ(proposedSheetName("C:\\My.Data\\bus.htm"), "bus.xlsx");
  EXPECT_EQ(proposedSheetName("/home/tech/results/run.2.htm"), "run.xlsx");
  EXPECT_EQ(proposedSheetName("plain"), "plain.xlsx");
  const QString longName = proposedSheetName(QString(300, u'x') + ".htm");
  EXPECT_EQ(longName.size(), excel::kSheetNameMax);
  EXPECT_TRUE(longName.endsWith(".xlsx"));
}

TEST(SheetTexts, EveryLanguageHasItsOwnText) {
  for (const Text5* text :
       {&excel::kReady, &excel::kFormatting, &excel::kSheetReady, &excel::kQuestion,
        &excel::kQuestionTitle, &excel::kRun, &excel::kBrowse, &excel::kSheetField}) {
    for (int language = 0; language < 5; ++language) EXPECT_FALSE(pick(*text, language).isEmpty());
    EXPECT_NE(pick(*text, French), pick(*text, English));
  }
  EXPECT_EQ(pick(excel::kQuestion, English), "Sheet already exist !    Overwrite Data ?\n");
  EXPECT_EQ(pick(excel::kFormatting, German), "Rechnenblatt formatieren\n");
}

TEST(SheetInLibreOffice, ConvertsToTheSameCellTexts) {
  if (sofficePath().isEmpty())
    GTEST_SKIP() << "LibreOffice (soffice) is not installed: spreadsheet check skipped";
  QTemporaryDir dir;
  ResultTable table = threeRowTable();
  table.rows.push_back(resultRow("Überschwingen, \"max\"", "0", "10 %", "3 %", "70"));
  const QString out = dir.filePath("lo.xlsx");
  QString error;
  ASSERT_TRUE(exportResultTable(templateFile(), table, German, out, &error)) << error.toStdString();
  const QList<QStringList> rows = convertWithLibreOffice(out);
  ASSERT_EQ(rows.size(), 8);
  const QList<QStringList> expected = {{"BUS DIAGNOSTIC RESULT CAN HIGH SPEED", "", "", "KARVEL"},
                                       {"CANHIGHSPEED 500 kbit/s", "", "Bus quality", "GOOD"},
                                       {"", "", "", ""},
                                       {"Messungen", "Min", "Max", "%"},
                                       {"Bit time", "1.9", "2.1", "2.0"},
                                       {"Differential voltage", "1.5", "3.0", "2.2"},
                                       {"Rise time", "0", "100", "120"},
                                       {"Überschwingen, \"max\"", "0", "10 %", "3 %"}};
  // Columns A to D as they were; the number columns follow.
  for (qsizetype i = 0; i < rows.size(); ++i)
    EXPECT_EQ(rows[i].mid(0, 4), expected[i]) << "row " << i + 1;
  EXPECT_EQ(rows[3].mid(4),
            QStringList({"Wert", "Minimum", "Maximum", "Einheit", "Abstand", "Status"}));
  EXPECT_EQ(rows[7].mid(4), QStringList({"3.00E+00", "0.00E+00", "10.00E+00", "%", "70", "pass"}));
}

TEST(SheetInLibreOffice, ATemplateSavedByLibreOfficeStillServes) {
  if (sofficePath().isEmpty())
    GTEST_SKIP() << "LibreOffice (soffice) is not installed: spreadsheet check skipped";
  // The template as a spreadsheet application rewrites it when someone edits
  // it: other attribute styles, spans, boolean words, its own part order.
  QTemporaryDir dir, profile;
  const QString input = dir.filePath("t.xlsx");
  ASSERT_TRUE(QFile::copy(templateFile(), input));
  QProcess soffice;
  soffice.start(sofficePath(), {QStringLiteral("-env:UserInstallation=file://") + profile.path(),
                                QStringLiteral("--headless"), QStringLiteral("--convert-to"),
                                QStringLiteral("xlsx:Calc MS Excel 2007 XML"),
                                QStringLiteral("--outdir"), dir.filePath("resaved"), input});
  ASSERT_TRUE(soffice.waitForFinished(120000));
  const QString resaved = dir.filePath("resaved/t.xlsx");
  ASSERT_TRUE(QFile::exists(resaved));

  QString error;
  const QString out = dir.filePath("out.xlsx");
  ASSERT_TRUE(exportResultTable(resaved, threeRowTable(), English, out, &error))
      << error.toStdString();
  const QJsonObject book = readWorkbook(out);
  EXPECT_EQ(cellText(book, "A1"), "BUS DIAGNOSTIC RESULT CAN HIGH SPEED");
  EXPECT_EQ(cellText(book, "D1"), "KARVEL");
  EXPECT_EQ(cellText(book, "C2"), "Bus quality");
  EXPECT_EQ(cellText(book, "D7"), "120");
  EXPECT_EQ(book["dimension"].toString(), "A1:J7");
  EXPECT_EQ(cellInfo(book, "J7")["fill"].toString(), "FFFF0000") << "its styles took the fills";
  EXPECT_EQ(cellInfo(book, "B5")["align"].toString(), "center") << "the column style still applies";
  const QList<QStringList> rows = convertWithLibreOffice(out);
  ASSERT_EQ(rows.size(), 7);
  EXPECT_EQ(rows[6].mid(0, 4), (QStringList{"Rise time", "0", "100", "120"}));
  EXPECT_EQ(rows[6].value(9), "fail");
}

namespace {

// A copy of the template whose first sheet is `sheetXml`.
QString templateWithSheet(const QTemporaryDir& dir, const QByteArray& sheetXml) {
  const QString path = dir.filePath("custom.xl");
  QFile::remove(path);
  QFile::copy(templateFile(), path);
  QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
  int err = 0;
  zip_t* zip = zip_open(path.toLocal8Bit().constData(), 0, &err);
  if (!zip) return {};
  zip_source_t* source = zip_source_buffer(zip, sheetXml.constData(), sheetXml.size(), 0);
  zip_file_replace(zip, zip_name_locate(zip, "xl/worksheets/sheet1.xml", 0), source, 0);
  zip_close(zip);
  return path;
}

}  // namespace

TEST(WorkbookFileFormat, PrefixedElementsAndImplicitPositionsAreUnderstood) {
  QTemporaryDir dir;
  const QByteArray sheet =
      "<?xml version=\"1.0\"?>"
      "<x:worksheet xmlns:x=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
      "<x:sheetData>"
      "<x:row><x:c t=\"inlineStr\"><x:is><x:t>first</x:t></x:is></x:c><x:c/></x:row>"
      "<x:row r=\"3\" spans=\"1:2\"><x:c r=\"B3\" t=\"inlineStr\"><x:is><x:t "
      "xml:space=\"preserve\"> </x:t></x:is></x:c></x:row>"
      "</x:sheetData></x:worksheet>";
  const QString custom = templateWithSheet(dir, sheet);
  QString error;
  auto book = WorkbookFile::load(custom, &error);
  ASSERT_NE(book, nullptr) << error.toStdString();
  EXPECT_EQ(book->usedRange(), "A1:B3");
  book->setText(2, 1, QStringLiteral("inserted"));
  book->setText(3, 4, QStringLiteral("after"));
  ASSERT_TRUE(book->saveTo(dir.filePath("out.xlsx"), &error)) << error.toStdString();
  const QJsonObject read = readWorkbook(dir.filePath("out.xlsx"));
  ASSERT_FALSE(read.contains("error")) << read["error"].toString().toStdString();
  EXPECT_EQ(cellText(read, "A1"), "first");
  EXPECT_EQ(cellText(read, "A2"), "inserted");
  EXPECT_EQ(cellText(read, "B3"), " ") << "a blank-only text is content";
  EXPECT_EQ(cellText(read, "D3"), "after");
  EXPECT_EQ(read["dimension"].toString(), "A1:D3");
}

TEST(WorkbookFileFormat, DamagedSheetsAreRefusedWithAReason) {
  QTemporaryDir dir;
  const char* damaged[] = {
      "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>"
      "<row r=\"3\"/><row r=\"2\"/></sheetData></worksheet>",
      "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>"
      "<row r=\"1\"><c r=\"B1\"/><c r=\"A1\"/></row></sheetData></worksheet>",
      "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>"
      "<row r=\"1\"><c r=\"A2\"/></row></sheetData></worksheet>",
      "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"/>",
      "<worksheet><sheetData><row r=\"1\"><c r=\"A1\"></row></sheetData></worksheet>",
      "<chartsheet/>"};
  for (const char* xml : damaged) {
    QString error;
    EXPECT_EQ(WorkbookFile::load(templateWithSheet(dir, xml), &error), nullptr) << xml;
    EXPECT_FALSE(error.isEmpty()) << xml;
  }
}
