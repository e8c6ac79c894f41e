// SPDX-License-Identifier: GPL-3.0-or-later
// Paths such as /dev/ttyUSB0 inside wrapped text: line breaking may cut a
// line after any "/" or "-", which leaves "/dev/" at the end of one line and
// "ttyUSB0" on the next. Word joiners (U+2060, invisible) between the
// characters of a path keep it on one line wherever the rest wraps.
#pragma once

#include <QPlainTextEdit>
#include <QString>

namespace karvel::ui {

// `text` with every word that holds a "/" or a "\" kept whole.
QString keepPathsWhole(const QString& text);
// `text` without the word joiners, as the user copies it.
QString withoutJoiners(const QString& text);

// A read-only text box whose paths stay whole; what the user copies from it
// is the text as written, without the joiners.
class WholePathsTextBox : public QPlainTextEdit {
  Q_OBJECT
 public:
  explicit WholePathsTextBox(QWidget* parent = nullptr);
  void setText(const QString& text) { setPlainText(keepPathsWhole(text)); }
  void appendText(const QString& text) { appendPlainText(keepPathsWhole(text)); }
  // The text shown, as written.
  QString text() const { return withoutJoiners(toPlainText()); }

 protected:
  QMimeData* createMimeDataFromSelection() const override;
};

}  // namespace karvel::ui
