// SPDX-License-Identifier: GPL-3.0-or-later
// The maintenance report painted as a PDF with QPainter: vector text in
// DejaVu Sans (embedded as subsets, so that it can be searched and copied),
// opaque colours only (PDF/A-1b), the tolerance bars and charts drawn as
// lines and rectangles. Needs a QGuiApplication (fonts); karvel-cli starts
// one on the offscreen platform for this command.
#pragma once

#include <QByteArray>
#include <QFont>
#include <QLocale>
#include <QRectF>
#include <QString>
#include <functional>
#include <optional>

#include "core/report/Report.h"
#include "core/results/ToleranceBar.h"

class QPaintDevice;

namespace karvel {

enum class Paper { A4, Letter };

// Letter where it is the custom (the Americas' Letter countries and the
// Philippines), A4 elsewhere.
Paper paperFor(const QLocale& locale);

// What the painting puts on the pages, told as it is drawn: every text
// with the font and the box it must fit in, each tolerance bar, and each
// chart's fitted line. Tests look at the report through it.
struct ReportWatch {
  struct Text {
    int page = 0;
    QString text;  // lines the painting broke are separated by '\n'
    QFont font;
    QRectF box;     // where the text must fit whole
    int flags = 0;  // the alignment and text flags given to QPainter::drawText
    const QPaintDevice* device = nullptr;  // whose font metrics the painter uses
  };
  struct Bar {
    int page = 0;
    ResultRow row;
    ToleranceBarLayout layout;
  };
  struct Trend {
    int page = 0;
    QString measurement;
    LimitReach reach;  // the fit the line is drawn from
    // The line as drawn, in dates and values (base units).
    QDateTime from, to;
    double valueFrom = 0, valueTo = 0;
  };
  std::function<void(const Text&)> text;
  std::function<void(const Bar&)> bar;
  std::function<void(const Trend&)> trend;
};

// The PDF's bytes; nothing (with `error`) when the PDF writer fails.
std::optional<QByteArray> reportPdf(const Report& report, Paper paper, QString* error,
                                    const ReportWatch& watch = {});

// reportPdf written to `path` whole (a temporary file renamed over it).
bool writeReportPdf(const Report& report, Paper paper, const QString& path, QString* error);

}  // namespace karvel
