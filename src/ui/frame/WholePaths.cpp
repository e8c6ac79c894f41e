// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/frame/WholePaths.h"

#include <QMimeData>
#include <QTextCursor>
#include <QTextDocumentFragment>

namespace karvel::ui {

namespace {
constexpr char16_t kWordJoiner = u'\u2060';

bool holdsPath(QStringView word) { return word.contains(u'/') || word.contains(u'\\'); }
}  // namespace

QString keepPathsWhole(const QString& text) {
  QString out;
  out.reserve(text.size() + text.size() / 4);
  qsizetype i = 0;
  while (i < text.size()) {
    if (text[i].isSpace()) {
      out += text[i++];
      continue;
    }
    qsizetype end = i;
    while (end < text.size() && !text[end].isSpace()) ++end;
    const QStringView word = QStringView(text).mid(i, end - i);
    if (!holdsPath(word)) {
      out += word;
    } else {
      for (qsizetype k = 0; k < word.size(); ++k) {
        // Between the two halves of a surrogate pair nothing may go.
        if (k > 0 && !word[k].isLowSurrogate()) out += QChar(kWordJoiner);
        out += word[k];
      }
    }
    i = end;
  }
  return out;
}

QString withoutJoiners(const QString& text) {
  QString out = text;
  out.remove(QChar(kWordJoiner));
  return out;
}

WholePathsTextBox::WholePathsTextBox(QWidget* parent) : QPlainTextEdit(parent) {}

QMimeData* WholePathsTextBox::createMimeDataFromSelection() const {
  auto* data = new QMimeData;
  data->setText(withoutJoiners(textCursor().selection().toPlainText()));
  return data;
}

}  // namespace karvel::ui
