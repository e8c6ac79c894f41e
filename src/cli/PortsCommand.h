// SPDX-License-Identifier: GPL-3.0-or-later
// karvel-cli instrument ports: the serial ports of this machine, their
// access and which the USB search would try. Takes the arguments after
// "instrument ports" and returns the process exit code.
#pragma once

#include <QStringList>

namespace karvel::cli {

int runPorts(const QStringList& args);

}  // namespace karvel::cli
