// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/instrument/IdentModelScope.h"

#include "core/frame/AppState.h"
#include "core/frame/Clock.h"
#include "core/instrument/ScpiCommands.h"
#include "io/Visa.h"

namespace karvel {

namespace {
// More than any model's reply; a peer that talks on is not kept whole.
constexpr qsizetype kIdentificationKept = 200;
}  // namespace

bool replyContains(const QByteArray& reply, const char* text) {
  return reply.toLower().contains(QByteArray(text).toLower());
}

int IdentModelScope(AppState& state, const QByteArray& reply, io::ViSession session) {
  state.instrumentModel = kModelNone;
  state.identificationReply = reply.left(kIdentificationKept);
  if (replyContains(reply, "4471052")) {
    state.instrumentModel = kModelRQ4102;
    return 0;
  }
  if (replyContains(reply, "4472318")) {
    state.instrumentModel = kModelRQ6102;
    return 0;
  }
  if (replyContains(reply, "RQ41")) {
    state.instrumentModel = kModelRQ4102;
    return 0;
  }
  if (replyContains(reply, "RQ61")) {
    // Named only by its prefix: it must accept bus-analysis mode.
    if (!state.visa) return -2;
    state.visa->viWrite(session, scpi::kClearAndModeBus);
    if (state.clock) state.clock->wait(500);
    state.visa->viWrite(session, scpi::kErrorQuery);
    QByteArray answer;
    state.visa->viRead(session, &answer, 50);
    if (replyContains(answer.left(50), "0,No error")) {
      state.instrumentModel = kModelRQ6102;
      return 0;
    }
    return -2;
  }
  return -1;
}

}  // namespace karvel
