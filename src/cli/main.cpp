// SPDX-License-Identifier: GPL-3.0-or-later
// karvel-cli: the program's core for scripts, without windows.
#include <QCoreApplication>
#include <QGuiApplication>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <memory>

#include "cli/BusCommand.h"
#include "cli/Console.h"
#include "cli/InstrumentCommand.h"
#include "cli/RegisterCommand.h"
#include "cli/ReportCommand.h"
#include "cli/ResultCommand.h"
#include "cli/Version.h"
#include "core/frame/SafeWrite.h"
#include "core/frame/StandardStreams.h"

namespace {

using namespace karvel::cli;

// Every command's synopsis, for the help and for a usage error.
const QStringList kUsage = {
    QStringLiteral("karvel-cli bus show FILE [--format F]"),
    QStringLiteral("karvel-cli bus speed FILE NEWSPEED OUT [--title T] [--format F]"),
    QStringLiteral("karvel-cli bus voltage FILE NEWVOLTS OUT [--title T] [--format F]"),
    QStringLiteral("karvel-cli bus set FILE ROW COLUMN TEXT OUT [--format F]"),
    QStringLiteral("karvel-cli result show FILE [--check[=warning]] [--format F]"),
    QStringLiteral("karvel-cli result export FILE.HTM... OUT.xlsx [--format F]"),
    QStringLiteral(
        "karvel-cli result compare FILE.HTM FILE.HTM... [--shrink PERCENT] [--workbook OUT.xlsx] "
        "[--format F]"),
    QStringLiteral("karvel-cli instrument identify [--address RESOURCE] [--format F]"),
    QStringLiteral("karvel-cli instrument list bus|results [--address RESOURCE] [--format F]"),
    QStringLiteral("karvel-cli instrument fetch NAME --kind bus|results [--store 0|1] --to DIR "
                   "[--address RESOURCE] [--format F]"),
    QStringLiteral("karvel-cli instrument send FILE [--replace] [--address RESOURCE] [--format F]"),
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
    QStringLiteral("karvel-cli register report --site S [--from DATE] [--to DATE] "
                   "[--technician T] [--language L] OUT.pdf"),
    QStringLiteral("karvel-cli register backup OUT.sqlite | register check"),
};

QString description() {
  QString text = QStringLiteral(
      "Bus definition files, result files and the instrument, for scripts.\n\nCommands:\n");
  for (const QString& line : kUsage) text += QStringLiteral("  ") + line.mid(11) + u'\n';
  return text +
         QStringLiteral(
             "\n"
             "Every command also takes --language fr|en|de|es|it (or 0 to 4), --format and\n"
             "--help; --language, --format and --register may also come before the command.\n"
             "--format is text (the default, for people), csv (with a header row) or json;\n"
             "with json a failure is one JSON object on stderr.\n"
             "\"-\" as a file is the standard input where one is read, the standard output\n"
             "where one is written (a file named \"-\" is ./-).\n"
             "Exit codes: 0 success, 1 failure (the reason on stderr), 2 wrong usage, 3 result\n"
             "show --check found a failed row, 130 an instrument command stopped by Ctrl+C\n"
             "(what was left where on stderr), 141 the standard output was closed early.\n"
             "Run \"karvel-cli COMMAND SUBCOMMAND --help\" for the details of one command.");
}

// A reader that stopped reading (head, a closed pipe): the write fails
// with EPIPE instead of killing the program, which then ends quietly.
volatile std::sig_atomic_t outputPipeClosed = 0;
void onPipeClosed(int) { outputPipeClosed = 1; }

// Qt's own remarks (a database driver's, a platform's) reach stderr as the
// program's warnings, so that with --format json each line there stays one
// JSON object. Its remark that a session has no runtime folder says nothing
// to a user of this program (the report's offscreen platform needs none).
void qtRemark(QtMsgType type, const QMessageLogContext&, const QString& text) {
  if (type == QtDebugMsg || type == QtInfoMsg) return;
  if (text.startsWith(u"QStandardPaths: XDG_RUNTIME_DIR")) return;
  warn(text);
}

// Whether "--format json" appears anywhere: a usage error found before the
// command's own options are read is then told in json too.
bool jsonAsked(const QStringList& args) {
  for (qsizetype i = 0; i < args.size(); ++i) {
    if (args[i] == u"--") break;
    if (args[i] == u"--format=json" ||
        (args[i] == u"--format" && i + 1 < args.size() && args[i + 1] == u"json"))
      return true;
  }
  return false;
}

// Everything printed has gone out, or the run fails: a full disk under a
// redirection is a failure, a closed pipe ends quietly with 141, as the
// shell reports a program that a closed pipe ended.
int finish(int code) {
  const bool flushed = std::fflush(stdout) == 0 && !std::ferror(stdout);
  if (karvel::standardOutputClosed() || (!flushed && outputPipeClosed)) return kExitOutputClosed;
  if (!flushed)
    return report(
        {ErrorKind::CannotWrite,
         QStringLiteral("cannot write to the standard output: %1").arg(qt_error_string(errno)),
         QStringLiteral("-"),
         {}});
  return code;
}

}  // namespace

