// SPDX-License-Identifier: GPL-3.0-or-later
// Tables of the results windows and the comparison window as keyboard users
// meet them: the arrow keys move inside, Tab and Shift+Tab go on to the next
// control, and Ctrl+Tab / Ctrl+Shift+Tab do the same (the desktop's way out
// of a widget that might keep Tab), so that nothing after a table is out of
// reach.
#pragma once

#include <optional>

class QAbstractItemView;
class QKeyEvent;

namespace karvel::ui {

void letTabLeave(QAbstractItemView& view);

// Ctrl+Tab (true: to the next control) or Ctrl+Shift+Tab (false); nothing
// for any other key. The windows move their focus on it from any control.
std::optional<bool> ctrlTabDirection(const QKeyEvent& key);

}  // namespace karvel::ui
