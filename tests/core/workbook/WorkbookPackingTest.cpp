// Large exports without large memory: finished rows packed while a sheet is
// written give the very same workbook, results are read one at a time, a
// comparison that let its rows go writes the same sheets, the charts stop at
// their cap, and the peak memory of a real export stays within ten times
// its input.
#include <gtest/gtest.h>
#include <zip.h>

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>
#include <map>

#include "core/frame/AppState.h"
#include "core/results/Compare.h"
#include "core/results/CompareTexts.h"
#include "core/results/ResultReader.h"
#include "core/workbook/SheetExport.h"
#include "core/workbook/Workbook.h"
#include "support/ExportFixtures.h"
#include "support/PeakMemory.h"

using namespace karvel;
using namespace karvel::test;

namespace {

QString templateFile() { return QStringLiteral(KARVEL_APPDIR "/karvel.xl"); }

// Every part of a package by name, unpacked.
std::map<std::string, std::string> partsOf(const QByteArray& bytes) {
  std::map<std::string, std::string> parts;
  zip_error_t zerr;
  zip_error_init(&zerr);
  zip_source_t* source = zip_source_buffer_create(
      bytes.constData(), static_cast<zip_uint64_t>(bytes.size()), 0, &zerr);
  zip_t* zip = source ? zip_open_from_source(source, ZIP_RDONLY, &zerr) : nullptr;
  zip_error_fini(&zerr);
  if (!zip) return parts;
  for (zip_int64_t i = 0; i < zip_get_num_entries(zip, 0); ++i) {
    zip_stat_t st;
    zip_stat_index(zip, static_cast<zip_uint64_t>(i), 0, &st);
    std::string text(static_cast<std::size_t>(st.size), '\0');
    zip_file_t* file = zip_fopen_index(zip, static_cast<zip_uint64_t>(i), 0);
    zip_fread(file, text.data(), st.size);
    zip_fclose(file);
    parts[st.name] = std::move(text);
  }
  zip_close(zip);
  return parts;
}

std::map<std::string, std::string> partsOfFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  auto parts = partsOf(file.readAll());
  parts.erase("docProps/core.xml");  // the time of the save
  return parts;
}

// Rows of texts and numbers that exercise the writer: blanks kept, text
// that looks like the packing's own mark, a number, an empty row between.
void writeRows(WorkbookFile& book, bool pack) {
  for (int row = 1; row <= 2600; ++row) {
    if (row % 7 == 0) continue;
    book.setText(row, 1, QStringLiteral("Row %1").arg(row));
    book.setText(row, 2, row % 5 ? QStringLiteral(" <?karvel-packed-rows?> ") : QString());
    book.setNumber(row, 4, row * 0.25);
    if (pack && row % 300 == 0) book.packRowsAbove(row + 1);
  }
}

}  // namespace

TEST(WorkbookPacking, PackedRowsGiveTheSameWorkbook) {
  QString error;
  auto plain = WorkbookFile::load(templateFile(), &error);
  auto packed = WorkbookFile::load(templateFile(), &error);
  ASSERT_TRUE(plain && packed) << error.toStdString();
  writeRows(*plain, false);
  writeRows(*packed, true);
  EXPECT_EQ(packed->usedRange(), plain->usedRange());
  // A packed row is finished: its cells are refused, the rows below are not.
  EXPECT_FALSE(packed->setText(3, 1, QStringLiteral("late")));
  EXPECT_FALSE(packed->setNumber(2400, 9, 1.0));
  EXPECT_TRUE(packed->setText(2601, 1, QStringLiteral("after")));
  EXPECT_TRUE(plain->setText(2601, 1, QStringLiteral("after")));
  // The sheet is still the workbook's own: widths and the shown tab change.
  packed->setColumnWidth(12, 12, 9);
  plain->setColumnWidth(12, 12, 9);
  // A sheet whose rows are packed is no longer copied.
  EXPECT_EQ(packed->addSheet(QStringLiteral("Copy"), 1, 0, &error), -1);
  EXPECT_FALSE(error.isEmpty());
  EXPECT_EQ(packed->addSheet(QStringLiteral("Empty"), 1, -1, &error), 1);
  EXPECT_EQ(plain->addSheet(QStringLiteral("Empty"), 1, -1, &error), 1);
  ASSERT_TRUE(packed->activateSheet(1) && plain->activateSheet(1));

  const QByteArray a = plain->toBytes(&error);
  const QByteArray b = packed->toBytes(&error);
  ASSERT_FALSE(a.isEmpty() || b.isEmpty()) << error.toStdString();
  const auto expected = partsOf(a);
  ASSERT_GT(expected.at("xl/worksheets/sheet1.xml").size(), 100000u);
  EXPECT_TRUE(partsOf(b) == expected);
  // Saved twice, the packed rows are there both times.
  EXPECT_TRUE(partsOf(packed->toBytes(&error)) == expected);
}

