// SPDX-License-Identifier: GPL-3.0-or-later
// The two dialogs that generate a bus definition file for a new bus speed and
// for a new maximum voltage, from the file shown on the main window.
#pragma once

#include <QDialog>
#include <memory>

#include "core/frame/AppState.h"

namespace Ui {
class NewSpeedDialog;
class NewVoltageDialog;
}  // namespace Ui

namespace karvel::ui {

class BusPanel;

class NewSpeedDialog : public QDialog {
  Q_OBJECT

 public:
  NewSpeedDialog(AppState& app, BusPanel& panel, QWidget* parent);
  ~NewSpeedDialog() override;

  Ui::NewSpeedDialog& form() { return *form_; }
  // The dialog's texts in the current language.
  void TraducNewFichier();
  void setFields(const QString& title, int speed);
  // The generate button: asks for the new file's name and generates it.
  void CalculNewFreq();

 private:
  void couple(int field);

  AppState& app_;
  BusPanel& panel_;
  std::unique_ptr<Ui::NewSpeedDialog> form_;
  bool coupling_ = false;
};

class NewVoltageDialog : public QDialog {
  Q_OBJECT

 public:
  NewVoltageDialog(AppState& app, BusPanel& panel, QWidget* parent);
  ~NewVoltageDialog() override;

  Ui::NewVoltageDialog& form() { return *form_; }
  void TraducNewFichier2();
  // `maxVoltageText` is the main window's maximum-voltage field ("4.00 V").
  void setFields(const QString& title, const QString& maxVoltageText);
  void CalculNewAmpl();

 private:
  AppState& app_;
  BusPanel& panel_;
  std::unique_ptr<Ui::NewVoltageDialog> form_;
};

}  // namespace karvel::ui
