// SPDX-License-Identifier: GPL-3.0-or-later
// Loads the toolbar images drawn at build time (toolbar/<name>.bmp and its
// double-density twin <name>@2x.bmp) from the program folder.
#pragma once

#include <QColor>
#include <QIcon>
#include <QString>

namespace karvel::ui {

// Bitmaps carry no transparency: this background colour is the see-through
// part. The image painter (tools/icons) paints with the same colour.
inline constexpr QRgb kToolbarKeyColour = 0xFFEFEFF1;

// `relative` is the image path below the program folder, e.g. "toolbar/open.bmp".
// A missing image gives an empty icon (the button still works).
QIcon toolbarIcon(const QString& programDir, const QString& relative);

}  // namespace karvel::ui
