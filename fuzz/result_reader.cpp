// SPDX-License-Identifier: GPL-3.0-or-later
// Result files from any bytes: the text as the file loader makes it, walked by
// the reader into a results table. The reader alone, so that it runs thousands
// of inputs a second; fuzz/result_export.cpp exports what it reads.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "FuzzSupport.h"
#include "core/frame/AppState.h"
#include "core/results/ResultReader.h"

using namespace karvel;

namespace {

bool isColour(Status s) { return s == Status::Green || s == Status::Red || s == Status::Yellow; }

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
  return 0;
}
