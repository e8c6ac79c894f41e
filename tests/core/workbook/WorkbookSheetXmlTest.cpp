// SPDX-License-Identifier: GPL-3.0-or-later
// The sheet XML of a written workbook as it stands in the package, before
// any reader library normalises it: blanks kept, a lone carriage return
// escaped, and cell references past column Z.
#include <gtest/gtest.h>

#include <zip.h>
#include <QTemporaryDir>

#include "core/workbook/Workbook.h"

using namespace karvel;

namespace {

QByteArray packagePart(const QString& path, const char* part) {
  int err = 0;
  zip_t* zip = zip_open(path.toLocal8Bit().constData(), ZIP_RDONLY, &err);
  if (!zip) return {};
  QByteArray out;
  zip_stat_t st;
  zip_stat_init(&st);
  if (zip_stat(zip, part, 0, &st) == 0) {
    if (zip_file_t* file = zip_fopen(zip, part, 0)) {
      out.resize(static_cast<qsizetype>(st.size));
      if (zip_fread(file, out.data(), st.size) != static_cast<zip_int64_t>(st.size)) out.clear();
      zip_fclose(file);
    }
  }
  zip_discard(zip);
  return out;
}

}  // namespace

TEST(WorkbookSheetXml, BlanksCarriageReturnsAndLongColumnNamesAsWritten) {
  QString error;
  auto book = WorkbookFile::load(QStringLiteral(KARVEL_APPDIR "/karvel.xl"), &error);
  ASSERT_NE(book, nullptr) << error.toStdString();
  ASSERT_TRUE(book->setText(20, 1, QStringLiteral(" lead")));
  ASSERT_TRUE(book->setText(20, 2, QStringLiteral("trail ")));
  ASSERT_TRUE(book->setText(20, 3, QStringLiteral("in side")));
  ASSERT_TRUE(book->setText(20, 4, QStringLiteral("a\rb\r\nc")));
  // Written out of order on purpose: each lands in column order.
  for (int column : {703, 26, 702, 53, 27, 52}) ASSERT_TRUE(book->setText(21, column, "x"));
  QTemporaryDir dir;
  const QString path = dir.filePath("xml.xlsx");
  ASSERT_TRUE(book->saveTo(path, &error)) << error.toStdString();
  const QByteArray xml = packagePart(path, book->sheetPart().c_str());
  ASSERT_FALSE(xml.isEmpty());

  EXPECT_TRUE(xml.contains("<t xml:space=\"preserve\"> lead</t>"));
  EXPECT_TRUE(xml.contains("<t xml:space=\"preserve\">trail </t>"));
  EXPECT_TRUE(xml.contains("<t>in side</t>"));
  // XML readers turn a raw carriage return into a line feed; escaped it stays.
  EXPECT_TRUE(xml.contains("<t>a_x000D_b_x000D_\nc</t>"));
  EXPECT_FALSE(xml.contains('\r' + QByteArray("b")));

  const qsizetype row = xml.indexOf("<row r=\"21\"");
  ASSERT_GE(row, 0);
  const QByteArray cells = xml.mid(row, xml.indexOf("</row>", row) - row);
  qsizetype at = 0;
  for (const char* ref : {"Z21", "AA21", "AZ21", "BA21", "ZZ21", "AAA21"}) {
    const qsizetype next = cells.indexOf(QByteArray("<c r=\"") + ref + '"', at);
    ASSERT_GE(next, at) << ref << " missing or out of order";
    at = next;
  }
  EXPECT_TRUE(xml.contains("<dimension ref=\"A1:AAA21\"/>"));
}
