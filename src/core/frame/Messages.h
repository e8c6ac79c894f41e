// SPDX-License-Identifier: GPL-3.0-or-later
// The message catalogue and the one routine through which failures meant for
// the user are shown.
#pragma once

#include <QString>

#include "core/frame/AppState.h"
#include "core/frame/Texts.h"

namespace karvel {

constexpr int kMessageCount = 34;
// The message that every negative (communication) number stands for.
constexpr int kMessageTimeOut = 20;

// The catalogue text of `number` in `language`; empty outside 0..33.
QString messageText(int number, int language);

// What PopupErreur shows for `number`, without showing it.
struct ErrorPopup {
  int number = 0;  // the catalogue entry shown (20 for any negative number)
  QString title;   // e.g. "Error n° -127"
  QString text;    // the catalogue text and a line feed
};
ErrorPopup errorPopup(int number, int language);

// Shows catalogue message `number` in the current language in a box with an
// OK button. A negative number shows the communication time-out message,
// which ends with one more line naming the link's failure and its address
// when one is known.
void PopupErreur(AppState& state, int number);

}  // namespace karvel
