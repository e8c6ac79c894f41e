// SPDX-License-Identifier: GPL-3.0-or-later
// The tolerance bar of the results table: its geometry for values inside, at
// and beyond the band, the warning zones that follow the row's status, and
// the bar as the results window paints it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QPointer>
#include <QTableView>
#include <QTemporaryDir>

#include "core/frame/AppState.h"
#include "core/results/ToleranceBar.h"
#include "support/ExportFixtures.h"
#include "support/ScriptedInteraction.h"
#include "ui/results/ResultTableModel.h"
#include "ui/results/ResultWindow.h"
#include "ui/results/ToleranceBarDelegate.h"

using namespace karvel;
using namespace karvel::ui;
using karvel::test::resultRow;

namespace {

ToleranceValues values(double min, double max, double value, Status status = Status::Green) {
  return {min, max, value, status};
}

// A cell 200 by 20 at the origin, for a 16-pixel line.
ToleranceBarLayout layout(const ToleranceValues& v) {
  return layoutToleranceBar(QRectF(0, 0, 200, 20), 16, v);
}

}  // namespace

TEST(ToleranceBarValues, ReadTheRowsNumbersOrNothing) {
  const auto bit = toleranceValues(resultRow("Bit time", "9.70 µs", "10.30 µs", "10.02 µs", "7 %"));
  ASSERT_TRUE(bit);
  EXPECT_DOUBLE_EQ(bit->minimum, 9.70e-6);
  EXPECT_DOUBLE_EQ(bit->maximum, 10.30e-6);
  EXPECT_DOUBLE_EQ(bit->value, 10.02e-6);
  // Prefixes are folded before the units are compared; a bare 0 goes with any.
  const auto noise =
      toleranceValues(resultRow("Noise", "0", "200 mV", "0.171 V", "86 %", Status::Yellow));
  ASSERT_TRUE(noise);
  EXPECT_DOUBLE_EQ(noise->maximum, 0.2);
  EXPECT_EQ(noise->status, Status::Yellow);

  EXPECT_FALSE(toleranceValues(resultRow("Skew", "---", "---", "---", "---", Status::None)));
  EXPECT_FALSE(toleranceValues(resultRow("Skew", "0 ns", "10 ns", "---", "---")));
  EXPECT_FALSE(toleranceValues(resultRow("Mixed", "1 V", "2 V", "1.5 A", "50 %")));
  EXPECT_FALSE(toleranceValues(resultRow("Empty band", "2 V", "2 V", "2 V", "0 %")));
  EXPECT_FALSE(toleranceValues(resultRow("Upside down", "3 V", "2 V", "2.5 V", "0 %")));
}

TEST(ToleranceBarLayout, ValueInsideTheBand) {
  const ToleranceBarLayout bar = layout(values(0, 10, 2.5));
  // Room for an arrow at each end: padding (4) and arrow room (11) of a 16-pixel line.
  EXPECT_DOUBLE_EQ(bar.band.left(), 15);
  EXPECT_DOUBLE_EQ(bar.band.right(), 185);
  EXPECT_DOUBLE_EQ(bar.band.center().y(), 10);
  EXPECT_DOUBLE_EQ(bar.markerX, 15 + 0.25 * 170);
  EXPECT_DOUBLE_EQ(bar.marker.center().x(), bar.markerX);
  EXPECT_GT(bar.marker.height(), bar.band.height());
  EXPECT_LE(bar.marker.height(), 20);
  EXPECT_EQ(bar.clamp, Clamp::None);
  EXPECT_TRUE(bar.arrow.isEmpty());
  // Default zones: a tenth of the band at each end, as high as the band.
  EXPECT_DOUBLE_EQ(bar.lowZone.left(), bar.band.left());
  EXPECT_DOUBLE_EQ(bar.lowZone.width(), 17);
  EXPECT_DOUBLE_EQ(bar.highZone.right(), bar.band.right());
  EXPECT_DOUBLE_EQ(bar.highZone.width(), 17);
  EXPECT_DOUBLE_EQ(bar.lowZone.height(), bar.band.height());
}

