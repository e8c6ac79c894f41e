// SPDX-License-Identifier: GPL-3.0-or-later
// karvel-cli instrument: the instrument identified, its stores listed, files
// fetched and sent. Takes the arguments after the group word and returns the
// process exit code; errors go to stderr.
#pragma once

#include <QStringList>

namespace karvel::cli {

int runInstrument(const QStringList& args);

}  // namespace karvel::cli
