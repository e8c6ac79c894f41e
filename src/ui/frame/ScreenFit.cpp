// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/frame/ScreenFit.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include "core/frame/WindowPlacement.h"

namespace karvel::ui {

namespace {

// A title bar and a thin border, as most window managers draw them, for as
// long as the window system has not said.
constexpr QMargins kUsualFrame(4, 32, 4, 4);

QMargins toldMargins(const QWidget& window) {
  if (!window.isVisible()) return {};
  const QRect outer = window.frameGeometry();
  const QRect inner = window.geometry();
  return QMargins(inner.left() - outer.left(), inner.top() - outer.top(),
                  outer.right() - inner.right(), outer.bottom() - inner.bottom());
}

const QScreen* screenFor(const QRect& frame) {
  if (const QScreen* s = QGuiApplication::screenAt(frame.center())) return s;
  const QScreen* best = nullptr;
  qint64 bestArea = 0;
  const auto screens = QGuiApplication::screens();
  for (const QScreen* s : screens) {
    const QRect common = s->availableGeometry().intersected(frame);
    const qint64 area = qint64(common.width()) * common.height();
    if (area > bestArea) {
      best = s;
      bestArea = area;
    }
  }
  return best;
}

}  // namespace

QRect availableRoom(const QRect& frame) {
  if (const QScreen* s = screenFor(frame)) return s->availableGeometry();
  const QScreen* primary = QGuiApplication::primaryScreen();
  return primary ? primary->availableGeometry() : QRect();
}

QMargins frameMarginsOf(const QWidget& window) {
  QMargins told = toldMargins(window);
  if (!told.isNull()) return told;
  const auto windows = QApplication::topLevelWidgets();
  for (const QWidget* other : windows) {
    if (other == &window || !other->isWindow()) continue;
    told = toldMargins(*other);
    if (!told.isNull()) return told;
  }
  return kUsualFrame;
}

void keepOnScreen(QWidget& window) {
  const QMargins margins = frameMarginsOf(window);
  QRect frame = window.geometry().marginsAdded(margins);
  const QRect room = availableRoom(frame);
  if (room.isEmpty()) return;
  if (!screenFor(frame)) frame.moveCenter(room.center());
  const QRect fitted = keepInside(frame, room);
  const QRect inner = fitted.marginsRemoved(margins);
  if (inner != window.geometry()) window.setGeometry(inner);
}

}  // namespace karvel::ui
