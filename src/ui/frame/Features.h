// SPDX-License-Identifier: GPL-3.0-or-later
// Where the features of the program attach their commands to the main window.
#pragma once

namespace karvel::ui {

class MainWindow;

// Called once at start-up, right after the main window is built and before
// the settings are applied. A feature lives in its capability's folder as
// <Name>Feature.h / .cpp with `void attach<Name>Feature(MainWindow&)`, and
// adds one call in Features.cpp.
void attachFeatures(MainWindow& window);

}  // namespace karvel::ui
