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

// The failure of a comparison of `paths` (register compare: of a segment),
// by its cause: a file missing, unreadable or protected, else file-invalid.
CliError comparedFilesError(const QStringList& paths, const QString& message);
// The failure of writing the comparison's workbook: its template missing,
// else the workbook's own.
CliError workbookError(const QString& templateFile, const QString& workbook,
                       const QString& message);

}  // namespace karvel::cli
