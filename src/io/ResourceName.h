// SPDX-License-Identifier: GPL-3.0-or-later
// Resource names of the I/O layer:
//   "ASRL<n>" or "ASRL<n>::INSTR"   serial port n (COM<n>; /dev/ttyS<n-1> on Linux)
//   "ASRL<device path>::INSTR"      a serial device by its path (e.g. /dev/ttyUSB0)
//   "TCPIP[<board>]::<host>::<port>::SOCKET"   raw TCP socket
#pragma once

#include <QString>
#include <optional>

namespace karvel::io {

struct ResourceName {
  enum class Kind { Serial, Socket };
  Kind kind = Kind::Serial;
  QString device;     // serial: the system's device name or path
  QString host;       // socket
  quint16 port = 0;   // socket
  QString canonical;  // the name as the layer reports it back
};

// Nothing when the text is not a resource name this layer can open.
std::optional<ResourceName> parseResourceName(const QString& text);

// The system device of serial port number n.
QString serialDeviceForNumber(int n);

// The name under which a serial device is listed by a resource search.
QString serialResourceName(const QString& device);

// A VISA search expression ("?" any character, "*" repeats what precedes,
// "+" one or more, "[..]" a class) matched against a resource name, ignoring case.
bool matchesExpression(const QString& expression, const QString& name);

}  // namespace karvel::io
