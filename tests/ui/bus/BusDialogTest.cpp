// SPDX-License-Identifier: GPL-3.0-or-later
// The two generator dialogs on the main window, driven as a user
// would: typed values, clicked buttons, answers through ScriptedInteraction.
#include <gtest/gtest.h>
#include <QApplication>
#include <QDoubleSpinBox>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>

#include "core/bus/BusFile.h"
#include "core/bus/XmlDocument.h"
#include "support/ScriptedInteraction.h"
#include "ui/bus/BusFeature.h"
#include "ui/bus/BusPanel.h"
#include "ui/bus/NewFileDialogs.h"
#include "ui/frame/MainWindow.h"

using namespace karvel;

namespace {

// Types text into a widget key by key, as the keyboard would.
void typeInto(QWidget* widget, const QString& text) {
  for (QChar c : text) {
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
    QApplication::sendEvent(widget, &release);
  }
}

class BusDialog : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  test::ScriptedInteraction ui;
  test::RecordingClock clock;
  AppState app;
  std::unique_ptr<ui::MainWindow> window;
  ui::BusPanel* panel = nullptr;

  void SetUp() override {
    app.ui = &ui;
    app.clock = &clock;
    app.programDir = QStringLiteral(KARVEL_APPDIR);
    app.settingsPath = dir.filePath("karvel.ini");
    window = std::make_unique<ui::MainWindow>(app);
    ui::attachBusFeature(*window);
    window->show();
    const QString sample = QStringLiteral(KARVEL_SOURCE_DIR "/resources/samples/RQ4102/CAN_HS.BUS");
    ASSERT_EQ(ui::ConvertAndRenderXMLFileInTree(app, window.get(), sample), 0);
    panel = ui::BusPanel::of(window.get());
    ASSERT_TRUE(panel);
  }
  template <typename T>
  T* find(const char* name) {
    return window->findChild<T*>(name);
  }
  template <typename T>
  static T* in(QWidget* dialog, const char* name) {
    return dialog->findChild<T*>(name);
  }
  void answerSave(const QString& path) { ui.files.enqueue({FileChoice::Kind::New, path}); }
};

}  // namespace

TEST_F(BusDialog, TheSpeedDialogCouplesItsFieldsAndGenerates) {
  auto* dialog = qobject_cast<ui::NewSpeedDialog*>(panel->CreationFichier(true));
  ASSERT_TRUE(dialog);
  EXPECT_TRUE(dialog->isModal() || dialog->windowModality() != Qt::NonModal);
  EXPECT_EQ(app.speedPanel, dialog);
  auto* titleField = in<QLineEdit>(dialog, "titleField");
  auto* speedField = in<QSpinBox>(dialog, "speedField");
  auto* kiloField = in<QDoubleSpinBox>(dialog, "kiloField");
  auto* megaField = in<QDoubleSpinBox>(dialog, "megaField");
  auto* generateButton = in<QPushButton>(dialog, "generateButton");
  EXPECT_EQ(titleField->text(), "CAN High Speed 500 kbit/s");
  EXPECT_EQ(speedField->value(), 500000);
  EXPECT_DOUBLE_EQ(kiloField->value(), 500);
  EXPECT_DOUBLE_EQ(megaField->value(), 0.5);
  megaField->clear();
  typeInto(megaField, "2.5");
  EXPECT_EQ(speedField->value(), 2500000);
  EXPECT_DOUBLE_EQ(kiloField->value(), 2500);
  speedField->setValue(250000);
  EXPECT_DOUBLE_EQ(kiloField->value(), 250);
  titleField->setText("CAN 250k");

  const QString out = dir.filePath("CAN250.BUS");
  answerSave(out);
  generateButton->click();
  ASSERT_EQ(ui.fileRequests.size(), 1);
  EXPECT_EQ(ui.fileRequests[0].title, "Backup file");
  EXPECT_EQ(ui.fileRequests[0].pattern, "*.BUS");
  EXPECT_EQ(ui.fileRequests[0].confirm, FileRequest::Confirm::Save);
  EXPECT_TRUE(ui.fileRequests[0].forceExtension);
  EXPECT_TRUE(ui.messages.isEmpty());
  EXPECT_TRUE(QFile::exists(out));
  EXPECT_EQ(find<QLineEdit>("fileField")->text(), out);
  EXPECT_EQ(find<QLineEdit>("busField")->text(), "CAN 250k");
  EXPECT_EQ(find<QLineEdit>("frequencyField")->text(), "250.000 kHz");
  QApplication::processEvents();
  EXPECT_FALSE(app.speedPanel);  // closed and gone
}

