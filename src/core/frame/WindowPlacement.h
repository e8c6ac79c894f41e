// SPDX-License-Identifier: GPL-3.0-or-later
// Where windows go on the screen. Every rectangle here is a window's frame,
// its decorations included, in screen pixels; `available` is the room that
// the screen leaves free of panels and task bars.
#pragma once

#include <QRect>

namespace karvel {

// `frame` moved, and shrunk where it is larger than `available`, so that it
// lies wholly inside `available`. An empty `available` (no screen known)
// leaves the frame as it is.
QRect keepInside(const QRect& frame, const QRect& available);

}  // namespace karvel
