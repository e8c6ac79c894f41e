// SPDX-License-Identifier: GPL-3.0-or-later
// A transfer watcher for tests: it records what the transfer reports and asks
// for a cancel once a given number of bytes has moved, so that a test stops a
// transfer at a chosen point without depending on time.
#pragma once

#include <QList>
#include <QString>

#include "core/instrument/TransferProgress.h"

namespace karvel::test {

class ScriptedProgress : public TransferProgress {
 public:
  struct Step {
    qint64 done;
    qint64 total;
  };

  // Cancel once this many bytes have moved; 0 at the first question; -1 never.
  qint64 cancelAt = -1;

  QString name;
  qint64 announcedTotal = -1;
  Direction direction = Direction::ToInstrument;
  QList<Step> steps;
  int begins = 0;
  int ends = 0;
  int keepAlives = 0;
  int questions = 0;
  int cancellings = 0;
  // Bytes moved when the first cancel was answered; -1 when none was.
  qint64 cancelledAt = -1;

  void begin(const QString& fileName, qint64 total, Direction dir) override {
    ++begins;
    name = fileName;
    announcedTotal = total;
    direction = dir;
  }
  void advance(qint64 done, qint64 total) override { steps.append({done, total}); }
  void keepAlive() override { ++keepAlives; }
  bool cancelRequested() override {
    ++questions;
    const qint64 done = steps.isEmpty() ? 0 : steps.last().done;
    const bool cancel = cancelAt >= 0 && done >= cancelAt;
    if (cancel && cancelledAt < 0) cancelledAt = done;
    return cancel;
  }
  void cancelling() override { ++cancellings; }
  void end() override { ++ends; }

  // Whether the bytes never went back, and never beyond the size told.
  bool monotonic() const {
    qint64 last = 0;
    for (const Step& s : steps) {
      if (s.done < last || s.done > s.total) return false;
      last = s.done;
    }
    return true;
  }
  qint64 lastDone() const { return steps.isEmpty() ? -1 : steps.last().done; }
};

}  // namespace karvel::test
