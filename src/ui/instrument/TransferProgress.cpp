// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/instrument/TransferProgress.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <functional>

#include "core/instrument/TransferTexts.h"

namespace karvel::ui {

namespace {

// Shorter transfers end before the dialog would appear.
int showDelayMs = 400;

constexpr QLocale::Language kLocales[] = {QLocale::French, QLocale::English, QLocale::German,
                                          QLocale::Spanish, QLocale::Italian};

}  // namespace

void TransferProgressDialog::setShowDelay(int ms) { showDelayMs = std::max(0, ms); }

TransferProgressDialog::TransferProgressDialog(QWidget* parent, int language)
    : parent_(parent), language_(clampLanguage(language)) {}

TransferProgressDialog::~TransferProgressDialog() { end(); }

void TransferProgressDialog::begin(const QString& name, qint64 total, Direction direction) {
  end();
  done_ = 0;
  total_ = total;
  cancelAsked_ = false;
  auto* box = new CancellingDialog(parent_, [this] { askCancel(); });
  dialog_ = box;
  box->setObjectName(QStringLiteral("transferProgress"));
  box->setWindowTitle(pick(text::kTransferTitle, language_));
  // Nothing else takes input while a transfer holds the link.
  box->setWindowModality(Qt::ApplicationModal);
  box->setMinimumWidth(380);
  auto* layout = new QVBoxLayout(box);
  nameLabel_ = new QLabel(box);
  nameLabel_->setObjectName(QStringLiteral("transferName"));
  nameLabel_->setWordWrap(true);
  const QString moving =
      pick(direction == Direction::ToInstrument ? text::kTransferSending : text::kTransferFetching,
           language_)
          .arg(name);
  nameLabel_->setText(moving);
  bar_ = new QProgressBar(box);
  bar_->setObjectName(QStringLiteral("transferBar"));
  bar_->setRange(0, 1000);
  bar_->setTextVisible(false);
  // A screen reader meets the bar alone: it says what moves, and where.
  bar_->setAccessibleName(pick(text::kTransferBarName, language_));
  bar_->setAccessibleDescription(moving);
  bytesLabel_ = new QLabel(box);
  bytesLabel_->setObjectName(QStringLiteral("transferBytes"));
  auto* buttons = new QDialogButtonBox(box);
  cancelButton_ =
      buttons->addButton(pick(text::kTransferCancel, language_), QDialogButtonBox::RejectRole);
  cancelButton_->setObjectName(QStringLiteral("transferCancel"));
  // Cancel is the one thing to do here: Return presses it, as Escape does.
  cancelButton_->setDefault(true);
  QObject::connect(cancelButton_, &QPushButton::clicked, box, [this] { askCancel(); });
  layout->addWidget(nameLabel_);
  layout->addWidget(bar_);
  layout->addWidget(bytesLabel_);
  layout->addWidget(buttons);
  showBytes();
  keepAlive_.start();
}

void TransferProgressDialog::advance(qint64 done, qint64 total) {
  done_ = done;
  total_ = total;
  showBytes();
}

void TransferProgressDialog::showBytes() {
  if (!dialog_) return;
  if (cancelAsked_) {
    bytesLabel_->setText(pick(text::kTransferCancelling, language_));
  } else if (total_ <= 0) {
    bytesLabel_->setText(pick(text::kTransferWaiting, language_));
  } else {
    const QLocale locale(kLocales[language_]);
    bytesLabel_->setText(
        pick(text::kTransferBytes, language_).arg(locale.toString(done_), locale.toString(total_)));
  }
  bar_->setValue(total_ > 0 ? static_cast<int>(std::clamp<qint64>(done_ * 1000 / total_, 0, 1000))
                            : 0);
}

void TransferProgressDialog::keepAlive() { keepAlive_.turn(dialog_.data(), showDelayMs); }

void TransferProgressDialog::askCancel() {
  if (cancelAsked_) return;
  cancelAsked_ = true;
  if (cancelButton_) cancelButton_->setEnabled(false);
  showBytes();
}

void TransferProgressDialog::cancelling() {
  cancelAsked_ = true;
  if (cancelButton_) cancelButton_->setEnabled(false);
  showBytes();
}

void TransferProgressDialog::end() {
  keepAlive_.finish();
  delete dialog_.data();
  nameLabel_ = nullptr;
  bytesLabel_ = nullptr;
  bar_ = nullptr;
  cancelButton_ = nullptr;
}

}  // namespace karvel::ui
