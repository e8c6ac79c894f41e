// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/frame/Colours.h"

#include <cmath>

namespace karvel::ui {

namespace {

double linear(double channel) {
  return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

double luminance(const QColor& c) {
  return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
}

}  // namespace

QColor textColourOn(const QColor& background) {
  // Black gives (L + 0.05) / 0.05, white 1.05 / (L + 0.05): they are equal
  // where (L + 0.05)^2 = 0.0525.
  const double l = luminance(background) + 0.05;
  return l * l >= 0.0525 ? QColor(Qt::black) : QColor(Qt::white);
}

QPalette lightPanelPalette() {
  const QColor window(0xEF, 0xEF, 0xEF);
  QPalette p(Qt::black, window, Qt::white, QColor(0x9F, 0x9F, 0x9F), QColor(0xB8, 0xB8, 0xB8),
             Qt::black, Qt::white, Qt::white, window);
  p.setColor(QPalette::Highlight, QColor(0x30, 0x8C, 0xC6));
  p.setColor(QPalette::HighlightedText, Qt::white);
  p.setColor(QPalette::Link, QColor(0x1A, 0x5F, 0xB4));
  p.setColor(QPalette::LinkVisited, QColor(0x80, 0x00, 0x80));
  p.setColor(QPalette::ToolTipBase, QColor(0xFF, 0xFF, 0xDC));
  p.setColor(QPalette::ToolTipText, Qt::black);
  p.setColor(QPalette::PlaceholderText, QColor(0x5E, 0x5C, 0x64));
  for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
    p.setColor(QPalette::Disabled, role, QColor(0x90, 0x90, 0x90));
  return p;
}

}  // namespace karvel::ui
