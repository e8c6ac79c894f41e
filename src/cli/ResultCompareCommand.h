// SPDX-License-Identifier: GPL-3.0-or-later
// karvel-cli result compare: results of one bus side by side, ordered by
// date, with trends and shrinking margins. Takes the arguments after "result
// compare" and returns the process exit code; errors go to stderr.
#pragma once

#include <QStringList>

#include "cli/Console.h"
#include "core/results/Compare.h"

namespace karvel::cli {

int runResultCompare(const QStringList& args);

// Prints a comparison as `result compare` does, in `format` (register
// compare prints the same).
void printComparison(const Comparison& comparison, Format format);

}  // namespace karvel::cli
