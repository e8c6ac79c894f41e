// SPDX-License-Identifier: GPL-3.0-or-later
// The maintenance report painted as a PDF with QPainter: vector text in
// DejaVu Sans (embedded as subsets, so that it can be searched and copied),
// opaque colours only (PDF/A-1b), the tolerance bars and charts drawn as
// lines and rectangles. Needs a QGuiApplication (fonts); karvel-cli starts
// one on the offscreen platform for this command.
#pragma once

#include <QByteArray>
#include <QLocale>
#include <QString>
#include <optional>

#include "core/report/Report.h"

namespace karvel {

enum class Paper { A4, Letter };

// Letter where it is the custom (the Americas' Letter countries and the
// Philippines), A4 elsewhere.
Paper paperFor(const QLocale& locale);

// The PDF's bytes; nothing (with `error`) when the PDF writer fails.
std::optional<QByteArray> reportPdf(const Report& report, Paper paper, QString* error);

// reportPdf written to `path` whole (a temporary file renamed over it).
bool writeReportPdf(const Report& report, Paper paper, const QString& path, QString* error);

}  // namespace karvel
