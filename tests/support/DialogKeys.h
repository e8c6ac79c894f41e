// SPDX-License-Identifier: GPL-3.0-or-later
// Keys as a keyboard user gives them to a dialog: the window made active (so
// that buttons see their focus come and go, as default buttons need), then
// each key pressed and released on the widget that has the focus.
#pragma once

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace karvel::test {

// Shows `window` and makes it the active window; false if the platform
// would not.
inline bool showActive(QWidget* window) {
  auto activate = [window] {
    window->show();
    window->raise();
    window->activateWindow();
    for (int i = 0; i < 20 && QApplication::activeWindow() != window; ++i)
      QApplication::processEvents();
    return QApplication::activeWindow() == window;
  };
  if (activate()) return true;
  // The offscreen platform does not tell a window shown again that it is
  // active when it was the last one active before it was hidden: another
  // window takes the activation for a moment.
  {
    QWidget other;
    other.show();
    other.activateWindow();
    QApplication::processEvents();
  }
  QApplication::processEvents();
  return activate();
}

// The widget keys go to: the focus widget, else the active window.
inline QWidget* keyTarget() {
  if (QWidget* w = QApplication::focusWidget()) return w;
  return QApplication::activeWindow();
}

inline void pressKey(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QWidget* target = keyTarget();
  if (!target) return;
  QKeyEvent down(QEvent::KeyPress, key, modifiers);
  QApplication::sendEvent(target, &down);
  // The press may have closed the window that had the focus.
  if (QWidget* now = keyTarget()) {
    QKeyEvent up(QEvent::KeyRelease, key, modifiers);
    QApplication::sendEvent(now, &up);
  }
  QApplication::processEvents();
}

// Tab until `widget` has the focus, at most `limit` presses; false if it
// never does.
inline bool tabTo(QWidget* widget, int limit = 40) {
  for (int i = 0; i < limit; ++i) {
    if (QApplication::focusWidget() == widget) return true;
    pressKey(Qt::Key_Tab);
  }
  return QApplication::focusWidget() == widget;
}

}  // namespace karvel::test
