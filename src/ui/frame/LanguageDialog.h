// SPDX-License-Identifier: GPL-3.0-or-later
// The language chooser of the very first start: five buttons, one per language.
#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class LanguageDialog;
}

namespace karvel::ui {

class LanguageDialog : public QDialog {
  Q_OBJECT

 public:
  explicit LanguageDialog(QWidget* parent = nullptr);
  ~LanguageDialog() override;

  // The language index of the button pressed, -1 before any.
  int chosen() const { return chosen_; }
  // Presses the button of language `index` (0..4).
  void choose(int index);

 protected:
  void reject() override;  // only a language button ends the chooser

 private:
  std::unique_ptr<Ui::LanguageDialog> form_;
  int chosen_ = -1;
};

}  // namespace karvel::ui
