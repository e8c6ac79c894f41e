// Why a serial port cannot be opened, in words a user can act on: the port
// is missing, its group does not include the user, or another program holds it.
#pragma once

#include <QString>

namespace karvel {

struct PortProblem {
  enum class Kind { None, Missing, Permission, Busy };
  Kind kind = Kind::None;
  QString group;   // Permission: the group owning the device
  QString user;    // Permission: the account running the program
  QString holder;  // Busy: the program holding it, when known
};

PortProblem diagnoseSerialPort(const QString& device);

// The help text for `problem` in `language`; empty for Kind::None.
QString portAdvice(const PortProblem& problem, const QString& device, int language);

}  // namespace karvel
