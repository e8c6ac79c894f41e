// SPDX-License-Identifier: GPL-3.0-or-later
// The maintenance report of a large site: 20 segments, each with 12 results
// of 12 rows over a year (the first the baseline, some measurements drifting
// towards a limit, so that every segment has charts and limit dates), the
// last visit in them all. Target (median of 5 runs): gathering the report
// from the register and writing its PDF < 3 s.
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "core/frame/AppState.h"
#include "core/register/Register.h"
#include "core/report/ReportPdf.h"

using namespace karvel;

namespace {

constexpr int kSegments = 20;
constexpr int kVisits = 12;
constexpr int kRows = 12;
constexpr double kTargetMs = 3000;

QByteArray resultPage(int segment, int visit) {
  const QDate day = QDate(2026, 1, 5).addDays(visit * 28);
  QByteArray page =
      "<HTML><BODY><H1>BUS DIAGNOSTIC RESULT</H1>\r\n<H2>CAN HS - 500 kbit/s</H2>\r\n<H4 class=\"" +
      QByteArray(visit == kVisits - 1 && segment % 3 == 0 ? "red" : "green") +
      "\">Bus verdict of segment " + QByteArray::number(segment + 1) +
      "</H4>\r\n<P>Date : " + day.toString("yyyy/MM/dd").toLatin1() +
      " 09:00:00</P>\r\n<TABLE>\r\n<TBODY>\r\n";
  for (int r = 0; r < kRows; ++r) {
    // Every third measurement drifts up 0.01 µs a visit; the others wobble.
    const double value =
        2.0 + (r % 3 == 0 ? 0.008 * visit : 0.002 * ((visit * 7 + r + segment) % 5 - 2));
    const char* status = value > 2.08 ? "yellow" : "green";
    page += "<TR class=\"row\"><TD>Measurement " + QByteArray::number(r + 1) +
            "</TD><TD>1.90 \xB5s</TD><TD>2.10 \xB5s</TD><TD class=\"" + status + "\">" +
            QByteArray::number(value, 'f', 3) + " \xB5s</TD><TD>5 %</TD></TR>\r\n";
  }
  return page + "</TBODY>\r\n</TABLE>\r\n</BODY></HTML>\r\n";
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  QTemporaryDir dir;
  Register reg;
  QString error;
  if (!dir.isValid() || !reg.open(dir.filePath("site.sqlite"), English, &error)) {
    std::fprintf(stderr, "could not make the register: %s\n", qPrintable(error));
    return 1;
  }
  for (int s = 0; s < kSegments; ++s) {
    for (int v = 0; v < kVisits; ++v) {
      RegisterAddRequest request;
      request.site = QStringLiteral("Plant");
      request.customer = QStringLiteral("Customer");
      request.segment = QStringLiteral("Segment %1").arg(s + 1, 2, 10, QChar(u'0'));
      request.fileName = QStringLiteral("S%1V%2.HTM").arg(s).arg(v);
      request.bytes = resultPage(s, v);
      request.technician = QStringLiteral("Technician");
      const auto added = reg.add(request, &error);
      if (!added || (v == 0 && !reg.setBaseline(added->id, &error))) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
      }
    }
  }
  std::vector<double> times;
  qint64 size = 0;
  int segmentsShown = 0;
  for (int run = 0; run < 5; ++run) {
    QElapsedTimer timer;
    timer.start();
    ReportRequest request;
    request.site = QStringLiteral("Plant");
    const std::optional<Report> report = buildReport(reg, request, &error);
    const std::optional<QByteArray> pdf =
        report ? reportPdf(*report, Paper::A4, &error) : std::nullopt;
    if (!pdf) {
      std::fprintf(stderr, "%s\n", qPrintable(error));
      return 1;
    }
    times.push_back(double(timer.nsecsElapsed()) / 1e6);
    size = pdf->size();
    segmentsShown =
        int(std::count_if(report->segments.begin(), report->segments.end(),
                          [](const ReportSegment& s) { return s.current.has_value(); }));
  }
  std::sort(times.begin(), times.end());
  const double median = times[times.size() / 2];
  std::printf("report of %d segments (%d results each): %lld bytes\n", segmentsShown, kVisits,
              static_cast<long long>(size));
  std::printf("%-36s %8.1f ms  (target < %.0f ms)%s\n", "build and write the report", median,
              kTargetMs, median < kTargetMs ? "" : "  TOO SLOW");
  return median < kTargetMs && segmentsShown == kSegments ? 0 : 1;
}
