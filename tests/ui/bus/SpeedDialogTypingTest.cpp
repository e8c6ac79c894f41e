// SPDX-License-Identifier: GPL-3.0-or-later
// Speeds typed into the kilo and mega fields of the new-speed dialog, to the
// last bit per second.
#include <gtest/gtest.h>
#include <QApplication>
#include <QDialog>
#include <QDoubleSpinBox>
#include <QKeyEvent>
#include <QSpinBox>

#include "support/ScriptedInteraction.h"
#include "ui/bus/BusFeature.h"
#include "ui/bus/BusPanel.h"
#include "ui/frame/MainWindow.h"

using namespace karvel;

TEST(SpeedDialogTyping, KiloAndMegaFieldsKeepEveryBitPerSecond) {
  test::ScriptedInteraction ui;
  AppState app;
  app.ui = &ui;
  app.programDir = QStringLiteral(KARVEL_APPDIR);
  ui::MainWindow window(app);
  ui::attachBusFeature(window);
  ASSERT_EQ(
      ui::ConvertAndRenderXMLFileInTree(
          app, &window, QStringLiteral(KARVEL_SOURCE_DIR "/resources/samples/RQ4102/LIN.BUS")),
      0);
  QDialog* dialog = ui::BusPanel::of(&window)->CreationFichier(true);
  ASSERT_TRUE(dialog);
  auto* speed = dialog->findChild<QSpinBox*>("speedField");
  struct Case {
    const char* field;
    const char* typed;
    int speed;
  };
  for (const Case& c : {Case{"kiloField", "1.005", 1005}, Case{"megaField", "0.0157", 15700},
                        Case{"megaField", "0.000001", 1}}) {
    auto* field = dialog->findChild<QDoubleSpinBox*>(c.field);
    field->clear();
    for (QChar ch : QString::fromLatin1(c.typed)) {
      QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
      QApplication::sendEvent(field, &press);
    }
    EXPECT_EQ(speed->value(), c.speed) << c.field << " " << c.typed;
  }
  dialog->close();
}
