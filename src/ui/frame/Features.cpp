// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/frame/Features.h"

#include "ui/bus/BusFeature.h"
#include "ui/instrument/CommunicationFeature.h"
#include "ui/instrument/FileStoreFeature.h"
#include "ui/register/RegisterFeature.h"
#include "ui/results/ResultsFeature.h"
#include "ui/workbook/WorkbookFeature.h"

namespace karvel::ui {

void attachFeatures(MainWindow& window) {
  // One line per feature.
  attachBusFeature(window);
  attachWorkbookFeature(window);
  attachCommunicationFeature(window);
  attachFileStoreFeature(window);
  attachResultsFeature(window);
  attachRegisterFeature(window);
}

}  // namespace karvel::ui