TEST(ToleranceBarLayout, ValuesAtTheLimitsAreNotClamped) {
  for (const double at : {0.0, 10.0}) {
    const ToleranceBarLayout bar = layout(values(0, 10, at, Status::Yellow));
    EXPECT_EQ(bar.clamp, Clamp::None) << at;
    EXPECT_TRUE(bar.arrow.isEmpty()) << at;
    EXPECT_DOUBLE_EQ(bar.markerX, at == 0 ? bar.band.left() : bar.band.right());
  }
}

TEST(ToleranceBarLayout, ValuesBeyondTheBandAreHeldAtItsEndWithAnArrow) {
  const QRectF cell(0, 0, 200, 20);
  const ToleranceBarLayout below = layout(values(0, 10, -4, Status::Red));
  EXPECT_EQ(below.clamp, Clamp::Below);
  EXPECT_DOUBLE_EQ(below.markerX, below.band.left());
  ASSERT_EQ(below.arrow.size(), 3);
  const QRectF left = below.arrow.boundingRect();
  EXPECT_LT(left.right(), below.marker.left()) << "the arrow stays clear of the marker";
  EXPECT_TRUE(cell.contains(left));
  EXPECT_DOUBLE_EQ(below.arrow[1].x(), left.left()) << "its tip points away from the band";

  const ToleranceBarLayout above = layout(values(0, 10, 1e6, Status::Red));
  EXPECT_EQ(above.clamp, Clamp::Above);
  EXPECT_DOUBLE_EQ(above.markerX, above.band.right());
  ASSERT_EQ(above.arrow.size(), 3);
  const QRectF right = above.arrow.boundingRect();
  EXPECT_GT(right.left(), above.marker.right());
  EXPECT_TRUE(cell.contains(right));
  EXPECT_DOUBLE_EQ(above.arrow[1].x(), right.right());
}

TEST(ToleranceBarZones, FollowTheStatusOfTheRow) {
  // Red and unknown rows, and rows whose status contradicts a value beyond
  // the band, keep the tenth.
  EXPECT_DOUBLE_EQ(warningZoneShare(values(0, 10, 5, Status::Red)), kDefaultZoneShare);
  EXPECT_DOUBLE_EQ(warningZoneShare(values(0, 10, 5, Status::None)), kDefaultZoneShare);
  EXPECT_DOUBLE_EQ(warningZoneShare(values(0, 10, 12, Status::Green)), kDefaultZoneShare);
  // Yellow already inside the tenth, green already outside it: unchanged.
  EXPECT_DOUBLE_EQ(warningZoneShare(values(0, 10, 9.5, Status::Yellow)), kDefaultZoneShare);
  EXPECT_DOUBLE_EQ(warningZoneShare(values(0, 10, 5, Status::Green)), kDefaultZoneShare);
  // Noise 171 mV in 0..200 mV is yellow: the zone grows past it.
  EXPECT_NEAR(warningZoneShare(values(0, 0.2, 0.171, Status::Yellow)), 0.145 + kZoneClearance,
              1e-12);
  // A green value 5 % from a limit: the zone shrinks short of it.
  EXPECT_NEAR(warningZoneShare(values(0, 10, 0.5, Status::Green)), 0.05 - kZoneClearance, 1e-12);
  // At most half the band, at least nothing.
  EXPECT_DOUBLE_EQ(warningZoneShare(values(0, 10, 5, Status::Yellow)), 0.5);
  EXPECT_DOUBLE_EQ(warningZoneShare(values(0, 10, 0.1, Status::Green)), 0);
}

TEST(ToleranceBarZones, PutTheMarkerInsideOrOutsideAsTheStatusSays) {
  const ToleranceBarLayout yellow = layout(values(0, 0.2, 0.171, Status::Yellow));
  EXPECT_GT(yellow.markerX, yellow.highZone.left());
  EXPECT_LT(yellow.markerX, yellow.highZone.right());
  const ToleranceBarLayout yellowLow = layout(values(1.5, 5.0, 2.4, Status::Yellow));
  EXPECT_GT(yellowLow.markerX, yellowLow.lowZone.left());
  EXPECT_LT(yellowLow.markerX, yellowLow.lowZone.right());
  const ToleranceBarLayout green = layout(values(0, 10, 0.5, Status::Green));
  EXPECT_GT(green.markerX, green.lowZone.right());
  EXPECT_LT(green.markerX, green.highZone.left());
}

