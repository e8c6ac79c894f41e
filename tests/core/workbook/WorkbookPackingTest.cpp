// SPDX-License-Identifier: GPL-3.0-or-later
// Large exports without large memory: finished rows packed while a sheet is
// written give the very same workbook, results are read one at a time, a
// comparison that let its rows go writes the same sheets, the charts stop at
// their cap, and the peak memory of a real export stays within ten times
// its input.
#include <gtest/gtest.h>
#include <zip.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
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

// AddressSanitizer's shadow memory and quarantine are no measure of the
// program's own memory.
#if defined(__SANITIZE_ADDRESS__)
#define KARVEL_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KARVEL_ASAN 1
#endif
#endif
#ifdef KARVEL_ASAN
#define SKIP_UNDER_ADDRESS_SANITIZER() GTEST_SKIP() << "not measured under AddressSanitizer"
#else
#define SKIP_UNDER_ADDRESS_SANITIZER() (void)0
#endif

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
  SKIP_UNDER_ADDRESS_SANITIZER();
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

// Packed rows wait in a temporary file rather than in memory, and the save
// streams the package into its file: the same parts as the package in
// memory, whether or not a temporary folder could be had.
TEST(WorkbookPacking, PackedRowsWaitOnDiskAndTheSaveStreamsTheSamePackage) {
  QTemporaryDir spool, dir;
  const QByteArray oldTemp = qgetenv("TMPDIR");
  auto book = [&](const QByteArray& temp) {
    qputenv("TMPDIR", temp);
    QString error;
    auto b = WorkbookFile::load(templateFile(), &error);
    EXPECT_TRUE(b) << error.toStdString();
    if (b) writeRows(*b, true);
    return b;
  };
  auto spooled = book(spool.path().toLocal8Bit());
  auto held = book(dir.filePath("missing").toLocal8Bit());
  qputenv("TMPDIR", oldTemp);
  ASSERT_TRUE(spooled && held);
  // The spool file may have no name (Linux makes it unnamed): look for it
  // among the open files.
  auto spoolSize = [&] {
    qint64 size = 0;
#ifdef Q_OS_LINUX
    for (const QFileInfo& fd : QDir("/proc/self/fd").entryInfoList(QDir::System | QDir::Files))
      if (fd.symLinkTarget().startsWith(spool.path())) size += QFileInfo(fd.filePath()).size();
#endif
    return size;
  };
#ifdef Q_OS_LINUX
  EXPECT_GT(spoolSize(), 1000);
#endif
  QString error;
  const auto expected = partsOf(held->toBytes(&error));
  ASSERT_GT(expected.size(), 3u) << error.toStdString();
  for (WorkbookFile* b : {spooled.get(), held.get()}) {
    const QString path = dir.filePath(b == held.get() ? "held.xlsx" : "spooled.xlsx");
    ASSERT_TRUE(b->saveTo(path, &error)) << error.toStdString();
    auto parts = partsOfFile(path);
    auto wanted = expected;
    wanted.erase("docProps/core.xml");
    EXPECT_TRUE(parts == wanted);
  }
  EXPECT_TRUE(partsOf(spooled->toBytes(&error)) == expected);
  // Nothing but the two workbooks is left in their folder.
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
            (QStringList{"held.xlsx", "spooled.xlsx"}));
  spooled.reset();
  EXPECT_EQ(spoolSize(), 0);
  EXPECT_TRUE(QDir(spool.path()).entryList({"karvel-rows-*"}, QDir::Files).isEmpty());
}

