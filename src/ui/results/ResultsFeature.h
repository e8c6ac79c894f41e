// SPDX-License-Identifier: GPL-3.0-or-later
// Attaches the results windows to the main window: File > Open of a ".HTM"
// file opens it in a new results window (ReadHTMLFile), and File > Compare
// results ... opens several in a comparison window.
#pragma once

namespace karvel::ui {

class MainWindow;

void attachResultsFeature(MainWindow& window);

}  // namespace karvel::ui
