// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/frame/FocusStyle.h"

#include <QApplication>
#include <QPainter>
#include <QStyleFactory>
#include <QStyleOption>

namespace karvel::ui {

FocusStyle::FocusStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}

void FocusStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                               QPainter* painter, const QWidget* widget) const {
  if (element != PE_FrameFocusRect) {
    QProxyStyle::drawPrimitive(element, option, painter, widget);
    return;
  }
  // As Fusion: shown once the keyboard is in use (item views always ask).
  if (!(option->state & State_KeyboardFocusChange)) return;
  drawRing(option->rect, painter);
}

void FocusStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                             const QWidget* widget) const {
  QProxyStyle::drawControl(element, option, painter, widget);
  if (element == CE_PushButton && (option->state & State_HasFocus) &&
      (option->state & State_KeyboardFocusChange))
    drawRing(option->rect.adjusted(3, 3, -3, -3), painter);
}

void FocusStyle::drawRing(const QRect& rect, QPainter* painter) {
  const QRect outer = rect.adjusted(0, 0, -1, -1);
  if (outer.width() < 5 || outer.height() < 5) return;
  painter->save();
  painter->setRenderHint(QPainter::Antialiasing, false);
  painter->setBrush(Qt::NoBrush);
  painter->setPen(QPen(Qt::black, 1));
  painter->drawRect(outer);
  painter->drawRect(outer.adjusted(1, 1, -1, -1));
  painter->setPen(QPen(Qt::white, 1));
  painter->drawRect(outer.adjusted(2, 2, -2, -2));
  painter->restore();
}

void useProgramStyle() { QApplication::setStyle(new FocusStyle); }

}  // namespace karvel::ui
