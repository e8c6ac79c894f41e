// SPDX-License-Identifier: GPL-3.0-or-later
// The program's look: Fusion, with a keyboard focus that shows on any
// palette and any cell colour.
#pragma once

#include <QProxyStyle>

namespace karvel::ui {

// Fusion draws the focus as a faint tinted frame, too pale on a light
// palette and lost on the bus table's own cell colours. This draws it as a
// dark ring inside a light one: one of the two stands out on any background.
class FocusStyle : public QProxyStyle {
  Q_OBJECT

 public:
  FocusStyle();
  void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
  // Fusion marks a focused push button by a tint of its outline only.
  void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                   const QWidget* widget = nullptr) const override;

 private:
  static void drawRing(const QRect& rect, QPainter* painter);
};

// Makes a FocusStyle the application's style (it takes ownership).
void useProgramStyle();

}  // namespace karvel::ui
