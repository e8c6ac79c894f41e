// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/results/TableFocus.h"

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QKeyEvent>

namespace karvel::ui {

namespace {

// Turns Ctrl+Tab and Ctrl+Shift+Tab into Tab and Shift+Tab, which the view
// (without tab key navigation) hands to the focus chain.
class CtrlTabLeaves : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress) return false;
    const std::optional<bool> next = ctrlTabDirection(*static_cast<QKeyEvent*>(event));
    if (!next) return false;
    const bool back = !*next;
    QKeyEvent plain(QEvent::KeyPress, back ? Qt::Key_Backtab : Qt::Key_Tab,
                    back ? Qt::ShiftModifier : Qt::NoModifier);
    QCoreApplication::sendEvent(watched, &plain);
    return true;
  }
};

}  // namespace

std::optional<bool> ctrlTabDirection(const QKeyEvent& key) {
  if (!(key.modifiers() & Qt::ControlModifier)) return std::nullopt;
  if (key.key() == Qt::Key_Backtab) return false;
  if (key.key() != Qt::Key_Tab) return std::nullopt;
  return !(key.modifiers() & Qt::ShiftModifier);
}

void letTabLeave(QAbstractItemView& view) {
  view.setTabKeyNavigation(false);
  view.installEventFilter(new CtrlTabLeaves(&view));
}

}  // namespace karvel::ui
