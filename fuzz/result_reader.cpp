// SPDX-License-Identifier: GPL-3.0-or-later
// Result files from any bytes: the text as the file loader makes it, walked by
// the reader into a results table, which is then exported as the spreadsheet
// dialog and karvel-cli do (and compared with itself, charts included): every
// workbook must be saved and must open, whatever texts the file held.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "FuzzSupport.h"
#include "core/frame/AppState.h"
#include "core/results/Compare.h"
#include "core/results/ResultReader.h"
#include "core/workbook/SheetExport.h"
#include "support/WorkbookCheck.h"

using namespace karvel;

namespace {

bool isColour(Status s) { return s == Status::Green || s == Status::Red || s == Status::Yellow; }

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
  // A copy with nothing after its last byte (a QByteArray keeps a zero
  // there), so that the sanitizer sees any read past the text.
  const auto exact = std::make_unique<char[]>(static_cast<std::size_t>(text.size()));
  if (!text.isEmpty()) std::memcpy(exact.get(), text.constData(), std::size_t(text.size()));
  const ResultTable table = readResultText(QByteArray::fromRawData(exact.get(), text.size()),
                                           QStringLiteral("C:\\results\\fuzz.HTM"), English);

  FUZZ_CHECK(table.tableLabel.size() <= kResultPieceMax);
  FUZZ_CHECK(table.busHeading.size() <= kResultPieceMax);
  FUZZ_CHECK(table.verdict.size() <= kResultPieceMax);
  FUZZ_CHECK(isColour(table.verdictColour));
  for (const ResultRow& row : table.rows) {
    FUZZ_CHECK(row.status == Status::None || isColour(row.status));
    for (const QString& cell : row.cells) FUZZ_CHECK(cell.size() <= kResultPieceMax);
  }
  exportAndCheck(table);
  return 0;
}
