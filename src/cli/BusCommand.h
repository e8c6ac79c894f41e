// SPDX-License-Identifier: GPL-3.0-or-later
// karvel-cli bus: bus definition files shown, derived and edited. Takes the
// arguments after the group word and returns the process exit code; errors go
// to stderr.
#pragma once

#include <QStringList>

namespace karvel::cli {

int runBus(const QStringList& args);

}  // namespace karvel::cli
