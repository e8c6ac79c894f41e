// SPDX-License-Identifier: GPL-3.0-or-later
// Starts the instrument simulator (karvel-sim) for a test and talks to it:
// its TCP port and pseudo-terminal, and control lines on its input.
#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <memory>

namespace karvel::test {

// Serial ports, sockets and child processes need a Qt application object.
inline void ensureCoreApp() {
  if (QCoreApplication::instance()) return;
  static int argc = 1;
  static char name[] = "karvel-tests";
  static char* argv[] = {name, nullptr};
  static QCoreApplication app(argc, argv);
}

class Simulator {
 public:
  // `args` are karvel-sim options; add "--tcp 0" and/or "--pty".
  explicit Simulator(const QStringList& args) {
    ensureCoreApp();
    process_.setProgram(QStringLiteral(KARVEL_APPDIR "/karvel-sim"));
    process_.setArguments(args);
    process_.setProcessChannelMode(QProcess::SeparateChannels);
    process_.start();
    if (!process_.waitForStarted(5000)) return;
    QDeadlineTimer deadline(10000);
    QByteArray out;
    while (!deadline.hasExpired()) {
      if (!process_.canReadLine() && !process_.waitForReadyRead(200)) {
        if (process_.state() != QProcess::Running) return;
        continue;
      }
      while (process_.canReadLine()) {
        const QByteArray line = process_.readLine().trimmed();
        if (line.startsWith("tcp ")) port_ = line.mid(4).toInt();
        if (line.startsWith("pty ")) pty_ = QString::fromLocal8Bit(line.mid(4));
        if (line == "ready") {
          ready_ = true;
          return;
        }
      }
    }
  }
  ~Simulator() { stop(); }

  bool ready() const { return ready_; }
  int port() const { return port_; }
  QString pty() const { return pty_; }
  QString tcpResource() const { return QStringLiteral("TCPIP0::127.0.0.1::%1::SOCKET").arg(port_); }
  QString ptyResource() const { return QStringLiteral("ASRL%1::INSTR").arg(pty_); }

  // Sends one control line ("fault silent", ...) and waits for its answer.
  bool control(const QByteArray& line) {
    process_.write(line + '\n');
    process_.waitForBytesWritten(2000);
    QDeadlineTimer deadline(5000);
    while (!deadline.hasExpired()) {
      if (process_.canReadLine()) return process_.readLine().trimmed() == "ok";
      process_.waitForReadyRead(100);
    }
    return false;
  }

  void stop() {
    if (process_.state() == QProcess::NotRunning) return;
    process_.kill();
    process_.waitForFinished(5000);
  }

  QByteArray errors() { return process_.readAllStandardError(); }

 private:
  QProcess process_;
  int port_ = 0;
  QString pty_;
  bool ready_ = false;
};

}  // namespace karvel::test
