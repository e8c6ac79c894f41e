// SPDX-License-Identifier: GPL-3.0-or-later
// Peak memory of karvel-cli on large results: the export of one, three and
// six results of 15 MB, and the comparison of three written into a workbook. Each run
// is a child process whose largest resident set the kernel reports. Target:
// at most 10 times the largest input, whatever the number of files; the
// program fails (exit 1) above it.
#include <QCoreApplication>
#include <QTemporaryDir>
#include <cstdio>

#include "support/PeakMemory.h"

using namespace karvel::test;

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QTemporaryDir dir;
  constexpr qsizetype kSize = 15 * 1024 * 1024;
  QStringList inputs;
  for (int day = 21; day <= 26; ++day) {
    const QString path = dir.filePath(QStringLiteral("RUN_%1.HTM").arg(day));
    if (!writeBytes(path, bigResultText(kSize, day))) {
      std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
      return 1;
    }
    inputs << path;
  }
  const QString cli = QStringLiteral(KARVEL_APPDIR "/karvel-cli");
  const QString out = dir.filePath(QStringLiteral("out.xlsx"));
  struct Case {
    const char* name;
    QStringList args;
  };
  const Case cases[] = {
      {"result export, 1 file", {"result", "export", inputs[0], out}},
      {"result export, 3 files",
       QStringList{"result", "export"} + inputs.mid(0, 3) + QStringList{out}},
      {"result export, 6 files", QStringList{"result", "export"} + inputs + QStringList{out}},
      {"result compare --workbook, 3 files",
       QStringList{"result", "compare"} + inputs.mid(0, 3) + QStringList{"--workbook", out}},
  };
  const double largestMiB = static_cast<double>(kSize) / (1024 * 1024);
  bool ok = true;
  std::printf("inputs of %.0f MB each (target: peak at most 10 times the largest)\n", largestMiB);
  for (const Case& c : cases) {
    const PeakRun run = runForPeakMemory(cli, c.args);
    const double peakMiB = static_cast<double>(run.peakKiB) / 1024;
    const double ratio = peakMiB / largestMiB;
    const bool good = run.exitCode == 0 && ratio <= 10;
    ok = ok && good;
    std::printf("%-36s peak %7.1f MB  %5.1f x input  %s\n", c.name, peakMiB, ratio,
                run.exitCode != 0 ? "FAILED TO RUN"
                : good            ? "ok"
                                  : "TOO MUCH MEMORY");
  }
  return ok ? 0 : 1;
}
