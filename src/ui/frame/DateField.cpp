// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/frame/DateField.h"

namespace karvel::ui {

DateField::DateField(QWidget* parent) : QDateEdit(parent) {}

// QWidget's own walk of the focus chain, not QDateTimeEdit's walk of the
// sections.
bool DateField::focusNextPrevChild(bool next) { return QWidget::focusNextPrevChild(next); }

}  // namespace karvel::ui
