// SPDX-License-Identifier: GPL-3.0-or-later
// What every progress dialog of an operation on the interface's thread does
// from the operation's waits: it appears once the operation has run a while,
// the busy cursor gives way to an arrow while it shows, and the event loop
// turns (user input only once the modal dialog is up).
#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <functional>

namespace karvel::ui {

class DialogKeepAlive {
 public:
  // The operation starts now.
  void start() { since_.start(); }
  // Shows `dialog` once `delayMs` have passed, then turns the event loop; a
  // call from inside the loop it turns does nothing.
  void turn(QDialog* dialog, int delayMs);
  // The operation is over: the cursor goes back to what it was.
  void finish();

 private:
  QElapsedTimer since_;
  bool arrowPushed_ = false;
  bool turning_ = false;
};

// The dialog of such an operation: Escape and the window's close button ask
// for a cancel like its Cancel button does; it stays until the operation is
// over.
class CancellingDialog : public QDialog {
 public:
  CancellingDialog(QWidget* parent, std::function<void()> cancel)
      : QDialog(parent), cancel_(std::move(cancel)) {}
  void reject() override { cancel_(); }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  std::function<void()> cancel_;
};

}  // namespace karvel::ui
