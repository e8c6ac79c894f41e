// SPDX-License-Identifier: GPL-3.0-or-later
// Combo boxes named by their label for screen readers. On Linux, Qt's own
// accessible combo box gives its current value ("Any bus", "English") as
// its name, whatever accessible name or label it was given; Orca then
// announces the value twice and never the label. The interface installed
// here gives the accessible name (else the buddy label's words) as the
// name and the current text as the value, and keeps the rest of Qt's combo
// box: the list and the typed line as children, and the action that opens
// the list.
#pragma once

namespace karvel::ui {

// Installs the interface for every combo box made from now on; call it once,
// right after the QApplication exists (the program's main and the tests').
void nameComboBoxesByLabel();

}  // namespace karvel::ui
