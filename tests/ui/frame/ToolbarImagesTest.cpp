// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QBitmap>
#include <QImage>
#include <QPushButton>

#include "ui/frame/LanguageDialog.h"
#include "ui/frame/ToolbarIcons.h"
#include "ui_LanguageDialog.h"

using namespace karvel::ui;

TEST(ToolbarImages, EveryImageIsDrawnAtBothDensities) {
  const char* names[] = {"open", "save", "import", "export", "print",   "help",
                         "stop", "go",   "RS232",  "USB",    "Ethernet"};
  for (const char* name : names) {
    SCOPED_TRACE(name);
    const QString base = QString(KARVEL_APPDIR) + "/toolbar/" + name;
    const QImage normal(base + ".bmp");
    const QImage doubled(base + "@2x.bmp");
    ASSERT_FALSE(normal.isNull());
    ASSERT_FALSE(doubled.isNull());
    EXPECT_EQ(normal.size(), QSize(24, 24));
    EXPECT_EQ(doubled.size(), QSize(48, 48));
    // The corner is background (see-through), the middle is drawn.
    EXPECT_EQ(normal.pixel(0, 0), kToolbarKeyColour);
    int drawn = 0;
    for (int y = 0; y < 24; ++y) {
      for (int x = 0; x < 24; ++x) drawn += normal.pixel(x, y) != kToolbarKeyColour;
    }
    EXPECT_GT(drawn, 60);
  }
}

TEST(ToolbarImages, IconsAreSeeThroughWhereTheBackgroundIs) {
  const QIcon icon = toolbarIcon(KARVEL_APPDIR, "toolbar/go.bmp");
  ASSERT_FALSE(icon.isNull());
  const QImage image = icon.pixmap(QSize(24, 24), 1.0).toImage();
  EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
  EXPECT_EQ(qAlpha(image.pixel(12, 12)), 255);
  // A missing picture gives an empty icon, no failure.
  EXPECT_TRUE(toolbarIcon(KARVEL_APPDIR, "toolbar/none.bmp").isNull());
}

TEST(LanguageChooser, ButtonsGiveTheLanguageIndexAndNothingElseEndsIt) {
  LanguageDialog dialog;
  dialog.show();
  static_cast<QDialog&>(dialog).reject();  // Escape or the close box: still waiting
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(dialog.chosen(), -1);
  dialog.findChild<QPushButton*>("spanishButton")->click();
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.chosen(), 3);
}
