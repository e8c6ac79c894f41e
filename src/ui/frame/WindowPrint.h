// SPDX-License-Identifier: GPL-3.0-or-later
// Printing a window as it looks: the main window and the results windows draw
// their widgets straight onto the printer's page, scaled to fit it, so that
// text stays text (sharp on paper, searchable in a PDF file).
#pragma once

#include <QString>

class QPrinter;
class QWidget;

namespace karvel {
struct PrintChoice;
}

namespace karvel::ui {

// Names the print after the file a window shows: the print job takes the
// file's name, and printing into a PDF file proposes the name up to its first
// dot with ".pdf", beside the file, or in the home folder when that folder
// cannot be written or the file is only a temporary copy (a fetched result).
// An empty `shownFile` proposes nothing: the dialog's own default stays.
void nameAfterFile(PrintChoice& choice, const QString& shownFile, bool temporary = false);

// Puts the print dialog's answer on `printer`: the printer or PDF file, the
// colour mode, the sides and the job's name.
void setUpPrinter(QPrinter& printer, const PrintChoice& choice);

// Draws `window` on one page of `printer`, scaled to fit the page and kept in
// proportion. False when the printer could not be started (its file cannot
// be written, no printer answers).
bool renderWindow(QWidget& window, QPrinter& printer);

// setUpPrinter then renderWindow, at the printer's full resolution.
bool printWindow(QWidget& window, const PrintChoice& choice);

// The printer or file a failure message should name.
QString printTargetName(const PrintChoice& choice);

}  // namespace karvel::ui
