#include "ui/Features.h"

#include "ui/BusCommands.h"
#include "ui/CommunicationFeature.h"
#include "ui/ExcelDialog.h"
#include "ui/FileStoreFeature.h"
#include "ui/MainWindow.h"
#include "ui/ResultWindow.h"

namespace karvel::ui {

void attachFeatures(MainWindow& window) {
  // One line per feature.
  attachBusCommands(window);
  attachSpreadsheetExport(window);
  attachCommunication(window);
  attachFileStore(window);
  attachResultCommands(window);
}

}  // namespace karvel::ui
