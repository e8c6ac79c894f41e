// SPDX-License-Identifier: GPL-3.0-or-later
// What the user is told about a failed link: the cause and the address in
// one line, with the communication dialog's advice for a serial port that is
// refused or held by another program.
#pragma once

#include <QString>

#include "io/LinkFailure.h"

namespace karvel {

struct AppState;

// The failure to report now: the session's record of its last opening or
// check, else the I/O layer's record of its last operation.
io::LinkFailure lastLinkFailure(const AppState& state);

// "Connection refused: TCPIP0::10.0.0.5::23::SOCKET." in `language`; empty
// when nothing failed.
QString linkFailureLine(const io::LinkFailure& failure, int language);

}  // namespace karvel
