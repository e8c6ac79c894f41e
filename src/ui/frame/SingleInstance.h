// SPDX-License-Identifier: GPL-3.0-or-later
// One running program per user and display. A file opened from the file
// manager starts the program again: that second start hands the file to the
// program already running and ends, so that one settings file has one
// writer and the file opens where the user is working.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>

class QLocalServer;
class QLocalSocket;

namespace karvel {
struct Installation;
}

namespace karvel::ui {

// The server name of the program for `user` on `display`. `portableDir` is
// the program folder of a portable copy (empty when installed): two copies
// carried on two sticks keep two settings files, so they stay two programs.
// On Unix the name is a socket path in `socketDir`; elsewhere a pipe name.
QString instanceName(const QString& user, const QString& display, const QString& portableDir,
                     const QString& socketDir);
// The name for this process, its user and display.
QString instanceNameHere(const Installation& where);

// "host:0.0" and "host:0" are one display.
QString normalisedDisplay(const QString& display);

// The hand-over message: a fixed header, the path's UTF-8 length on four
// bytes (big-endian), then the path; an empty path brings the window to the
// front. The running program answers one byte once it has the whole message.
inline constexpr char kHandOverHeader[] = "KARVEL-OPEN/1\n";
inline constexpr char kHandOverTaken = 'K';
// A path longer than this is no path: the connection is dropped.
constexpr qsizetype kHandOverPathMax = 32 * 1024;
QByteArray handOverMessage(const QString& path);

class SingleInstance : public QObject {
  Q_OBJECT

 public:
  enum class Outcome {
    Running,     // this program listens now: it is the running one
    HandedOver,  // a running program has the path; this one ends
    Alone,       // could neither hand over nor listen: runs on its own
  };

  explicit SingleInstance(QString name, QObject* parent = nullptr);
  ~SingleInstance() override;

  // Hands `path` to the program that listens on the name, or becomes that
  // program. A socket left by a program that crashed is removed and taken
  // over. `answerMs` bounds each wait on a running program; one that took
  // the message but is too busy to answer in time still has it.
  Outcome claim(const QString& path, int answerMs = 5000);

  // Stops listening: a start from now on becomes the running program.
  void stop();
  bool listening() const;
  const QString& name() const { return name_; }

 signals:
  // A later start asked for `path` (empty: only for the window).
  void requested(const QString& path);

 private:
  enum class Attempt { Taken, Busy, NobodyThere, Gone };
  Attempt handOver(const QString& path, int answerMs);
  bool listen();
  void accept();
  void readFrom(QLocalSocket* socket);

  QString name_;
  QPointer<QLocalServer> server_;
  QHash<QLocalSocket*, QByteArray> pending_;
};

}  // namespace karvel::ui
