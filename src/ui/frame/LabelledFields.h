// SPDX-License-Identifier: GPL-3.0-or-later
// A field a label stands for takes the label's words as its accessible name:
// a screen reader then says "Type of Files" on a combo box, not its value.
// Call it again whenever the labels change language.
#pragma once

#include <QLabel>
#include <QString>
#include <QWidget>

namespace karvel::ui {

// "&Working Directory :" -> "Working Directory": no mnemonic marks ("&&"
// stays one "&"), no colon or blanks at the end.
inline QString spokenLabel(const QString& text) {
  QString out;
  out.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] == u'&') {
      if (i + 1 < text.size() && text[i + 1] == u'&') {
        out += u'&';
        ++i;
      }
      continue;
    }
    out += text[i];
  }
  while (!out.isEmpty() && (out.back() == u':' || out.back().isSpace())) out.chop(1);
  return out.trimmed();
}

// Every label under `root` with a buddy names that buddy.
inline void nameFieldsAfterLabels(QWidget* root) {
  for (QLabel* label : root->findChildren<QLabel*>()) {
    if (QWidget* field = label->buddy()) field->setAccessibleName(spokenLabel(label->text()));
  }
}

}  // namespace karvel::ui
