// SPDX-License-Identifier: GPL-3.0-or-later
// A date field that Tab leaves at once. QDateEdit takes Tab for its own
// sections (year, month, day) and a field showing a special value text
// ("(any date)") walks through them too, so a keyboard user presses Tab
// several times per date to reach the next control; here Tab and Shift+Tab
// go to the next or previous control, and the arrow keys still move between
// the sections and change them. The register window's search and the
// report dialog use it.
#pragma once

#include <QDateEdit>

namespace karvel::ui {

class DateField : public QDateEdit {
  Q_OBJECT
 public:
  explicit DateField(QWidget* parent = nullptr);

 protected:
  bool focusNextPrevChild(bool next) override;
};

}  // namespace karvel::ui
