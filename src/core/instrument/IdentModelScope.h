// SPDX-License-Identifier: GPL-3.0-or-later
// Model identification: decides from an identification reply whether the
// instrument is supported and of which family.
#pragma once

#include <QByteArray>

#include "io/VisaTypes.h"

namespace karvel {

struct AppState;

// 0 identified (AppState::instrumentModel set to 3 or 4); -1 not a supported
// instrument; -2 a second-family instrument, named by its prefix only, that
// did not confirm bus-analysis mode. Rows are tried in this order: the two
// identification codes, then the two model-name prefixes.
int IdentModelScope(AppState& state, const QByteArray& reply, io::ViSession session);

// Case-insensitive search in raw reply bytes.
bool replyContains(const QByteArray& reply, const char* text);

}  // namespace karvel
