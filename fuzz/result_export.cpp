// SPDX-License-Identifier: GPL-3.0-or-later
// Result files from any bytes, read as fuzz/result_reader.cpp reads them, and
// exported as the spreadsheet dialog and karvel-cli do (and compared with
// itself, charts included): every workbook must be saved and must open,
// whatever texts the file held. An export takes tens of milliseconds, so only
// files read whole are exported: those are what the fuzzer keeps mutating from
// the samples, and they carry every text a partial read can carry.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "FuzzSupport.h"
#include "core/frame/AppState.h"
#include "core/results/Compare.h"
#include "core/results/ResultReader.h"
#include "core/workbook/SheetExport.h"
#include "support/WorkbookCheck.h"

using namespace karvel;

namespace {

// The export must succeed and its workbook be sound; either failure is a
// crash with the reason.
void checkWorkbook(bool saved, const QString& path, const QString& error) {
  if (!saved) {
    std::fprintf(stderr, "karvel fuzz: export failed: %s\n", qPrintable(error));
    std::abort();
  }
  QFile file(path);
  const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  const QString fault = test::workbookFault(bytes);
  if (!fault.isEmpty()) {
    std::fprintf(stderr, "karvel fuzz: unsound workbook: %s\n", qPrintable(fault));
    std::abort();
  }
}

void exportAndCheck(const ResultTable& table) {
  static const QString templateFile = QStringLiteral(KARVEL_FUZZ_TEMPLATE);
  static const QString target = fuzz::scratchPath(QStringLiteral("fuzz.xlsx"));
  QString error;
  checkWorkbook(exportResultTable(templateFile, table, English, target, &error), target, error);

  // Two runs of the same result a day apart: a comparison with a chart per
  // measurement, whose titles and series carry the names as read.
  CompareRun first{table, QDateTime(QDate(2026, 3, 1), QTime(14, 5)), DateSource::Result};
  CompareRun second{table, first.date.addDays(1), DateSource::Result};
  const std::optional<Comparison> comparison =
      compareRuns({first, second}, CompareOptions{}, &error, English);
  if (!comparison) return;
  checkWorkbook(exportComparison(templateFile, *comparison, English, target, &error), target,
                error);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QByteArray text = resultTextFromBytes(
      QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
  const ResultTable table = readResultText(text, QStringLiteral("C:\\results\\fuzz.HTM"), English);
  if (table.problemMarker.isEmpty()) exportAndCheck(table);
  return 0;
}
