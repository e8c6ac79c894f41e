// SPDX-License-Identifier: GPL-3.0-or-later
// Why a link to the instrument failed, as far as the system tells: kept by
// the I/O layer for the last opening, read or write, so that the one
// "communication failure" message can name its cause and the address tried.
#pragma once

#include <QString>

namespace karvel::io {

enum class LinkCause {
  None,          // the last operation went through
  Refused,       // the host answered, nobody listens on that port
  Unreachable,   // no route to the host
  UnknownHost,   // the host name does not resolve
  NoDevice,      // the serial device does not exist
  Permission,    // the device exists, this account may not open it
  Busy,          // another program holds the device
  Malformed,     // the text is no resource name
  TimeOut,       // nothing (or not all) came within the time-out
  Lost,          // the peer went away
  Unrecognised,  // something answered, but not as a supported instrument
  NoPort,        // the USB search found no port to try
  SpeedChange,   // answered, then at neither speed after the change; `detail`: the old one
  Other,         // anything else; `detail` holds the system's words
};

struct LinkFailure {
  LinkCause cause = LinkCause::None;
  QString address;  // the resource name tried, as given
  QString device;   // serial links: the device path, for advice about it
  QString detail;   // the system's own text, when it gave one
  bool failed() const { return cause != LinkCause::None; }
};

}  // namespace karvel::io
