// SPDX-License-Identifier: GPL-3.0-or-later
// karvel-cli register: the site register from scripts (add, list, show,
// baseline, compare, export, backup, check). Takes the arguments after
// "register" and returns the process exit code; errors go to stderr.
#pragma once

#include <QStringList>

namespace karvel::cli {

int runRegister(const QStringList& args);

}  // namespace karvel::cli
