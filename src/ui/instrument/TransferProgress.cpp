#include "ui/instrument/TransferProgress.h"

#include <QFileInfo>
#include <QProgressDialog>

#include "core/frame/Texts.h"

namespace karvel::ui {

namespace {

constexpr Text5 kTransferring{"Transfert de %1 ...", "Transferring %1 ...",
                              "Übertragung von %1 ...", "Transfiriendo %1 ...",
                              "Trasferimento di %1 ..."};
// Shorter transfers end before the dialog would appear.
constexpr int kShowAfterMs = 400;

}  // namespace

QString transferLabel(const QString& name, int language) {
  return pick(kTransferring, language).arg(name);
}

TransferProgressDialog::TransferProgressDialog(QWidget* parent, std::function<QString()> label)
    : parent_(parent), label_(std::move(label)) {}

TransferProgressDialog::~TransferProgressDialog() { delete dialog_.data(); }

TransferProgress TransferProgressDialog::callback() {
  return [this](qint64 done, qint64 total) { report(done, total); };
}

void TransferProgressDialog::report(qint64 done, qint64 total) {
  if (!made_) {
    made_ = true;
    dialog_ = new QProgressDialog(parent_);
    dialog_->setCancelButton(nullptr);  // a block cannot stop half-way
    dialog_->setWindowModality(Qt::WindowModal);
    dialog_->setMinimumDuration(kShowAfterMs);
    dialog_->setRange(0, 100);
    dialog_->setLabelText(label_ ? label_() : QString());
    dialog_->setValue(0);
  }
  if (!dialog_) return;
  const int percent = total > 0 ? static_cast<int>(std::min<qint64>(100, done * 100 / total)) : 100;
  dialog_->setValue(percent);
}

}  // namespace karvel::ui
