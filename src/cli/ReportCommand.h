// SPDX-License-Identifier: GPL-3.0-or-later
// karvel-cli register report: a site visit's maintenance report as a PDF.
// Takes the arguments after "register report"; returns the exit code.
#pragma once

#include <QStringList>

namespace karvel::cli {

int runRegisterReport(const QStringList& args);

// Whether the command line runs the report (it needs a QGuiApplication,
// for fonts; the other commands do with a QCoreApplication).
bool isReportCommand(int argc, char** argv);

}  // namespace karvel::cli
