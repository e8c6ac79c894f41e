// SPDX-License-Identifier: GPL-3.0-or-later
// Spreadsheet export of a large results table: a fresh copy of the template,
// 5,000 rows written cell by cell, and the workbook saved. Target: under 300 ms.
// Then 20 results of 250 rows each into one workbook (summary sheet and a
// sheet per result).
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "core/frame/AppState.h"
#include "core/workbook/SheetExport.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  karvel::ResultTable table;
  table.tableLabel = QStringLiteral("BUS DIAGNOSTIC RESULT CAN HIGH SPEED");
  table.busHeading = QStringLiteral("CANHIGHSPEED 500 kbit/s");
  table.verdict = QStringLiteral("GOOD");
  for (int i = 0; i < 5000; ++i) {
    karvel::ResultRow row;
    row.cells = {QStringLiteral("Measurement n° %1").arg(i), QString::number(i * 0.5, 'f', 2),
                 QString::number(i * 1.5, 'f', 2), QString::number(i, 'f', 3),
                 QString::number(i % 100)};
    table.rows.push_back(row);
  }
  QTemporaryDir dir;
  const QString templateFile = QStringLiteral(KARVEL_APPDIR "/karvel.xl");
  std::vector<double> times;
  for (int run = 0; run < 7; ++run) {
    QElapsedTimer timer;
    timer.start();
    QString error;
    if (!karvel::exportResultTable(templateFile, table, karvel::English, dir.filePath("bench.xlsx"),
                                   &error)) {
      std::fprintf(stderr, "export failed: %s\n", qPrintable(error));
      return 1;
    }
    times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
  }
  std::sort(times.begin(), times.end());
  const double median = times[times.size() / 2];
  std::printf(
      "export of 5000 rows: median %.1f ms, best %.1f ms, worst %.1f ms (target < 300 ms) %s\n",
      median, times.front(), times.back(), median < 300.0 ? "OK" : "TOO SLOW");

  std::vector<karvel::ResultTable> runs;
  for (int r = 0; r < 20; ++r) {
    karvel::ResultTable t = table;
    t.sourcePath = QStringLiteral("/runs/CAN_RUN_%1.HTM").arg(r, 2, 10, QLatin1Char('0'));
    t.rows.resize(250);
    for (std::size_t i = 0; i < t.rows.size(); ++i) {
      t.rows[i].cells = {QStringLiteral("Measurement %1").arg(i), QStringLiteral("1.00 µs"),
                         QStringLiteral("3.00 µs"), QStringLiteral("%1 µs").arg(1 + i % 3),
                         QStringLiteral("%1 %").arg(i % 100)};
      t.rows[i].status = static_cast<karvel::Status>(i % 3);
    }
    runs.push_back(std::move(t));
  }
  std::vector<double> several;
  for (int run = 0; run < 5; ++run) {
    QElapsedTimer timer;
    timer.start();
    QString error;
    if (!karvel::exportResultTables(templateFile, runs, karvel::English, dir.filePath("runs.xlsx"),
                                    &error)) {
      std::fprintf(stderr, "export failed: %s\n", qPrintable(error));
      return 1;
    }
    several.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
  }
  std::sort(several.begin(), several.end());
  std::printf(
      "export of 20 results of 250 rows into one workbook: median %.1f ms, best %.1f ms, "
      "worst %.1f ms\n",
      several[several.size() / 2], several.front(), several.back());
  return 0;
}
