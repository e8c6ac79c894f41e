// SPDX-License-Identifier: GPL-3.0-or-later
// An instrument operation of the windows (opening a session, listing a
// store, a ping) runs on the interface's thread like a transfer does: while
// it lives, every wait of the I/O layer and of the protocol turns the event
// loop through its watcher, which says what the operation does and carries
// Cancel. A cancel is heard between I/O calls, in the protocol's pauses and
// inside a read's wait (which ends with VI_ERROR_ABORT); the operation then
// ends as a failure would.
#pragma once

#include <QString>
#include <functional>

namespace karvel {

struct AppState;

class OperationProgress {
 public:
  virtual ~OperationProgress() = default;
  // An operation starts: what it does first.
  virtual void begin(const QString& activity) = 0;
  // It moves on to another step.
  virtual void say(const QString& activity) = 0;
  // Called every few tens of milliseconds for as long as it runs.
  virtual void keepAlive() = 0;
  // Whether the user wants it stopped.
  virtual bool cancelRequested() = 0;
  // The operation is over, whatever its outcome.
  virtual void end() = 0;
};

// One operation, or one step of an operation already running (the session
// opening inside Import): only the outermost scope begins and ends the
// watcher and holds the I/O layer's wait hook. Without a watcher it changes
// nothing, so the command-line tool waits as it always did.
class OperationScope {
 public:
  OperationScope(AppState& state, const QString& activity);
  ~OperationScope();
  OperationScope(const OperationScope&) = delete;
  OperationScope& operator=(const OperationScope&) = delete;

  void say(const QString& activity);

 private:
  AppState& state_;
  bool outermost_;
  std::function<void()> previousHook_;
};

// Whether the operation running now was told to stop; once told, it stays so
// until the operation ends. False when none runs.
bool operationCancelled(AppState& state);

// Tells the watcher of the operation running now what it does (nothing when
// none runs).
void operationSay(AppState& state, const QString& activity);

// A pause of the protocol: the clock's wait, turning the event loop and given
// up at a cancel (false then).
bool operationWait(AppState& state, int milliseconds);

}  // namespace karvel
