// SPDX-License-Identifier: GPL-3.0-or-later
// Waiting in a test for what the event loop brings (a queued call, a socket's
// news, another process's answer) without a fixed sleep.
#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

namespace karvel::test {

// Turns the event loop until `done` holds or `ms` have passed; whether it holds.
template <class Done>
bool turnUntil(Done done, int ms = 5000) {
  QDeadlineTimer deadline(ms);
  while (!done() && !deadline.hasExpired()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QThread::msleep(2);
  }
  return done();
}

}  // namespace karvel::test
