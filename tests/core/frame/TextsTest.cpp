// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "core/frame/Texts.h"

using namespace karvel;

TEST(Texts, MnemonicMarkersBecomeAmpersands) {
  EXPECT_EQ(menuText("__File"), "&File");
  EXPECT_EQ(menuText("E__xit"), "E&xit");
  EXPECT_EQ(menuText("A & B"), "A && B");
  EXPECT_EQ(menuText("trailing_"), "trailing_");
}

TEST(Texts, OutOfRangeLanguageNeverIndexesOutside) {
  const Text5 t{"fr", "en", "de", "es", "it"};
  EXPECT_EQ(pick(t, 0), "fr");
  EXPECT_EQ(pick(t, 4), "it");
  EXPECT_EQ(pick(t, 5), "en");
  EXPECT_EQ(pick(t, -1), "en");
}
