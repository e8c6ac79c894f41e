// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/instrument/FileStoreFeature.h"

#include "core/instrument/Communication.h"
#include "core/instrument/ExportCommand.h"
#include "ui/bus/BusPanel.h"
#include "ui/frame/MainWindow.h"
#include "ui/instrument/ImportDialog.h"
#include "ui/instrument/TransferProgress.h"

namespace karvel::ui {

void attachFileStoreFeature(MainWindow& window) {
  MainWindow* w = &window;
  MainCommands& c = window.commands();
  c.importFiles = [w] {
    AppState& s = w->state();
    if (OpenDev(s) < 0) return;  // already reported
    showImportDialog(s, w);
  };
  c.exportFile = [w] {
    AppState& s = w->state();
    TransferProgressDialog progress(w, s.language);
    BusPanel* panel = BusPanel::of(w);
    exportBusFile(s, &progress, panel && s.xmlDocument ? panel->screen().view.filePath : QString(),
                  [panel](QString& path) { return !panel || panel->settleBeforeSending(path); });
  };
}

}  // namespace karvel::ui
