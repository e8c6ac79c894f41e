// SPDX-License-Identifier: GPL-3.0-or-later
// An instrument operation of the windows in a small dialog: what it does now
// and Cancel (also Escape and the window's close button). It appears once the
// operation takes more than a moment, and keeps the windows painting while
// the operation runs on the interface's thread.
#pragma once

#include <QDialog>
#include <QPointer>
#include <QString>

#include "core/frame/OperationProgress.h"
#include "ui/frame/KeepAlive.h"

class QLabel;
class QPushButton;
class QWidget;

namespace karvel::ui {

class OperationDialog : public OperationProgress {
 public:
  // `parent`: the window the dialog belongs to when no modal dialog is up.
  OperationDialog(QWidget* parent, const int* language);
  ~OperationDialog() override;
  OperationDialog(const OperationDialog&) = delete;
  OperationDialog& operator=(const OperationDialog&) = delete;

  void begin(const QString& activity) override;
  void say(const QString& activity) override;
  void keepAlive() override;
  bool cancelRequested() override { return cancelAsked_; }
  void end() override;

  // What Cancel does (Exit uses it too).
  void askCancel();
  // The dialog while an operation runs (shown or not yet), else null.
  QDialog* dialog() const { return dialog_.data(); }
  // How long an operation runs before its dialog appears; tests make it 0.
  static void setShowDelay(int ms);

 private:
  QWidget* parent_;
  const int* language_;
  QPointer<QDialog> dialog_;
  QLabel* activityLabel_ = nullptr;
  QPushButton* cancelButton_ = nullptr;
  DialogKeepAlive keepAlive_;
  bool cancelAsked_ = false;
};

}  // namespace karvel::ui
