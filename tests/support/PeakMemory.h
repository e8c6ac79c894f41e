// SPDX-License-Identifier: GPL-3.0-or-later
// Large result files and the peak memory of a program run on them: the
// memory benchmark and the memory test share them.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>
#include <vector>

extern char** environ;

namespace karvel::test {

// A result file of about `bytes` bytes as the instrument writes one, with as
// many measurements as fit, each named differently, written on day `day` of
// November 2026 (so that results made on different days compare in order).
inline QByteArray bigResultText(qsizetype bytes, int day) {
  QByteArray out =
      "<HTML>\r\n<HEAD>\r\n<TITLE>TarvikIV - Bus diagnostic result</TITLE>\r\n</HEAD>\r\n"
      "<BODY>\r\n<H1>CANHIGHSPEED - 500 kbit/s</H1>\r\n<H3>CANHIGHSPEED</H3>\r\n"
      "<H2 class=\"green\">Diagnostic : PASSED</H2>\r\n<P>Date : 2026/11/" +
      QByteArray::number(day).rightJustified(2, '0') +
      " 14:02:51</P>\r\n<TABLE border=\"1\">\r\n<TBODY>\r\n";
  const QByteArray end = "</TBODY></TABLE></BODY></HTML>\r\n";
  out.reserve(bytes + 256);
  const char* classes[] = {"green", "yellow", "red"};
  for (int i = 0; out.size() + 200 + end.size() < bytes; ++i) {
    out += "<TR class=\"row\"><TD>Measurement " + QByteArray::number(i) +
           "</TD><TD>1.90 \xB5s</TD><TD>2.10 \xB5s</TD><TD class=\"" + classes[i % 3] + "\">2." +
           QByteArray::number((i * 7 + day) % 100).rightJustified(2, '0') + " \xB5s</TD><TD>" +
           QByteArray::number(i % 100) + " %</TD></TR>\r\n";
  }
  return out + end;
}

inline bool writeBytes(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

struct PeakRun {
  int exitCode = -1;
  long peakKiB = 0;  // the child's largest resident set
};

// Runs `program` with `args` (its output thrown away) and reports its peak
// resident memory, which the kernel keeps for each process it waits for.
inline PeakRun runForPeakMemory(const QString& program, const QStringList& args) {
  std::vector<QByteArray> storage{program.toLocal8Bit()};
  for (const QString& a : args) storage.push_back(a.toLocal8Bit());
  std::vector<char*> argv;
  for (QByteArray& s : storage) argv.push_back(s.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  PeakRun run;
  pid_t pid = 0;
  if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
    int status = 0;
    struct rusage usage {};
    if (wait4(pid, &status, 0, &usage) == pid) {
      run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -2;
      run.peakKiB = usage.ru_maxrss;
    }
  }
  posix_spawn_file_actions_destroy(&actions);
  return run;
}

}  // namespace karvel::test
