// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/frame/OperationDialog.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <functional>

#include "core/frame/Langue.h"

namespace karvel::ui {

namespace {

// Quick operations end before the dialog would appear.
int showDelayMs = 400;

}  // namespace

void OperationDialog::setShowDelay(int ms) { showDelayMs = std::max(0, ms); }

OperationDialog::OperationDialog(QWidget* parent, const int* language)
    : parent_(parent), language_(language) {}

OperationDialog::~OperationDialog() { end(); }

void OperationDialog::begin(const QString& activity) {
  end();
  cancelAsked_ = false;
  const int l = clampLanguage(language_ ? *language_ : 0);
  // Over the modal dialog that started it (communication, import), if any.
  QWidget* owner = QApplication::activeModalWidget();
  if (!owner) owner = parent_;
  auto* box = new CancellingDialog(owner, [this] { askCancel(); });
  dialog_ = box;
  box->setObjectName(QStringLiteral("operationProgress"));
  box->setWindowTitle(pick(text::kOperationTitle, l));
  // Nothing else takes input while the operation holds the link.
  box->setWindowModality(Qt::ApplicationModal);
  box->setMinimumWidth(380);
  auto* layout = new QVBoxLayout(box);
  activityLabel_ = new QLabel(box);
  activityLabel_->setObjectName(QStringLiteral("operationActivity"));
  activityLabel_->setWordWrap(true);
  auto* buttons = new QDialogButtonBox(box);
  cancelButton_ = buttons->addButton(pick(text::kOperationCancel, l), QDialogButtonBox::RejectRole);
  cancelButton_->setObjectName(QStringLiteral("operationCancel"));
  // Cancel is the one thing to do here: Return presses it, as Escape does.
  cancelButton_->setDefault(true);
  QObject::connect(cancelButton_, &QPushButton::clicked, box, [this] { askCancel(); });
  layout->addWidget(activityLabel_);
  layout->addWidget(buttons);
  say(activity);
  keepAlive_.start();
}

void OperationDialog::say(const QString& activity) {
  if (!activityLabel_) return;
  const int l = clampLanguage(language_ ? *language_ : 0);
  activityLabel_->setText(cancelAsked_ ? pick(text::kOperationCancelling, l) : activity);
  activityLabel_->setAccessibleName(activityLabel_->text());
}

void OperationDialog::keepAlive() { keepAlive_.turn(dialog_.data(), showDelayMs); }

void OperationDialog::askCancel() {
  if (cancelAsked_) return;
  cancelAsked_ = true;
  if (cancelButton_) cancelButton_->setEnabled(false);
  say(QString());
}

void OperationDialog::end() {
  keepAlive_.finish();
  delete dialog_.data();
  activityLabel_ = nullptr;
  cancelButton_ = nullptr;
}

}  // namespace karvel::ui
