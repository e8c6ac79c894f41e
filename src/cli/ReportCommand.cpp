// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/ReportCommand.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <cstring>

#include "cli/Console.h"
#include "cli/RegisterCommand.h"
#include "core/frame/AppState.h"
#include "core/frame/Installation.h"
#include "core/frame/Settings.h"
#include "core/register/Register.h"
#include "core/register/RegisterTexts.h"
#include "core/report/ReportPdf.h"

namespace karvel::cli {

namespace {

std::optional<QDate> dateOption(const CommandLine& line, const QString& name, QString* bad) {
  if (!line.isSet(name)) return QDate();
  const QString text = line.value(name);
  const QDate date = parseIsoDateTime(text).date();
  if (!date.isValid()) {
    *bad = QStringLiteral("--%1 takes a date as 2026-11-23, not \"%2\"").arg(name, text);
    return std::nullopt;
  }
  return date;
}

}  // namespace

bool isReportCommand(int argc, char** argv) {
  // Global options may come first: the first "register" word decides.
  for (int i = 1; i + 1 < argc; ++i)
    if (std::strcmp(argv[i], "register") == 0) return std::strcmp(argv[i + 1], "report") == 0;
  return false;
}

int runRegisterReport(const QStringList& args) {
  CommandLine line(
      QStringLiteral("register report"), QStringLiteral("OUT.pdf"),
      QStringLiteral(
          "Writes the maintenance report of a site visit as a PDF (PDF/A-1b, A4 or Letter as "
          "the locale has it): a cover (customer, site, visit, technician, instruments, the "
          "company and logo of the settings), a summary of the segments, and per segment "
          "measured in the visit its result with tolerance bars, the changes since the baseline "
          "and since the previous visit, charts of the flagged measurements over all results, "
          "the date a limit would be reached, notes, what to do, and a line for the customer's "
          "signature. The visit is the days from --from to --to; by default the last day on "
          "which results of the site are dated."));
  line.addArgument(QStringLiteral("OUT.pdf"), QStringLiteral("The report to write."));
  line.addOption(
      QCommandLineOption(QStringLiteral("site"), QStringLiteral("The site."), QStringLiteral("S")));
  line.addOption(QCommandLineOption(QStringLiteral("from"),
                                    QStringLiteral("The visit's first day (2026-11-23)."),
                                    QStringLiteral("DATE")));
  line.addOption(QCommandLineOption(QStringLiteral("to"),
                                    QStringLiteral("The visit's last day (2026-11-23)."),
                                    QStringLiteral("DATE")));
  line.addOption(QCommandLineOption(
      QStringLiteral("technician"),
      QStringLiteral("Who made the visit (default: who filed its results)."), QStringLiteral("T")));
  line.addOption(
      QCommandLineOption(QStringLiteral("register"),
                         QStringLiteral("The register file (default: the one the windows use)."),
                         QStringLiteral("PATH")));
  line.addLanguageOption();
  if (const std::optional<int> end = line.parse(args, 1, 1)) return *end;
  const int language = line.language(English);
  const QString site = line.value(QStringLiteral("site"));
  if (site.isEmpty()) return line.usageError(QStringLiteral("report needs --site"));
  QString bad;
  const std::optional<QDate> from = dateOption(line, QStringLiteral("from"), &bad);
  const std::optional<QDate> to = from ? dateOption(line, QStringLiteral("to"), &bad) : from;
  if (!from || !to) return line.usageError(bad);
  const QString out = QDir::fromNativeSeparators(line.arguments()[0]);

  // The company and logo the windows use, from the settings file; the
  // register as every register command opens it (a server included).
  const Installation installation = locateInstallation(QCoreApplication::applicationDirPath());
  AppState state;
  WindowGeometry unused;
  readSettingsFile(installation.settingsPath, state, unused);
  Register reg;
  if (!openRegisterOf(line, reg)) return kExitFailure;
  QString error;

  ReportRequest request;
  request.site = site;
  request.from = *from;
  request.to = *to;
  request.technician = line.value(QStringLiteral("technician"));
  request.language = language;
  request.companyName = state.companyName;
  request.logoPath = state.companyLogo;
  const std::optional<Report> report = buildReport(reg, request, &error);
  if (!report) return registerFailed(error);
  if (!report->logoProblem.isEmpty()) note(report->logoProblem);
  if (!writeReportPdf(*report, paperFor(QLocale::system()), out, &error))
    return fail(writeError(out, error));
  return kExitOk;
}

}  // namespace karvel::cli
