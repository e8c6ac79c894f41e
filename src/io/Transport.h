// SPDX-License-Identifier: GPL-3.0-or-later
// One open link to an instrument (a serial port or a TCP socket). The I/O
// layer keeps VISA's rules (termination, counts, time-outs) above it; a
// transport only moves bytes and waits for them, on the calling thread.
#pragma once

#include <QByteArray>
#include <QString>
#include <algorithm>
#include <functional>

#include "io/LinkFailure.h"
#include "io/VisaTypes.h"

namespace karvel::io {

class Transport {
 public:
  virtual ~Transport() = default;

  virtual ViStatus open(int timeoutMs) = 0;
  virtual void close() = 0;
  // Sends every byte or fails; never waits longer than `timeoutMs`.
  virtual ViStatus write(const QByteArray& bytes, int timeoutMs, ViUInt32* written) = 0;
  // Appends the bytes that arrived; waits up to `timeoutMs` when none are
  // pending. VI_ERROR_TMO when nothing came, VI_ERROR_CONN_LOST when the
  // peer went away.
  virtual ViStatus receive(QByteArray& into, int timeoutMs) = 0;
  // Drops whatever arrived and was not read yet.
  virtual void discardInput() = 0;
  // Drops what was written and has not left yet, as far as the link allows.
  virtual void discardOutput() {}

  // Runs between pieces of kWaitHookStepMs at most while a write waits for
  // the link (a program with windows repaints them there); empty: the wait
  // is one piece.
  void setWaitHook(std::function<void()> hook) { waitHook_ = std::move(hook); }
  static constexpr int kWaitHookStepMs = 20;

  // Runs, on the thread that opened the link, when the link reports by
  // itself that it is gone (the peer closed the socket, the serial device
  // went away), also while nobody reads or writes; never for close().
  void setClosedHandler(std::function<void()> handler) { closedHandler_ = std::move(handler); }

  virtual bool isSerial() const = 0;
  virtual ViStatus setBaudRate(ViUInt32) { return VI_ERROR_NSUP_ATTR; }
  virtual ViStatus setFlowControl(ViAttrState) { return VI_ERROR_NSUP_ATTR; }
  // The interface's own name as the system reports it (e.g. the USB product
  // text of a serial port).
  virtual QString interfaceName() const = 0;
  // A readable reason for the last failure, for help texts and logs.
  virtual QString lastError() const = 0;
  // What kind of failure the last one was, for the user's message.
  virtual LinkCause lastCause() const { return LinkCause::Other; }

 protected:
  // The longest piece of a wait of `leftMs` before the hook runs again.
  int waitStep(int leftMs) const { return waitHook_ ? std::min(leftMs, kWaitHookStepMs) : leftMs; }
  void keepWaiting() {
    if (waitHook_) waitHook_();
  }
  void reportClosed() {
    if (closedHandler_) closedHandler_();
  }

 private:
  std::function<void()> waitHook_;
  std::function<void()> closedHandler_;
};

}  // namespace karvel::io
