// SPDX-License-Identifier: GPL-3.0-or-later
// The UI tests need one QApplication for the whole run.
#include <gtest/gtest.h>
#include <QApplication>

#include "ui/frame/ComboBoxNames.h"

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM",
          qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
  QApplication app(argc, argv);
  // As the program does: combo boxes named by their labels.
  karvel::ui::nameComboBoxesByLabel();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
