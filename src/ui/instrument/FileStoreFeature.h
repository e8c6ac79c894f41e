// SPDX-License-Identifier: GPL-3.0-or-later
// Attaches the instrument's file store to the main window: File > Import
// (the import dialog) and File > Export (a bus definition file sent to the
// instrument), both with their transfer's progress.
#pragma once

namespace karvel::ui {

class MainWindow;

void attachFileStoreFeature(MainWindow& window);

}  // namespace karvel::ui
