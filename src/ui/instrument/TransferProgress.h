// The progress of a file transfer, shown once the transfer takes more than a
// moment. The core reports through the callback; the dialog lives as long as
// this object.
#pragma once

#include <QPointer>
#include <QString>
#include <functional>

#include "core/instrument/FileStore.h"

class QProgressDialog;
class QWidget;

namespace karvel::ui {

class TransferProgressDialog {
 public:
  // `label` gives the text at the first report (the file may be chosen later).
  TransferProgressDialog(QWidget* parent, std::function<QString()> label);
  ~TransferProgressDialog();
  TransferProgressDialog(const TransferProgressDialog&) = delete;
  TransferProgressDialog& operator=(const TransferProgressDialog&) = delete;

  TransferProgress callback();
  // Whether the dialog was made (the transfer reported any progress).
  bool shown() const { return made_; }

 private:
  void report(qint64 done, qint64 total);

  QWidget* parent_;
  std::function<QString()> label_;
  QPointer<QProgressDialog> dialog_;
  bool made_ = false;
};

// "Transferring NAME ..." in the current language.
QString transferLabel(const QString& name, int language);

}  // namespace karvel::ui
