// SPDX-License-Identifier: GPL-3.0-or-later
// Attaches the spreadsheet export to the main window: makes the export
// dialog at start-up (which also gives the results windows their "Export to
// EXCEL" command) and closes the spreadsheet side at quit.
#pragma once

namespace karvel::ui {

class MainWindow;

void attachWorkbookFeature(MainWindow& window);

}  // namespace karvel::ui
