// SPDX-License-Identifier: GPL-3.0-or-later
// karvel-cli result export: a result file written into a workbook. Takes the
// arguments after "result export" and returns the process exit code; errors go
// to stderr.
#pragma once

#include <QStringList>

namespace karvel::cli {

int runResultExport(const QStringList& args);

}  // namespace karvel::cli