TEST(WorkbookPacking, ResultsReadOneAtATimeAndAFailureWritesNothing) {
  QTemporaryDir dir;
  std::vector<ResultTable> tables;
  for (const char* name : {"/r/MONDAY.HTM", "/r/TUESDAY.HTM", "/r/FRIDAY.HTM"}) {
    ResultTable t = threeRowTable();
    t.sourcePath = QString::fromUtf8(name);
    tables.push_back(t);
  }
  QString error;
  const QString whole = dir.filePath("whole.xlsx");
  ASSERT_TRUE(exportResultTables(templateFile(), tables, English, whole, &error));
  // A source that hands each table out only when asked, and lets the one
  // before go: the same workbook.
  std::vector<std::size_t> asked;
  ResultTable current;
  const QString streamed = dir.filePath("streamed.xlsx");
  const QStringList paths = {tables[0].sourcePath, tables[1].sourcePath, tables[2].sourcePath};
  ASSERT_TRUE(exportResultSources(
      templateFile(), paths,
      [&](std::size_t i, QString*) {
        asked.push_back(i);
        current = tables[i];
        return &current;
      },
      English, streamed, &error))
      << error.toStdString();
  EXPECT_EQ(asked, (std::vector<std::size_t>{0, 1, 2}));
  EXPECT_TRUE(partsOfFile(streamed) == partsOfFile(whole));

  // The third cannot be had: its reason, and no workbook.
  const QString failed = dir.filePath("failed.xlsx");
  EXPECT_FALSE(exportResultSources(
      templateFile(), paths,
      [&](std::size_t i, QString* why) -> const ResultTable* {
        if (i == 2) {
          *why = QStringLiteral("FRIDAY.HTM: gone");
          return nullptr;
        }
        return &tables[i];
      },
      English, failed, &error));
  EXPECT_EQ(error, "FRIDAY.HTM: gone");
  EXPECT_FALSE(QFile::exists(failed));
}

TEST(WorkbookPacking, AComparisonWithoutItsRowsWritesTheSameWorkbook) {
  QTemporaryDir dir;
  QStringList paths;
  for (int day = 21; day <= 23; ++day) {
    paths << dir.filePath(QStringLiteral("RUN_%1.HTM").arg(day));
    ASSERT_TRUE(writeBytes(paths.last(), bigResultText(40 * 1024, day)));
  }
  QString error;
  CompareOptions kept, released;
  released.keepRows = false;
  const auto withRows = compareResultFiles(paths, kept, English, &error);
  const auto withoutRows = compareResultFiles(paths, released, English, &error);
  ASSERT_TRUE(withRows && withoutRows) << error.toStdString();
  ASSERT_EQ(withoutRows->runs.size(), 3u);
  for (const CompareRun& run : withoutRows->runs) {
    EXPECT_TRUE(run.rowsReleased);
    EXPECT_TRUE(run.table.rows.empty());
    EXPECT_EQ(run.table.busHeading, "CANHIGHSPEED - 500 kbit/s");
  }
  ASSERT_EQ(withoutRows->measurements.size(), withRows->measurements.size());
  EXPECT_GT(withRows->measurements.size(), 200u);
  for (std::size_t i = 0; i < withRows->measurements.size(); ++i) {
    EXPECT_EQ(withoutRows->measurements[i].name, withRows->measurements[i].name);
    EXPECT_EQ(withoutRows->measurements[i].values, withRows->measurements[i].values);
  }
  const QString a = dir.filePath("kept.xlsx"), b = dir.filePath("released.xlsx");
  ASSERT_TRUE(exportComparison(templateFile(), *withRows, English, a, &error));
  ASSERT_TRUE(exportComparison(templateFile(), *withoutRows, English, b, &error));
  const auto parts = partsOfFile(a);
  EXPECT_TRUE(partsOfFile(b) == parts);

  // Charts stop at their cap, and the sheet says so above them.
  int charts = 0;
  for (const auto& [name, text] : parts) charts += name.rfind("xl/charts/chart", 0) == 0;
  EXPECT_EQ(charts, excel::kMaxCharts);
  const QString note = pick(comparetext::kChartsCapped, English).arg(excel::kMaxCharts);
  bool noted = false;
  for (const auto& [name, text] : parts)
    noted |= QString::fromStdString(text).contains(note.toHtmlEscaped());
  EXPECT_TRUE(noted);

  // A file gone between the comparison and its workbook: the reason.
  QFile::remove(paths[1]);
  EXPECT_FALSE(
      exportComparison(templateFile(), *withoutRows, English, dir.filePath("gone.xlsx"), &error));
  EXPECT_TRUE(error.contains("RUN_22.HTM")) << error.toStdString();
}

// The program itself on a result of 3 MB: what it takes beyond its own
// start-up stays within ten times the file.
TEST(WorkbookPacking, ExportPeakMemoryStaysWithinTenTimesTheInput) {
  QTemporaryDir dir;
  const QString input = dir.filePath("BIG.HTM");
  const QByteArray text = bigResultText(3 * 1024 * 1024, 21);
  ASSERT_TRUE(writeBytes(input, text));
  const QString cli = QStringLiteral(KARVEL_APPDIR "/karvel-cli");
  const PeakRun small = runForPeakMemory(
      cli, {"result", "export", KARVEL_SOURCE_DIR "/resources/samples/LIN_PASS.HTM",
            dir.filePath("small.xlsx")});
  const PeakRun big = runForPeakMemory(cli, {"result", "export", input, dir.filePath("big.xlsx")});
  ASSERT_EQ(small.exitCode, 0);
  ASSERT_EQ(big.exitCode, 0);
  const double ratio =
      static_cast<double>(big.peakKiB - small.peakKiB) * 1024 / static_cast<double>(text.size());
  EXPECT_LE(ratio, 10.0) << "peak " << big.peakKiB << " KiB, start-up " << small.peakKiB << " KiB";
}
