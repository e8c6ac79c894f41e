// SPDX-License-Identifier: GPL-3.0-or-later
// The progress of a file transfer in a dialog: the file's name, the bytes
// moved of the file's size, and Cancel. It appears once the transfer takes
// more than a moment, and keeps the windows painting while the transfer runs
// on the interface's thread.
#pragma once

#include <QDialog>
#include <QPointer>
#include <QString>

#include "core/instrument/TransferProgress.h"
#include "ui/frame/KeepAlive.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QWidget;

namespace karvel::ui {

class TransferProgressDialog : public TransferProgress {
 public:
  TransferProgressDialog(QWidget* parent, int language);
  ~TransferProgressDialog() override;
  TransferProgressDialog(const TransferProgressDialog&) = delete;
  TransferProgressDialog& operator=(const TransferProgressDialog&) = delete;

  void begin(const QString& name, qint64 total, Direction direction) override;
  void advance(qint64 done, qint64 total) override;
  void keepAlive() override;
  bool cancelRequested() override { return cancelAsked_; }
  void cancelling() override;
  void end() override;

  // The dialog once the transfer has begun (shown or not yet), else null.
  QDialog* dialog() const { return dialog_.data(); }
  // How long a transfer runs before its dialog appears; tests make it 0.
  static void setShowDelay(int ms);

 private:
  void askCancel();
  void showBytes();

  QWidget* parent_;
  int language_;
  QPointer<QDialog> dialog_;
  QLabel* nameLabel_ = nullptr;
  QLabel* bytesLabel_ = nullptr;
  QProgressBar* bar_ = nullptr;
  QPushButton* cancelButton_ = nullptr;
  DialogKeepAlive keepAlive_;
  qint64 done_ = 0;
  qint64 total_ = 0;
  bool cancelAsked_ = false;
};

}  // namespace karvel::ui
