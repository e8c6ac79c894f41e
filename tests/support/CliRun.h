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
#include <unistd.h>
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
