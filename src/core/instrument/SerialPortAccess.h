// SPDX-License-Identifier: GPL-3.0-or-later
// Why a serial port cannot be opened, in words a user can act on: the port
// is missing, its group does not include the user (or no group may open it),
// or another program holds it.
#pragma once

#include <QString>

namespace karvel {

struct PortProblem {
  enum class Kind { None, Missing, Permission, Busy };
  Kind kind = Kind::None;
  QString group;   // Permission: the group owning the device
  QString user;    // Permission: the account running the program
  QString holder;  // Busy: the program holding it, when known
  // Permission: whether joining `group` lets the user in. When it does not,
  // the device's permissions must change: `mode` (e.g. "0600") says why,
  // `rule` is the udev line that gives the device to "dialout".
  bool groupMayOpen = true;
  QString mode;
  QString rule;
};

// `sysRoot` (normally "/sys") tells the USB ids that the udev rule names.
PortProblem diagnoseSerialPort(const QString& device,
                               const QString& sysRoot = QStringLiteral("/sys"));

// A device this account may not open, owned by group `gid` with permission
// bits `mode`: the group and user to name, and whether joining the group
// helps. Only a group that may read and write the device helps, and never
// the system's own group (gid 0).
PortProblem permissionProblem(const QString& device, unsigned mode, unsigned gid,
                              const QString& sysRoot = QStringLiteral("/sys"));

// The udev rule line that opens `device` to the group "dialout": by its USB
// ids when it has some (they survive a new tty number), else by its name.
QString udevRuleFor(const QString& device, const QString& sysRoot);

// The help text for `problem` in `language`; empty for Kind::None.
QString portAdvice(const PortProblem& problem, const QString& device, int language);

// The communication dialog's help for USB in `language`. Windows: the USB
// driver to install. Elsewhere the system has the drivers, and what counts is
// whether this account may open the port: the oscilloscope's USB ports found
// below `sysRoot` (named below `devRoot`), each with what keeps it closed to
// this account (the group to join, or the udev line), or, when none is
// connected, the group such ports belong to.
QString usbHelp(int language, const QString& sysRoot = QStringLiteral("/sys"),
                const QString& devRoot = QStringLiteral("/dev"));

}  // namespace karvel
