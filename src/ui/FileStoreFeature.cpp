#include "ui/FileStoreFeature.h"

#include <QFileInfo>

#include "core/Communication.h"
#include "core/Import.h"
#include "ui/ImportDialog.h"
#include "ui/MainWindow.h"
#include "ui/TransferProgress.h"

namespace karvel::ui {

void attachFileStore(MainWindow& window) {
  MainWindow* w = &window;
  MainCommands& c = window.commands();
  c.importFiles = [w] {
    AppState& s = w->state();
    if (OpenDev(s) < 0) return;  // already reported
    showImportDialog(s, w);
  };
  c.exportFile = [w] {
    AppState& s = w->state();
    TransferProgressDialog progress(
        w, [&s] { return transferLabel(QFileInfo(s.exportPath).fileName(), s.language); });
    exportBusFile(s, progress.callback());
  };
}

}  // namespace karvel::ui
