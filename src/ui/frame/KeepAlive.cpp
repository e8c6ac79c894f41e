// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/frame/KeepAlive.h"

#include <QApplication>
#include <QCloseEvent>

namespace karvel::ui {

void DialogKeepAlive::turn(QDialog* dialog, int delayMs) {
  // A paint or a click handled here must not start a second round.
  if (turning_) return;
  turning_ = true;
  if (dialog && !dialog->isVisible() && since_.isValid() && since_.elapsed() >= delayMs) {
    // The busy cursor would hide that Cancel can be clicked.
    if (QApplication::overrideCursor()) {
      QApplication::setOverrideCursor(Qt::ArrowCursor);
      arrowPushed_ = true;
    }
    dialog->show();
  }
  // Until the dialog (modal) is up, clicks and keys wait for the operation's end.
  const bool shown = dialog && dialog->isVisible();
  QCoreApplication::processEvents(shown ? QEventLoop::AllEvents
                                        : QEventLoop::ExcludeUserInputEvents);
  turning_ = false;
}

void DialogKeepAlive::finish() {
  if (arrowPushed_) {
    QApplication::restoreOverrideCursor();
    arrowPushed_ = false;
  }
  since_.invalidate();
}

void CancellingDialog::closeEvent(QCloseEvent* event) {
  event->ignore();
  cancel_();
}

}  // namespace karvel::ui
