// SPDX-License-Identifier: GPL-3.0-or-later
// The column beside the bus table on the main window: the bus values and the
// two generator captions with their "Next >>>" buttons, in a scroll area so
// that a low window never crushes them.
#pragma once

namespace Ui {
class MainWindow;
}

namespace karvel::ui {

// Makes the column as wide as its texts in the current language need, so
// that each caption keeps the lines it is written with and never wraps into
// a third, ragged one. Past a sensible width (very large fonts) the captions
// wrap between words instead. Run after every change of texts.
void fitSideColumn(Ui::MainWindow& form);

}  // namespace karvel::ui
