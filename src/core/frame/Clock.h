// Waits that the instrument protocol imposes. The program really waits; tests
// pass a clock that only records the waits, so they run fast.
#pragma once

#include <QElapsedTimer>
#include <QThread>

namespace karvel {

class Clock {
 public:
  virtual ~Clock() = default;
  virtual void wait(int milliseconds) = 0;
};

class SystemClock : public Clock {
 public:
  void wait(int milliseconds) override {
    if (milliseconds > 0) QThread::msleep(static_cast<unsigned long>(milliseconds));
  }
};

}  // namespace karvel
