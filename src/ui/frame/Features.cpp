#include "ui/frame/Features.h"

#include "ui/bus/BusCommands.h"
#include "ui/instrument/CommunicationFeature.h"
#include "ui/workbook/ExcelDialog.h"
#include "ui/instrument/FileStoreFeature.h"
#include "ui/frame/MainWindow.h"
#include "ui/results/ResultWindow.h"

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
