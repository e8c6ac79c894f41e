// SPDX-License-Identifier: GPL-3.0-or-later
// Text on the backgrounds that the program paints itself (table bands,
// status colours): the desktop's palette may bring a light text colour meant
// for dark backgrounds, so such text takes a colour chosen for its own
// background instead.
#pragma once

#include <QColor>
#include <QPalette>

namespace karvel::ui {

// Black or white, whichever stands out more on `background` (relative
// luminance as WCAG defines it).
QColor textColourOn(const QColor& background);

// A light palette for a panel drawn in fixed colours of its own (the about
// panel's grey notes and blue and purple links), whatever the desktop's.
QPalette lightPanelPalette();

}  // namespace karvel::ui
