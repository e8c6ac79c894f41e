// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/frame/LanguageDialog.h"

#include <QPushButton>

#include "ui_LanguageDialog.h"

namespace karvel::ui {

LanguageDialog::LanguageDialog(QWidget* parent)
    : QDialog(parent), form_(std::make_unique<Ui::LanguageDialog>()) {
  form_->setupUi(this);
  setWindowFlag(Qt::WindowCloseButtonHint, false);
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  // In the order of the language index.
  QPushButton* buttons[] = {form_->frenchButton, form_->englishButton, form_->germanButton,
                            form_->spanishButton, form_->italianButton};
  for (int i = 0; i < 5; ++i) {
    connect(buttons[i], &QPushButton::clicked, this, [this, i] { choose(i); });
  }
  // Return takes English, the language used until one is chosen; Return on
  // another language's button (reached by Tab) takes that one. Escape does
  // nothing: the first start needs an answer.
  form_->englishButton->setDefault(true);
  form_->englishButton->setFocus();
  // As large as its texts in the desktop's font: the prompt stays on one
  // line, so the window's minimum holds the last button whole.
  adjustSize();
}

LanguageDialog::~LanguageDialog() = default;

void LanguageDialog::choose(int index) {
  chosen_ = index;
  accept();
}

void LanguageDialog::reject() {}

}  // namespace karvel::ui
