// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "core/frame/Messages.h"
#include "support/ScriptedInteraction.h"

using namespace karvel;

TEST(Messages, CatalogueIsCompleteInEveryLanguage) {
  for (int n = 0; n < kMessageCount; ++n) {
    for (int language = 0; language < kLanguageCount; ++language) {
      EXPECT_FALSE(messageText(n, language).isEmpty()) << n << " " << language;
    }
  }
  EXPECT_EQ(messageText(24, English), "Error writing file ");  // trailing blank kept
  EXPECT_EQ(messageText(27, French), "Opération non autorisée");
  EXPECT_EQ(messageText(0, German), "Setup file KARVEL.INI nicht gefunden");
  EXPECT_TRUE(messageText(34, English).isEmpty());
  EXPECT_TRUE(messageText(-1, English).isEmpty());
}

TEST(Messages, PopupTitlesAndTexts) {
  test::ScriptedInteraction ui;
  AppState state;
  state.ui = &ui;
  state.language = English;

  PopupErreur(state, 0);
  PopupErreur(state, 27);
  PopupErreur(state, -1);
  PopupErreur(state, -9999);
  ASSERT_EQ(ui.messages.size(), 4);
  EXPECT_EQ(ui.messages[0].title, "Error n° -100");
  EXPECT_EQ(ui.messages[0].text, "File KARVEL.INI not found\n");
  EXPECT_EQ(ui.messages[1].title, "Error n° -127");
  EXPECT_EQ(ui.messages[1].text, "Impossible to do this command\n");
  // Every negative number stands for the time-out message.
  for (int i : {2, 3}) {
    EXPECT_EQ(ui.messages[i].title, "Error n° -120");
    EXPECT_TRUE(ui.messages[i].text.startsWith("Invalid communication (Time Out : no response)."));
    EXPECT_TRUE(ui.messages[i].text.endsWith("\n"));
  }
}

TEST(Messages, PopupSpeaksTheCurrentLanguageWithinLimits) {
  EXPECT_EQ(errorPopup(27, French).title, "Erreur n° -127");
  EXPECT_EQ(errorPopup(27, Italian).title, "Errore n° -127");
  EXPECT_EQ(errorPopup(0, German).title, "Fehler n° -100");
  for (int language = 0; language < kLanguageCount; ++language) {
    for (int n = -2; n < kMessageCount + 2; ++n) {
      const ErrorPopup p = errorPopup(n, language);
      EXPECT_LE(p.title.size(), 19);
      EXPECT_LE(p.text.size(), 199);
    }
  }
  // Beyond the catalogue: the code still shows, the text is empty.
  const ErrorPopup beyond = errorPopup(40, English);
  EXPECT_EQ(beyond.title, "Error n° -140");
  EXPECT_EQ(beyond.text, "\n");
}
