// SPDX-License-Identifier: GPL-3.0-or-later
// A private PostgreSQL server for the tests: initdb into a temporary
// folder, started by pg_ctl on a Unix socket of its own (no TCP), stopped
// and started again for the offline cases. initdb and pg_ctl refuse root:
// when the tests run as root, the server runs as uid 65534 in a folder
// that user owns. The server programs are Debian's postgresql package;
// without them start() fails (the test command installs them).
#pragma once

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVersionNumber>
#include <memory>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace karvel::test {

class PgServer {
 public:
  ~PgServer() { stop(); }

  // The folder of initdb and pg_ctl: the newest /usr/lib/postgresql/*/bin.
  static QString binDir() {
    const QDir root(QStringLiteral("/usr/lib/postgresql"));
    QString best;
    QVersionNumber bestVersion;
    for (const QString& v : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
      const QString bin = root.filePath(v + QStringLiteral("/bin"));
      if (!QFile::exists(bin + QStringLiteral("/initdb")) ||
          !QFile::exists(bin + QStringLiteral("/pg_ctl")))
        continue;
      const QVersionNumber n = QVersionNumber::fromString(v);
      if (best.isEmpty() || n > bestVersion) {
        best = bin;
        bestVersion = n;
      }
    }
    return best;
  }

  // Makes the cluster (first call) and starts the server.
  bool start(QString* error) {
    if (running_) return true;
    if (!dir_) {
      bin_ = binDir();
      if (bin_.isEmpty()) {
        *error = QStringLiteral(
            "no PostgreSQL server programs in /usr/lib/postgresql/*/bin "
            "(Debian package postgresql)");
        return false;
      }
      dir_ = std::make_unique<QTemporaryDir>(QStringLiteral("/tmp/karvel-pg-XXXXXX"));
      if (!dir_->isValid()) {
        *error = QStringLiteral("no temporary folder");
        return false;
      }
#ifdef Q_OS_UNIX
      if (::geteuid() == 0) {
        if (::chown(QFile::encodeName(dir_->path()).constData(), 65534, 65534) != 0 ||
            ::chmod(QFile::encodeName(dir_->path()).constData(), 0755) != 0) {
          *error = QStringLiteral("cannot give the temporary folder to uid 65534");
          return false;
        }
      }
#endif
      if (!run(QStringLiteral("initdb"),
               {"-D", data(), "-A", "trust", "-U", "postgres", "--no-sync", "-E", "UTF8",
                "--no-locale"},
               error))
        return false;
    }
    const QString options =
        QStringLiteral("-k %1 -p %2 -c listen_addresses='' -c fsync=off -c full_page_writes=off")
            .arg(socketDir(), QString::number(port()));
    if (!run(QStringLiteral("pg_ctl"),
             {"-D", data(), "-w", "-t", "60", "-l", dir_->filePath("server.log"), "-o", options,
              "start"},
             error))
      return false;
    running_ = true;
    return true;
  }

  bool stop(QString* error = nullptr) {
    if (!running_) return true;
    QString e;
    const bool ok = run(QStringLiteral("pg_ctl"), {"-D", data(), "-w", "-m", "fast", "stop"}, &e);
    if (!ok && error) *error = e;
    running_ = !ok;
    return ok;
  }

  QString socketDir() const { return dir_ ? dir_->path() : QString(); }
  static int port() { return 54329; }
  // postgresql://ROLE@/DATABASE?host=SOCKET&port=PORT
  QString uri(const QString& role, const QString& database) const {
    return QStringLiteral("postgresql://%1@/%2?host=%3&port=%4")
        .arg(role, database, socketDir(), QString::number(port()));
  }
  QString log() const {
    QFile f(dir_ ? dir_->filePath("server.log") : QString());
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
  }

  // Runs SQL through psql as the superuser (or `role`) in `database`.
  bool sql(const QString& statements, QString* error, const QString& database = "postgres",
           const QString& role = "postgres") {
    QProcess p;
    p.start(bin_ + QStringLiteral("/psql"),
            {"-X", "-q", "-v", "ON_ERROR_STOP=1", "-h", socketDir(), "-p", QString::number(port()),
             "-U", role, "-d", database, "-c", statements});
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
      *error = QString::fromUtf8(p.readAllStandardError());
      return false;
    }
    return true;
  }

 private:
  QString data() const { return dir_->filePath(QStringLiteral("data")); }

  // A server program, as uid 65534 when the tests run as root.
  bool run(const QString& tool, const QStringList& args, QString* error) {
    QString program = bin_ + u'/' + tool;
    QStringList list = args;
#ifdef Q_OS_UNIX
    if (::geteuid() == 0) {
      list = QStringList{"--reuid=65534", "--regid=65534", "--clear-groups", program} + args;
      program = QStringLiteral("setpriv");
    }
#endif
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    env.insert(QStringLiteral("HOME"), socketDir());
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(socketDir());
    p.start(program, list);
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
      *error = tool + QStringLiteral(": ") + QString::fromUtf8(p.readAllStandardError()) +
               QString::fromUtf8(p.readAllStandardOutput()) + log();
      return false;
    }
    return true;
  }

  QString bin_;
  std::unique_ptr<QTemporaryDir> dir_;
  bool running_ = false;
};

}  // namespace karvel::test
