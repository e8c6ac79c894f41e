#include "ui/Features.h"

#include "ui/BusCommands.h"
#include "ui/CommunicationFeature.h"
#include "ui/ExcelDialog.h"
#include "ui/MainWindow.h"

namespace karvel::ui {

void attachFeatures(MainWindow& window) {
  // One line per feature.
  attachBusCommands(window);
  attachSpreadsheetExport(window);
  attachCommunication(window);
}

}  // namespace karvel::ui
