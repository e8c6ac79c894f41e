// Attaches the results windows to the main window: File > Open of a ".HTM"
// file opens it in a new results window (ReadHTMLFile).
#pragma once

namespace karvel::ui {

class MainWindow;

void attachResultsFeature(MainWindow& window);

}  // namespace karvel::ui
