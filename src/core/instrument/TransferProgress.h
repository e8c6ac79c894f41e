// SPDX-License-Identifier: GPL-3.0-or-later
// How a file transfer tells its progress and learns that the user wants it
// stopped, without knowing who is watching: the windows show a dialog with a
// Cancel button, tests script the answers, the command-line tool passes none.
#pragma once

#include <QString>
#include <QtGlobal>

namespace karvel {

class TransferProgress {
 public:
  enum class Direction { ToInstrument, FromInstrument };

  virtual ~TransferProgress() = default;

  // A file starts to move: its name on the instrument and its size in bytes
  // (0 while not known: a fetch learns it from the block's header).
  virtual void begin(const QString& name, qint64 total, Direction direction) = 0;
  // Bytes moved so far of `total`; never fewer than the last time.
  virtual void advance(qint64 done, qint64 total) = 0;
  // Called every few tens of milliseconds for as long as the transfer runs,
  // whatever it waits for, so that windows keep repainting.
  virtual void keepAlive() = 0;
  // Asked between slices: whether the user wants the transfer stopped.
  virtual bool cancelRequested() = 0;
  // The transfer was stopped and what it left half-done is being cleared.
  virtual void cancelling() = 0;
  // The transfer is over, whatever its outcome.
  virtual void end() = 0;
};

}  // namespace karvel
