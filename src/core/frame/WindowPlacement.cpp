// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/frame/WindowPlacement.h"

namespace karvel {

QRect keepInside(const QRect& frame, const QRect& available) {
  if (available.isEmpty()) return frame;
  QRect r(frame.topLeft(), frame.size().boundedTo(available.size()).expandedTo(QSize(1, 1)));
  if (r.right() > available.right()) r.moveRight(available.right());
  if (r.bottom() > available.bottom()) r.moveBottom(available.bottom());
  if (r.left() < available.left()) r.moveLeft(available.left());
  if (r.top() < available.top()) r.moveTop(available.top());
  return r;
}

}  // namespace karvel
