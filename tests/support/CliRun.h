// SPDX-License-Identifier: GPL-3.0-or-later
// Runs the built karvel-cli as a process of its own, and reads its csv and
// json output back with parsers that are not the program's: Python's csv
// module and QJsonDocument.
#pragma once

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStringList>

#ifdef Q_OS_UNIX
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#endif

namespace karvel::test {

struct CliRun {
  int code = -1;
  QString out;
  QString err;
};

// `unprivileged`: as the account "nobody" when the tests run as root, so
// that file permissions count.
inline CliRun runCli(const QStringList& args, bool unprivileged = false) {
  QString program = QStringLiteral(KARVEL_APPDIR "/karvel-cli");
  QStringList list = args;
#ifdef Q_OS_UNIX
  if (unprivileged && ::geteuid() == 0) {
    list = QStringList{"--reuid=65534", "--regid=65534",      "--clear-groups", "env", "-i",
                       "HOME=/tmp",     "PATH=/usr/bin:/bin", program} +
           args;
    program = QStringLiteral("setpriv");
  }
#endif
  QProcess p;
  p.start(program, list);
  CliRun r;
  if (!p.waitForFinished(60000)) return r;
  r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
  r.out = QString::fromUtf8(p.readAllStandardOutput());
  r.err = QString::fromUtf8(p.readAllStandardError());
  return r;
}

// How runCliAs starts the program.
struct CliSetting {
  QString program = QStringLiteral(KARVEL_APPDIR "/karvel-cli");  // a copy elsewhere
  QStringList environment;       // "NAME=value" added to the tests' own
  long long fileSizeLimit = -1;  // ulimit -f in bytes, with SIGXFSZ's default action
};

inline CliRun runCliAs(const QStringList& args, const CliSetting& setting) {
  QProcess p;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  for (const QString& entry : setting.environment)
    environment.insert(entry.section(u'=', 0, 0), entry.section(u'=', 1));
  p.setProcessEnvironment(environment);
#ifdef Q_OS_UNIX
  const long long limit = setting.fileSizeLimit;
  p.setChildProcessModifier([limit] {
    // As a shell starts it: whatever this test program ignores.
    std::signal(SIGXFSZ, SIG_DFL);
    if (limit >= 0) {
      rlimit r{};
      ::getrlimit(RLIMIT_FSIZE, &r);
      r.rlim_cur = static_cast<rlim_t>(limit);
      ::setrlimit(RLIMIT_FSIZE, &r);
    }
  });
#endif
  p.start(setting.program, args);
  CliRun r;
  if (!p.waitForFinished(60000)) return r;
  r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
  r.out = QString::fromUtf8(p.readAllStandardOutput());
  r.err = QString::fromUtf8(p.readAllStandardError());
  return r;
}

// The one json document of a run; an object with "parse_error" when it is not one.
inline QJsonObject jsonOf(const CliRun& run) {
  QJsonParseError error;
  const QJsonDocument doc = QJsonDocument::fromJson(run.out.toUtf8(), &error);
  if (error.error != QJsonParseError::NoError || !doc.isObject())
    return {{"parse_error", error.errorString()}};
  return doc.object();
}

// The rows of a csv text as objects keyed by the header row (all values text).
inline QJsonArray csvOf(const CliRun& run) {
  QProcess python;
  python.start(QStringLiteral("/usr/bin/python3"),
               {"-c",
                "import csv, json, sys; "
                "print(json.dumps(list(csv.DictReader(sys.stdin, strict=True))))"});
  python.write(run.out.toUtf8());
  python.closeWriteChannel();
  if (!python.waitForFinished(30000) || python.exitCode() != 0) return {};
  return QJsonDocument::fromJson(python.readAllStandardOutput()).array();
}

}  // namespace karvel::test
