// SPDX-License-Identifier: GPL-3.0-or-later
// karvel-cli: the program's core for scripts, without windows.
#include <QCoreApplication>
#include <cstdio>

#include "cli/BusCommand.h"
#include "cli/Console.h"
#include "cli/InstrumentCommand.h"
#include "cli/RegisterCommand.h"
#include "cli/ResultCommand.h"
#include "cli/Version.h"
#include "core/frame/SafeWrite.h"

namespace {

using namespace karvel::cli;

// Every command's synopsis, for the help and for a usage error.
const QStringList kUsage = {
    QStringLiteral("karvel-cli bus show FILE [--format F]"),
    QStringLiteral("karvel-cli bus speed FILE NEWSPEED OUT [--title T] [--format F]"),
    QStringLiteral("karvel-cli bus voltage FILE NEWVOLTS OUT [--title T] [--format F]"),
    QStringLiteral("karvel-cli bus set FILE ROW COLUMN TEXT OUT"),
    QStringLiteral("karvel-cli result show FILE [--format F]"),
    QStringLiteral("karvel-cli result export FILE.HTM... OUT.xlsx"),
    QStringLiteral(
        "karvel-cli result compare FILE.HTM FILE.HTM... [--shrink PERCENT] [--workbook OUT.xlsx] "
        "[--format F]"),
    QStringLiteral("karvel-cli instrument identify [--address RESOURCE] [--format F]"),
    QStringLiteral("karvel-cli instrument list bus|results [--address RESOURCE] [--format F]"),
    QStringLiteral("karvel-cli instrument fetch NAME --kind bus|results [--store 0|1] --to DIR "
                   "[--address RESOURCE]"),
    QStringLiteral("karvel-cli instrument send FILE [--replace] [--address RESOURCE]"),
    QStringLiteral("karvel-cli instrument ports [--probe] [--format F] [--sysfs-root DIR] "
                   "[--dev-root DIR]"),
    QStringLiteral("karvel-cli register add FILE.HTM... --site S --segment G [--technician T] "
                   "[--note N] [--register PATH]"),
    QStringLiteral("karvel-cli register list [--site S] [--segment G] [--since DATE] "
                   "[--search TEXT] [--format F]"),
    QStringLiteral("karvel-cli register show|baseline ID"),
    QStringLiteral("karvel-cli register compare --site S --segment G [--since-baseline] "
                   "[--workbook OUT.xlsx] [--format F]"),
    QStringLiteral("karvel-cli register export ID... --to DIR"),
    QStringLiteral("karvel-cli register backup OUT.sqlite | register check"),
};

QString description() {
  QString text = QStringLiteral(
      "Bus definition files, result files and the instrument, for scripts.\n\nCommands:\n");
  for (const QString& line : kUsage) text += QStringLiteral("  ") + line.mid(11) + u'\n';
  return text +
         QStringLiteral(
             "\n"
             "Every command also takes --language fr|en|de|es|it (or 0 to 4) and --help.\n"
             "--format is text (the default, for people), csv (with a header row) or json.\n"
             "Exit codes: 0 success, 1 failure (the reason on stderr), 2 wrong usage, 130 an\n"
             "instrument command stopped by Ctrl+C (what was left where on stderr).\n"
             "Run \"karvel-cli COMMAND SUBCOMMAND --help\" for the details of one command.");
}

}  // namespace

int main(int argc, char** argv) {
  karvel::keepRunningPastFileSizeLimit();
  QCoreApplication app(argc, argv);
  // The program's name, not the file's: both share ~/.config/karvel.
  QCoreApplication::setApplicationName(QStringLiteral("karvel"));
  QStringList args = app.arguments();
  args.removeFirst();

  CommandLine top(QString(), QStringLiteral("COMMAND ..."), description());
  top.setUsage(kUsage);
  top.addOption(QCommandLineOption(
      QStringLiteral("version"), QStringLiteral("Show the version and the build date and exit.")));
  top.setCommandsFollow();
  if (args.isEmpty()) return top.usageError(QStringLiteral("a command is needed"));
  // "help [COMMAND [SUBCOMMAND]]" is the same as "... --help".
  if (args.first() == u"help") {
    args.removeFirst();
    args.append(QStringLiteral("--help"));
  }
  if (const std::optional<int> end = top.parse(args, 0, 1000)) return *end;
  if (top.isSet(QStringLiteral("version"))) {
    std::printf("karvel-cli %s (built %s)\n", KARVEL_VERSION, KARVEL_BUILD_DATE);
    return kExitOk;
  }
  QStringList rest = top.arguments();
  if (rest.isEmpty()) return top.usageError(QStringLiteral("a command is needed"));
  const QString group = rest.takeFirst();
  if (group == u"bus") return runBus(rest);
  if (group == u"result") return runResult(rest);
  if (group == u"instrument") return runInstrument(rest);
  if (group == u"register") return runRegister(rest);
  return top.usageError(QStringLiteral("unknown command \"%1\"").arg(group));
}
