// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/workbook/WorkbookFeature.h"

#include "ui/frame/MainWindow.h"
#include "ui/workbook/ExcelDialog.h"

namespace karvel::ui {

void attachWorkbookFeature(MainWindow& window) {
  AppState& state = window.state();
  LoadExcelPanel(state, &window);
  window.commands().closeSpreadsheet = [&state] { FermetureExcel(state); };
}

}  // namespace karvel::ui
