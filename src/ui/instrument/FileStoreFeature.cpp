#include "ui/instrument/FileStoreFeature.h"

#include "core/instrument/Communication.h"
#include "core/instrument/ExportCommand.h"
#include "ui/instrument/ImportDialog.h"
#include "ui/frame/MainWindow.h"
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
    exportBusFile(s, &progress);
  };
}

}  // namespace karvel::ui