// The command line lends its comparison to the workbook, which holds its
// measurements packed meanwhile: the same workbook, and the measurements
// back exactly as they were, missing numbers included, even after a failure.
TEST(WorkbookPacking, ALentComparisonWritesTheSameWorkbookAndComesBackWhole) {
  QTemporaryDir dir;
  QStringList paths;
  for (int day = 21; day <= 23; ++day) {
    paths << dir.filePath(QStringLiteral("RUN_%1.HTM").arg(day));
    // The last run is shorter: its later measurements are missing.
    ASSERT_TRUE(writeBytes(paths.last(), bigResultText(day == 23 ? 20 * 1024 : 30 * 1024, day)));
  }
  QString error;
  CompareOptions options;
  options.keepRows = false;
  const auto original = compareResultFiles(paths, options, English, &error);
  ASSERT_TRUE(original) << error.toStdString();
  auto lent = original;
  const QString a = dir.filePath("const.xlsx"), b = dir.filePath("lent.xlsx");
  ASSERT_TRUE(exportComparison(templateFile(), *original, English, a, &error));
  ASSERT_TRUE(exportComparisonReleasing(templateFile(), *lent, English, b, &error));
  EXPECT_TRUE(partsOfFile(a) == partsOfFile(b));

  auto same = [&] {
    ASSERT_EQ(lent->measurements.size(), original->measurements.size());
    bool anyMissing = false;
    for (std::size_t i = 0; i < original->measurements.size(); ++i) {
      const CompareMeasurement& x = original->measurements[i];
      const CompareMeasurement& y = lent->measurements[i];
      EXPECT_EQ(x.name, y.name);
      EXPECT_EQ(x.unit, y.unit);
      EXPECT_EQ(x.values, y.values);
      EXPECT_EQ(x.minimum, y.minimum);
      EXPECT_EQ(x.maximum, y.maximum);
      EXPECT_EQ(x.margins, y.margins);
      EXPECT_EQ(x.statuses, y.statuses);
      EXPECT_EQ(x.trend, y.trend);
      EXPECT_EQ(x.marginShrank, y.marginShrank);
      anyMissing |= !x.values[2];
    }
    EXPECT_TRUE(anyMissing);
  };
  same();
  QFile::remove(paths[0]);
  EXPECT_FALSE(
      exportComparisonReleasing(templateFile(), *lent, English, dir.filePath("gone.xlsx"), &error));
  EXPECT_TRUE(error.contains("RUN_21.HTM")) << error.toStdString();
  same();
}

// More results in one workbook do not take more memory: the packed rows
// and the package go to disk as they are made. A comparison written into a
// workbook stays within ten times its largest input too.
TEST(WorkbookPacking, PeakMemoryDoesNotGrowWithTheNumberOfResults) {
  SKIP_UNDER_ADDRESS_SANITIZER();
  QTemporaryDir dir;
  constexpr qsizetype kSize = 3 * 1024 * 1024;
  QStringList inputs;
  for (int day = 21; day <= 27; ++day) {
    inputs << dir.filePath(QStringLiteral("RUN_%1.HTM").arg(day));
    ASSERT_TRUE(writeBytes(inputs.last(), bigResultText(kSize, day)));
  }
  const QString cli = QStringLiteral(KARVEL_APPDIR "/karvel-cli");
  const QString out = dir.filePath("out.xlsx");
  const PeakRun start = runForPeakMemory(
      cli, {"result", "export", KARVEL_SOURCE_DIR "/resources/samples/LIN_PASS.HTM", out});
  const PeakRun three =
      runForPeakMemory(cli, QStringList{"result", "export"} + inputs.mid(0, 3) + QStringList{out});
  const PeakRun seven =
      runForPeakMemory(cli, QStringList{"result", "export"} + inputs + QStringList{out});
  const PeakRun compared = runForPeakMemory(
      cli, QStringList{"result", "compare"} + inputs.mid(0, 3) + QStringList{"--workbook", out});
  ASSERT_EQ(start.exitCode, 0);
  ASSERT_EQ(three.exitCode, 0);
  ASSERT_EQ(seven.exitCode, 0);
  ASSERT_EQ(compared.exitCode, 0);
  auto beyondStart = [&](const PeakRun& run) {
    return static_cast<double>(run.peakKiB - start.peakKiB) * 1024 / static_cast<double>(kSize);
  };
  // Four more files once took about nine more inputs' worth.
  EXPECT_LE(beyondStart(seven) - beyondStart(three), 1.5)
      << "three " << three.peakKiB << " KiB, seven " << seven.peakKiB << " KiB";
  EXPECT_LE(beyondStart(compared), 10.0) << "peak " << compared.peakKiB << " KiB";
}
