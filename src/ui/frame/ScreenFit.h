// SPDX-License-Identifier: GPL-3.0-or-later
// Keeps the program's windows on the screen that shows them, whatever the
// settings file or the cascade of results windows asks for.
#pragma once

#include <QMargins>
#include <QRect>

class QWidget;

namespace karvel::ui {

// The free room (QScreen::availableGeometry) of the screen that holds the
// middle of `frame`, else of the screen it overlaps most, else of the
// primary screen; empty when there is no screen at all.
QRect availableRoom(const QRect& frame);

// The decorations that the window system puts around `window`: its own once
// shown and told, else those of another window of the program that is shown,
// else a usual title bar and border.
QMargins frameMarginsOf(const QWidget& window);

// Moves the top-level `window`, and shrinks it when it is larger, so that its
// frame lies wholly inside the free room of its screen. A window that lies on
// no screen at all comes back to the middle of the primary one.
void keepOnScreen(QWidget& window);

}  // namespace karvel::ui
