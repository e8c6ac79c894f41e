// SPDX-License-Identifier: GPL-3.0-or-later
// karvel-cli result show|export: a result file read and printed, or handed on
// to the export. Takes the arguments after the group word and returns the
// process exit code; errors go to stderr.
#pragma once

#include <QStringList>

#include "cli/Failure.h"
#include "core/results/ResultReader.h"

namespace karvel::cli {

int runResult(const QStringList& args);

// A file without any of a result file's markers (karvel::holdsResult) is
// some other file, not an incomplete result.
using karvel::holdsResult;
QString notAResultFile(const QString& path);
// A result file that could not be read, by its cause.
CliError resultReadError(const QString& path, const QString& message);

}  // namespace karvel::cli
