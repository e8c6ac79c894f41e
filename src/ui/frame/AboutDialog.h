// SPDX-License-Identifier: GPL-3.0-or-later
// The about panel: the splash at start-up and the About menu entry.
#pragma once

#include <QDialog>
#include <memory>

#include "core/frame/AppState.h"

namespace Ui {
class AboutDialog;
}

namespace karvel::ui {

class AboutDialog : public QDialog {
  Q_OBJECT

 public:
  enum class Control { Close, MakerLink, SupportLink };

  explicit AboutDialog(AppState& state, QWidget* parent = nullptr);
  ~AboutDialog() override;

  Ui::AboutDialog& form() { return *form_; }

  // The build date "dd-mm-yyyy" (empty when unknown) and the notice that
  // names the build year.
  void setBuildDate(const QString& date, int year);
  // At start-up: date hidden, start-up text shown, drawn at once.
  void showAsSplash();
  // From the About item: date shown, start-up text hidden.
  void showFromMenu();

  // A click (or Return, Space) on one of the panel's controls.
  void Presentation(Control control);

 private:
  void fitToTexts();

  AppState& state_;
  std::unique_ptr<Ui::AboutDialog> form_;
};

}  // namespace karvel::ui
