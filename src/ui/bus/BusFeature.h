// SPDX-License-Identifier: GPL-3.0-or-later
// The bus definition panel's commands on the main window: File > Open for bus
// files, Save and Close, and the panel itself.
#pragma once

namespace karvel::ui {

class MainWindow;

// Attaches the bus panel to the main window and fills the window's openBus,
// save and close commands; a file the panel writes and shows joins the
// window's recent files. Attaching twice keeps the first panel.
void attachBusFeature(MainWindow& window);

}  // namespace karvel::ui