TEST_F(BusDialog, ARefusedSpeedKeepsTheDialogAndCancelClosesIt) {
  app.language = German;
  auto* dialog = qobject_cast<ui::NewSpeedDialog*>(panel->CreationFichier(true));
  ASSERT_TRUE(dialog);
  EXPECT_EQ(dialog->windowTitle(), "Dateierstellung");
  EXPECT_EQ(in<QPushButton>(dialog, "quitButton")->text(), "Beenden");
  in<QSpinBox>(dialog, "speedField")->setValue(0);
  in<QPushButton>(dialog, "generateButton")->click();
  ASSERT_EQ(ui.messages.size(), 1);
  EXPECT_TRUE(ui.messages[0].text.startsWith("Die neue Geschwindigkeit"));
  EXPECT_TRUE(ui.fileRequests.isEmpty());  // refused before any file name is asked for
  EXPECT_TRUE(dialog->isVisible());
  // Cancelling the file dialog closes the generator dialog, nothing written.
  in<QSpinBox>(dialog, "speedField")->setValue(250000);
  in<QPushButton>(dialog, "generateButton")->click();
  QApplication::processEvents();
  EXPECT_FALSE(app.speedPanel);
  EXPECT_EQ(find<QLineEdit>("busField")->text(), "CAN High Speed 500 kbit/s");
}

TEST_F(BusDialog, TheVoltageDialogStartsFromTheShownVoltage) {
  app.language = Italian;
  auto* dialog = qobject_cast<ui::NewVoltageDialog*>(panel->CreationFichier(false));
  ASSERT_TRUE(dialog);
  EXPECT_EQ(in<QLabel>(dialog, "questionLabel")->text(),
            QString::fromUtf8("Qual\xE2\x80\x99\xC3\xA8 la nuova tensione massima del bus?"));
  EXPECT_DOUBLE_EQ(in<QDoubleSpinBox>(dialog, "voltageField")->value(), 8);
  in<QDoubleSpinBox>(dialog, "voltageField")->setValue(30);
  const QString out = dir.filePath("V30.BUS");
  answerSave(out);
  in<QPushButton>(dialog, "generateButton")->click();
  EXPECT_TRUE(ui.messages.isEmpty());
  EXPECT_EQ(find<QLineEdit>("maxVoltageField")->text(), "40.0 V");
  EXPECT_EQ(
      app.xmlDocument->value(XmlDocument::attribute(
          XmlDocument::child(XmlDocument::child(app.xmlDocument->root(), "SETUP"), "SensiCh1"),
          "a")),
      "8");
}

TEST_F(BusDialog, TheQuestionsStayOnOneLineInEveryLanguage) {
  for (int language = 0; language < 5; ++language) {
    app.language = language;
    for (bool speed : {true, false}) {
      QDialog* dialog = panel->CreationFichier(speed);
      ASSERT_TRUE(dialog);
      QApplication::processEvents();
      const QLabel* question = in<QLabel>(dialog, "questionLabel");
      // The height its text takes at the width it has: one line, no "?"
      // alone on a second one.
      const int taken = question->wordWrap() ? question->heightForWidth(question->width())
                                             : question->sizeHint().height();
      EXPECT_LT(taken, 2 * question->fontMetrics().lineSpacing())
          << "language " << language << (speed ? ", speed" : ", voltage");
      EXPECT_LE(dialog->frameGeometry().width(), 1024);
      dialog->close();
      QApplication::processEvents();
    }
  }
}
