// SPDX-License-Identifier: GPL-3.0-or-later
// The pseudo-terminal that stands for the instrument's serial port. The
// simulator keeps the program's end open too, so the line survives the
// program closing and reopening it, and reads the speed the program set
// from it.
//
// Paced (the default), bytes cross the line each way at 10 bits a byte at
// that speed, as on a real serial line: a 100 KB file takes about 9 s at
// 115200 baud, and a program that sends faster than the line carries finds
// its writes waiting. Unpaced, bytes move as fast as both ends take them.
#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QSocketNotifier>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>

namespace sim {

class PtyLine {
 public:
  PtyLine();
  ~PtyLine();
  PtyLine(const PtyLine&) = delete;
  PtyLine& operator=(const PtyLine&) = delete;

  // Makes the pseudo-terminal, and the symbolic link `link` to it if given.
  bool open(const QString& link);
  QString device() const { return device_; }
  // The speed the program set on its end; -1 when unknown.
  qint32 lineSpeed() const;
  void setPaced(bool paced) { paced_ = paced; }

  // Bytes from the program, with the speed the line had when they came.
  std::function<void(const QByteArray& bytes, qint32 baud)> received;
  // Bytes to the program; `block` marks a file block, which a new command
  // may cut short (see dropBlock).
  void send(const QByteArray& bytes, bool block = false);
  // Drops what is left of a file block not yet on the line; true when there
  // was one. An instrument stops a reply under way when a new command comes.
  bool dropBlock();

 private:
  void readable();
  void tick();
  void writeNow(const QByteArray& bytes);
  // Bytes the line can carry since the last tick, each way.
  void refill();

  int master_ = -1;
  int slave_ = -1;
  QString device_;
  QString link_;
  bool paced_ = true;
  std::unique_ptr<QSocketNotifier> notifier_;
  QTimer timer_;
  QElapsedTimer clock_;
  qint64 lastTickNs_ = 0;
  double inCredit_ = 0;
  double outCredit_ = 0;
  struct Chunk {
    QByteArray bytes;
    qint32 baud;
  };
  QList<Chunk> in_;
  qsizetype inQueued_ = 0;
  QByteArray out_;
  bool outHasBlock_ = false;
  bool inTick_ = false;
};

}  // namespace sim
