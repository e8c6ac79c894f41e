// SPDX-License-Identifier: GPL-3.0-or-later
// Device paths in wrapped help texts stay on one line at any width, and what
// the user copies from such a text is the text as written.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QTextLayout>

#include "core/frame/Texts.h"
#include "core/instrument/CommunicationTexts.h"
#include "ui/frame/WholePaths.h"

using namespace karvel;
using namespace karvel::ui;

namespace {

// The lines `text` wraps into at `width` pixels, as a text box wraps them
// (between words, or anywhere when a word is wider than the line).
QStringList wrappedLines(const QString& text, int width) {
  QTextLayout layout(text, QApplication::font());
  QTextOption option;
  option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  layout.setTextOption(option);
  layout.beginLayout();
  QStringList lines;
  for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
    line.setLineWidth(width);
    lines.append(withoutJoiners(text.mid(line.textStart(), line.textLength())));
  }
  layout.endLayout();
  return lines;
}

bool onOneLine(const QStringList& lines, const QString& path) {
  for (const QString& line : lines)
    if (line.contains(path)) return true;
  return false;
}

}  // namespace

TEST(WholePaths, TheHintKeepsItsDevicePathOnOneLineAtAnyWidth) {
  const QString path = QStringLiteral("/dev/ttyUSB0");
  const int pathWidth = QFontMetrics(QApplication::font()).horizontalAdvance(path);
  for (int language = 0; language < 5; ++language) {
    const QString hint = pick(text::kCommPortHint, language);
    bool cutWithout = false;
    for (int width = pathWidth + 4; width < 700; width += 3) {
      EXPECT_TRUE(onOneLine(wrappedLines(keepPathsWhole(hint), width), path))
          << "language " << language << ", width " << width;
      cutWithout = cutWithout || !onOneLine(wrappedLines(hint, width), path);
    }
    // Left to itself the line breaking does cut it somewhere ("/dev/" then
    // "ttyUSB0"): what this test guards against.
    EXPECT_TRUE(cutWithout) << "language " << language;
  }
}

TEST(WholePaths, OnlyWordsWithAPathChangeAndTheJoinersGoAway) {
  const QString help =
      QStringLiteral("Ports:\n /dev/ttyS0  CP2102 USB to UART\n(RTS/CTS), C:\\karvel\\");
  const QString shown = keepPathsWhole(help);
  EXPECT_EQ(withoutJoiners(shown), help);
  EXPECT_TRUE(shown.startsWith(QStringLiteral("Ports:\n ")));
  EXPECT_TRUE(shown.contains(QStringLiteral("  CP2102 USB to UART\n")));
  EXPECT_FALSE(shown.contains(QStringLiteral("/dev/ttyS0")));  // joined inside
  // A character outside the basic plane keeps its two halves together.
  const QString emoji = QStringLiteral("/tmp/\U0001F600x");
  EXPECT_EQ(withoutJoiners(keepPathsWhole(emoji)), emoji);
  EXPECT_TRUE(keepPathsWhole(emoji).contains(QStringLiteral("\U0001F600")));
  EXPECT_EQ(keepPathsWhole(QString()), QString());
}

TEST(WholePaths, CopyingFromTheBoxGivesTheTextAsWritten) {
  WholePathsTextBox box;
  const QString help = pick(text::kCommPortHint, 0) + QStringLiteral("\n /dev/ttyUSB0  CP2102");
  box.setText(help);
  box.appendText(QStringLiteral("/dev/ttyS1"));
  const QString all = help + QStringLiteral("\n/dev/ttyS1");
  EXPECT_EQ(box.text(), all);
  box.selectAll();
  box.copy();
  EXPECT_EQ(QApplication::clipboard()->text(), all);
}
