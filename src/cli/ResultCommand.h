// karvel-cli result show: a result file read and printed. Takes the arguments
// after the group word and returns the process exit code; errors go to stderr.
#pragma once

#include <QStringList>

namespace karvel::cli {

int runResult(const QStringList& args);

}  // namespace karvel::cli