TEST(ToleranceBarLayout, GrowsWithTheFontAndGivesUpInANarrowCell) {
  const ToleranceBarLayout small = layoutToleranceBar(QRectF(0, 0, 300, 40), 16, values(0, 10, 5));
  const ToleranceBarLayout large = layoutToleranceBar(QRectF(0, 0, 300, 40), 32, values(0, 10, 5));
  EXPECT_DOUBLE_EQ(large.band.height(), 2 * small.band.height());
  EXPECT_GT(large.marker.height(), small.marker.height());
  EXPECT_GT(large.marker.width(), small.marker.width());
  EXPECT_GT(large.band.left(), small.band.left()) << "more room for the arrow";
  const ToleranceBarLayout narrow = layoutToleranceBar(QRectF(0, 0, 30, 20), 16, values(0, 10, 5));
  EXPECT_LE(narrow.band.width(), 0);
}

namespace {

int countColour(const QImage& image, const QRect& area, QRgb colour) {
  int n = 0;
  const QRect inside = area.intersected(image.rect());
  for (int y = inside.top(); y <= inside.bottom(); ++y)
    for (int x = inside.left(); x <= inside.right(); ++x)
      if ((image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF)) ++n;
  return n;
}

}  // namespace

TEST(ToleranceBarPainting, ResultsWindowDrawsABarPerRowInItsStatusColour) {
  QTemporaryDir dir;
  test::ScriptedInteraction ui;
  AppState state;
  state.ui = &ui;
  state.programDir = QStringLiteral(KARVEL_APPDIR);
  const QString path = dir.filePath("bars.htm");
  QFile page(path);
  ASSERT_TRUE(page.open(QIODevice::WriteOnly));
  page.write(
      "<HTML><BODY><H1>Label</H1><H2>RS485</H2><H4 class=red>FAILED</H4><TBODY>"
      "<TR class=a><TD>Bit time</TD><TD>9.70 us</TD><TD>10.30 us</TD>"
      "<TD class=green>10.02 us</TD><TD>7 %</TD></TR>"
      "<TR class=a><TD>Noise</TD><TD>0 mV</TD><TD>200 mV</TD>"
      "<TD class=yellow>171 mV</TD><TD>86 %</TD></TR>"
      "<TR class=a><TD>Reflections</TD><TD>0 %</TD><TD>15 %</TD>"
      "<TD class=red>23 %</TD><TD>153 %</TD></TR>"
      "<TR class=a><TD>Skew</TD><TD>---</TD><TD>---</TD><TD class=red>---</TD>"
      "<TD>---</TD></TR></TBODY>");
  page.close();
  QPointer<ResultWindow> w = ReadHTMLFile(state, path);
  ASSERT_TRUE(w);
  auto* view = w->findChild<QTableView*>("resultsTable");
  QAbstractItemModel* model = view->model();
  ASSERT_EQ(model->columnCount(), 7);
  EXPECT_EQ(model->headerData(6, Qt::Horizontal).toString(), "Margin");
  EXPECT_FALSE(model->data(model->index(0, 6)).isValid()) << "the bar is all the cell shows";

  const QImage image = view->viewport()->grab().toImage();
  const QRgb green = 0x00FF00, yellow = 0xFFFF00, red = 0xFF0000;
  const QRgb colours[] = {green, yellow, red};
  auto barCell = [&](int row) { return view->visualRect(model->index(row, 6)); };
  for (int row = 0; row < 3; ++row) {
    ASSERT_GT(barCell(row).width(), 100) << "the bar column takes the room left";
    for (int c = 0; c < 3; ++c) {
      const int n = countColour(image, barCell(row), colours[c]);
      if (c == row) {
        EXPECT_GT(n, 4) << "row " << row << ": its marker";
      } else {
        EXPECT_EQ(n, 0) << "row " << row << " colour " << c;
      }
    }
    EXPECT_GT(countColour(image, barCell(row), kToleranceBandColour), 20) << row;
  }
  // The Noise row's marker is inside a widened warning zone, which shows.
  EXPECT_GT(countColour(image, barCell(1), kWarningZoneColour), 20);
  // The row without numbers: no bar at all, its measurement cell still red.
  for (QRgb colour : {green, yellow, red, QRgb(kToleranceBandColour), QRgb(kWarningZoneColour)})
    EXPECT_EQ(countColour(image, barCell(3), colour), 0);
  EXPECT_GT(countColour(image, view->visualRect(model->index(3, 4)), red), 20);
  w->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
