// karvel-cli: the program's core for scripts, without windows.
#include <QCoreApplication>
#include <cstdio>

#include "cli/BusCommand.h"
#include "cli/InstrumentCommand.h"
#include "cli/ResultCommand.h"
#include "cli/ResultExportCommand.h"

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

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  // The program's name, not the file's: both share ~/.config/karvel.
  QCoreApplication::setApplicationName(QStringLiteral("karvel"));
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
