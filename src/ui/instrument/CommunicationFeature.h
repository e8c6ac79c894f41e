// SPDX-License-Identifier: GPL-3.0-or-later
// Attaches the instrument link to the main window: the I/O layer the window
// owns, the Communication menu item, the toolbar's connect toggle and the
// closing of the session at shutdown.
#pragma once

namespace karvel::ui {

class MainWindow;

void attachCommunicationFeature(MainWindow& window);

}  // namespace karvel::ui
