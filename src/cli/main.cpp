// karvel-cli: the program's core for scripts, without windows.
#include <QCoreApplication>
#include <cstdio>

#include "cli/Commands.h"

namespace {

void usage() {
  std::fputs(
      "usage: karvel-cli bus show FILE\n"
      "       karvel-cli bus speed FILE NEWSPEED OUT [--title T]\n"
      "       karvel-cli bus voltage FILE NEWVOLTS OUT [--title T]\n"
      "       karvel-cli bus set FILE ROW COLUMN TEXT OUT\n"
      "       karvel-cli result show FILE\n"
      "       karvel-cli result export FILE.HTM OUT.xlsx\n"
      "       karvel-cli instrument identify [--address RESOURCE]\n"
      "       karvel-cli instrument list bus|results [--address RESOURCE]\n"
      "       karvel-cli instrument fetch NAME --kind bus|results [--store 0|1] --to DIR\n"
      "       karvel-cli instrument send FILE [--replace] [--address RESOURCE]\n",
      stderr);
}

}  // namespace

namespace karvel::cli {

int fail(const QString& text) {
  QString line = text.trimmed();
  line.replace(u'\n', QStringLiteral(": "));
  std::fprintf(stderr, "karvel-cli: %s\n", qUtf8Printable(line));
  return 1;
}

bool parseLanguageOption(const QStringList& args, qsizetype first, int* language) {
  for (qsizetype i = first; i < args.size(); ++i) {
    bool ok = false;
    if (args[i] != QLatin1String("--language") || i + 1 >= args.size()) return false;
    const int value = args[++i].toInt(&ok);
    if (!ok || value < 0 || value > 4) return false;
    *language = value;
  }
  return true;
}

}  // namespace karvel::cli

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QStringList args = app.arguments();
  args.removeFirst();
  if (args.isEmpty()) {
    usage();
    return 2;
  }
  const QString group = args.takeFirst();
  if (group == "bus") return karvel::cli::runBus(args);
  if (group == "result") {
    if (!args.isEmpty() && args.first() == "export")
      return karvel::cli::runResultExport(args.mid(1));
    return karvel::cli::runResult(args);
  }
  if (group == "instrument") return karvel::cli::runInstrument(args);
  usage();
  return 2;
}
