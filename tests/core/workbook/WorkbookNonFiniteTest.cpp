// SPDX-License-Identifier: GPL-3.0-or-later
// Numbers too large for a double once their prefixes are folded in ("1e300
// V/ps"), and the margins and bands worked out from them, become infinities
// or NaN: none of them may reach a cell, which spreadsheet programs would
// refuse or show as an error.
#include <gtest/gtest.h>
#include <zip.h>

#include <QTemporaryDir>
#include <cmath>
#include <pugixml.hpp>

#include "core/frame/AppState.h"
#include "core/results/Compare.h"
#include "core/workbook/SheetExport.h"
#include "core/workbook/Workbook.h"
#include "support/ExportFixtures.h"

using namespace karvel;
using namespace karvel::test;

namespace {

// Every number cell value of every worksheet, as written.
QStringList numberCells(const QString& path) {
  QStringList out;
  int zerr = 0;
  zip_t* zip = zip_open(path.toLocal8Bit().constData(), ZIP_RDONLY, &zerr);
  if (!zip) return {QStringLiteral("cannot open")};
  for (zip_int64_t i = 0; i < zip_get_num_entries(zip, 0); ++i) {
    const std::string name = zip_get_name(zip, static_cast<zip_uint64_t>(i), 0);
    if (name.rfind("xl/worksheets/", 0) != 0 || name.find("_rels") != std::string::npos) continue;
    zip_stat_t st;
    zip_stat_index(zip, static_cast<zip_uint64_t>(i), 0, &st);
    std::string xml(static_cast<std::size_t>(st.size), '\0');
    zip_file_t* file = zip_fopen_index(zip, static_cast<zip_uint64_t>(i), 0);
    zip_fread(file, xml.data(), st.size);
    zip_fclose(file);
    pugi::xml_document doc;
    doc.load_buffer(xml.data(), xml.size());
    for (const pugi::xpath_node& v : doc.select_nodes("//*[local-name()='c']/*[local-name()='v']"))
      out << QString::fromUtf8(v.node().text().get());
  }
  zip_close(zip);
  return out;
}

// The values that are no finite number.
QStringList nonFinite(const QStringList& values) {
  QStringList bad;
  for (const QString& v : values) {
    bool ok = false;
    const double d = v.toDouble(&ok);
    if (!ok || !std::isfinite(d)) bad << v;
  }
  return bad;
}

ResultTable hugeTable(const QString& path) {
  ResultTable t;
  t.sourcePath = path;
  t.busHeading = QStringLiteral("CAN");
  t.rows = {resultRow("Infinite value", "0 V/ps", "2 V/ps", "1e300 V/ps", "1e300 V/ps"),
            resultRow("Infinite band", "-1e300 V/ps", "1e300 V/ps", "1 V/ps", "50 %"),
            resultRow("Infinite value and band", "0 V/ps", "1e300 V/ps", "1e300 V/ps", "5 %"),
            resultRow("Finite", "1 V", "3 V", "2 V", "50 %")};
  return t;
}

}  // namespace

TEST(WorkbookNonFinite, NoInfinityOrNanReachesACell) {
  QTemporaryDir dir;
  const QString templateFile = QStringLiteral(KARVEL_APPDIR "/karvel.xl");
  QString error;

  const QString single = dir.filePath("single.xlsx");
  ASSERT_TRUE(exportResultTable(templateFile, hugeTable("/r/A.HTM"), English, single, &error))
      << error.toStdString();
  const QStringList singleValues = numberCells(single);
  EXPECT_EQ(nonFinite(singleValues), QStringList());
  // The finite row's numbers are there: the check looked at the cells.
  EXPECT_TRUE(singleValues.contains(QStringLiteral("2"))) << singleValues.join(u' ').toStdString();

  CompareRun first{hugeTable("/r/A.HTM"), QDateTime(QDate(2026, 3, 1), QTime(9, 0)),
                   DateSource::Result};
  CompareRun second{hugeTable("/r/B.HTM"), first.date.addDays(1), DateSource::Result};
  second.table.rows[3].cells[3] = QStringLiteral("2.5 V");
  const auto comparison = compareRuns({first, second}, {}, &error, English);
  ASSERT_TRUE(comparison) << error.toStdString();
  // The comparison's own figures are not finite either: the workbook must
  // leave them out, not the comparison.
  EXPECT_FALSE(std::isfinite(comparison->measurements[0].values[0].value_or(0)));
  EXPECT_FALSE(std::isfinite(comparison->measurements[2].margins[0].value_or(0)));
  const QString compared = dir.filePath("compared.xlsx");
  ASSERT_TRUE(exportComparison(templateFile, *comparison, English, compared, &error))
      << error.toStdString();
  const QStringList comparedValues = numberCells(compared);
  EXPECT_EQ(nonFinite(comparedValues), QStringList());
  EXPECT_TRUE(comparedValues.contains(QStringLiteral("2.5")));

  // And through the engine itself.
  std::unique_ptr<WorkbookFile> book = WorkbookFile::load(templateFile, &error);
  ASSERT_TRUE(book);
  for (double bad : {INFINITY, -INFINITY, NAN}) EXPECT_TRUE(book->setNumber(20, 2, bad));
  EXPECT_TRUE(book->setNumber(21, 2, 4.5));
  const QString engine = dir.filePath("engine.xlsx");
  ASSERT_TRUE(book->saveTo(engine, &error)) << error.toStdString();
  const QStringList engineValues = numberCells(engine);
  EXPECT_EQ(nonFinite(engineValues), QStringList());
  EXPECT_TRUE(engineValues.contains(QStringLiteral("4.5")));
}
