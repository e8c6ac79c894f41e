// karvel-cli result compare: results of one bus side by side, ordered by
// date, with trends and shrinking margins. Takes the arguments after "result
// compare" and returns the process exit code; errors go to stderr.
#pragma once

#include <QStringList>

namespace karvel::cli {

int runResultCompare(const QStringList& args);

}  // namespace karvel::cli