int main(int argc, char** argv) {
  karvel::keepRunningPastFileSizeLimit();
#ifdef SIGPIPE
  std::signal(SIGPIPE, onPipeClosed);
#endif
  // The report paints with fonts, which takes a QGuiApplication; without a
  // display it runs on the offscreen platform. The others need no GUI.
  qInstallMessageHandler(qtRemark);
  {
    // Qt may remark while it starts, before the arguments are Qt's to give:
    // in json already if asked.
    QStringList early;
    for (int i = 1; i < argc; ++i) early << QString::fromLocal8Bit(argv[i]);
    setJsonFailures(jsonAsked(early));
  }
  std::unique_ptr<QCoreApplication> application;
  if (isReportCommand(argc, argv)) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    application = std::make_unique<QGuiApplication>(argc, argv);
  } else {
    application = std::make_unique<QCoreApplication>(argc, argv);
  }
  QCoreApplication& app = *application;
  // The program's name, not the file's: both share ~/.config/karvel.
  QCoreApplication::setApplicationName(QStringLiteral("karvel"));
  QStringList args = app.arguments();
  args.removeFirst();
  setJsonFailures(jsonAsked(args));

  CommandLine top(QString(), QStringLiteral("COMMAND ..."), description());
  top.setUsage(kUsage);
  top.addOption(QCommandLineOption(
      QStringLiteral("version"), QStringLiteral("Show the version and the build date and exit.")));
  top.addLanguageOption();
  top.addFormatOption();
  top.addOption(QCommandLineOption(QStringLiteral("register"),
                                   QStringLiteral("The register file of the register commands."),
                                   QStringLiteral("PATH")));
  top.setCommandsFollow();
  if (args.isEmpty()) return top.usageError(QStringLiteral("a command is needed"));
  if (const std::optional<int> end = top.parse(args, 0, 1000)) return finish(*end);
  if (top.isSet(QStringLiteral("version"))) {
    std::printf("karvel-cli %s (built %s)\n", KARVEL_VERSION, KARVEL_BUILD_DATE);
    return finish(kExitOk);
  }
  QStringList rest = top.arguments();
  // "help [COMMAND [SUBCOMMAND]]" is the same as "... --help".
  if (!rest.isEmpty() && rest.first() == u"help") {
    rest.removeFirst();
    if (rest.isEmpty()) {
      std::fputs(qUtf8Printable(top.helpText()), stdout);
      return finish(kExitOk);
    }
    rest.append(QStringLiteral("--help"));
  }
  if (rest.isEmpty()) return top.usageError(QStringLiteral("a command is needed"));
  const QString group = rest.takeFirst();
  // Options given before the command go to it, after its sub-command word,
  // where they mean the same as when typed there.
  QStringList globals;
  for (const char* name : {"language", "format", "register"})
    if (top.isSet(QLatin1String(name)))
      globals << QStringLiteral("--%1=%2").arg(QLatin1String(name), top.value(QLatin1String(name)));
  const qsizetype at = !rest.isEmpty() && !rest.first().startsWith(u'-') ? 1 : 0;
  for (qsizetype i = 0; i < globals.size(); ++i) rest.insert(at + i, globals[i]);
  if (group == u"bus") return finish(runBus(rest));
  if (group == u"result") return finish(runResult(rest));
  if (group == u"instrument") return finish(runInstrument(rest));
  if (group == u"register") return finish(runRegister(rest));
  return top.usageError(QStringLiteral("unknown command \"%1\"").arg(group));
}
