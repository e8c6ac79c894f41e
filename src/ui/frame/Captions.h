// SPDX-License-Identifier: GPL-3.0-or-later
// Captions that wrap on their own cut their last word or mark onto a line of
// its own ("... du bus" then "?"): a caption keeps the lines it is written
// with while they fit a sensible width, and its window grows to hold them.
#pragma once

class QLabel;

namespace karvel::ui {

// Keeps the lines of `caption`'s text as written when the widest fits in
// `widest` pixels; a longer one wraps between words. Run after every change
// of its text.
void keepWrittenLines(QLabel& caption, int widest);

}  // namespace karvel::ui
