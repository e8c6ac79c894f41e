// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/frame/Captions.h"

#include <QFontMetrics>
#include <QLabel>
#include <algorithm>

namespace karvel::ui {

void keepWrittenLines(QLabel& caption, int widest) {
  const QFontMetrics metrics(caption.font());
  int longest = 0;
  const QStringList lines = caption.text().split(u'\n');
  for (const QString& line : lines) longest = std::max(longest, metrics.horizontalAdvance(line));
  caption.setWordWrap(longest > widest);
}

}  // namespace karvel::ui
