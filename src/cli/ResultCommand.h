// karvel-cli result show|export: a result file read and printed, or handed on
// to the export. Takes the arguments after the group word and returns the
// process exit code; errors go to stderr.
#pragma once

#include <QStringList>

#include "core/results/ResultTable.h"

namespace karvel::cli {

int runResult(const QStringList& args);

// Whether the reader found any of a result file's markers: a file without
// any is some other file, not an incomplete result.
bool holdsResult(const ResultTable& table);
QString notAResultFile(const QString& path);

}  // namespace karvel::cli
