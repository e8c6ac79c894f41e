// SPDX-License-Identifier: GPL-3.0-or-later
// karvel-cli register: the site register from scripts (add, list, show,
// baseline, compare, export, backup, check, sync; report
// in ReportCommand). Takes the arguments after
// "register" and returns the process exit code; errors go to stderr.
#pragma once

#include <QStringList>

namespace karvel {
class Register;
}

namespace karvel::cli {

int runRegister(const QStringList& args);

class CommandLine;
// For the register commands in files of their own (report): opens the
// register of --register or the settings, a server included, saying on
// stderr why it could not; and fails naming that register.
bool openRegisterOf(const CommandLine& line, Register& reg);
int registerFailed(const QString& message);

}  // namespace karvel::cli
