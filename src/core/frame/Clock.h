// SPDX-License-Identifier: GPL-3.0-or-later
// Waits that the instrument protocol imposes. The program really waits; tests
// pass a clock that only records the waits, so they run fast.
#pragma once

#include <QElapsedTimer>
#include <QThread>
#include <algorithm>
#include <functional>

namespace karvel {

class Clock {
 public:
  virtual ~Clock() = default;
  virtual void wait(int milliseconds) = 0;
  // The same wait, with `keepAlive` run every few tens of milliseconds during
  // it (a transfer keeps its windows painted that way). A clock that does not
  // really wait runs it once.
  virtual void waitKeepingAlive(int milliseconds, const std::function<void()>& keepAlive) {
    wait(milliseconds);
    if (keepAlive) keepAlive();
  }
  // The same wait, given up as soon as `cancelled` says so; false then. A
  // clock that does not really wait asks once, after the wait.
  virtual bool waitUnlessCancelled(int milliseconds, const std::function<void()>& keepAlive,
                                   const std::function<bool()>& cancelled) {
    waitKeepingAlive(milliseconds, keepAlive);
    return !(cancelled && cancelled());
  }
};

class SystemClock : public Clock {
 public:
  void wait(int milliseconds) override {
    if (milliseconds > 0) QThread::msleep(static_cast<unsigned long>(milliseconds));
  }
  void waitKeepingAlive(int milliseconds, const std::function<void()>& keepAlive) override {
    if (!keepAlive) return wait(milliseconds);
    QElapsedTimer timer;
    timer.start();
    for (;;) {
      keepAlive();
      const qint64 left = milliseconds - timer.elapsed();
      if (left <= 0) return;
      QThread::msleep(static_cast<unsigned long>(std::min<qint64>(left, kStepMs)));
    }
  }
  bool waitUnlessCancelled(int milliseconds, const std::function<void()>& keepAlive,
                           const std::function<bool()>& cancelled) override {
    QElapsedTimer timer;
    timer.start();
    for (;;) {
      if (keepAlive) keepAlive();
      if (cancelled && cancelled()) return false;
      const qint64 left = milliseconds - timer.elapsed();
      if (left <= 0) return true;
      QThread::msleep(static_cast<unsigned long>(std::min<qint64>(left, kStepMs)));
    }
  }

 private:
  static constexpr int kStepMs = 10;
};

}  // namespace karvel
