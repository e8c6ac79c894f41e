// The command groups of karvel-cli. Each takes the arguments after its group
// word and returns the process exit code; errors go to stderr.
#pragma once

#include <QStringList>

namespace karvel::cli {

int runBus(const QStringList& args);         // karvel-cli bus ...
int runResult(const QStringList& args);      // karvel-cli result show ...
int runResultExport(const QStringList& args);  // karvel-cli result export ...
int runInstrument(const QStringList& args);  // karvel-cli instrument ...

// Reads the options from args[first] on, which may only be "--language 0-4";
// false on anything else.
bool parseLanguageOption(const QStringList& args, qsizetype first, int* language);

}  // namespace karvel::cli
