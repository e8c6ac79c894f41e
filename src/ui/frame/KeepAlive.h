// What every progress dialog of an operation on the interface's thread does
// from the operation's waits: it appears once the operation has run a while,
// the busy cursor gives way to an arrow while it shows, and the event loop
// turns (user input only once the modal dialog is up).
#pragma once

#include <QElapsedTimer>

class QDialog;

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

}  // namespace karvel::ui
