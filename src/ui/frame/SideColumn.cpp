// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/frame/SideColumn.h"

#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <algorithm>

#include "ui_MainWindow.h"

namespace karvel::ui {

namespace {
constexpr int kNarrowest = 260;
constexpr int kWidest = 420;
}  // namespace

void fitSideColumn(Ui::MainWindow& f) {
  // The column shows the window's own background, not a scroll area's.
  f.sidePanel->viewport()->setAutoFillBackground(false);
  f.sideContents->setAutoFillBackground(false);

  QLabel* const captions[] = {f.speedCaption, f.voltageCaption};
  for (QLabel* caption : captions) caption->setWordWrap(false);
  int width = f.sideContents->minimumSizeHint().width();
  if (width > kWidest) {
    for (QLabel* caption : captions) caption->setWordWrap(true);
    width = kWidest;
  }
  width = std::max(width, kNarrowest);
  // Room for the scroll bar that a low window shows, so that it never
  // covers the fields.
  const int bar = f.sidePanel->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr,
                                                    f.sidePanel->verticalScrollBar());
  f.sidePanel->setFixedWidth(width + bar);
}

}  // namespace karvel::ui
