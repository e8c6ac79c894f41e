// SPDX-License-Identifier: GPL-3.0-or-later
// One instrument session for the time of a karvel-cli command, set up as
// the program's (same settings file), with its failures told on stderr.
#pragma once

#include <QStringList>
#include <optional>

#include "cli/Console.h"
#include "cli/Interrupt.h"
#include "core/frame/AppState.h"
#include "core/frame/Clock.h"
#include "core/frame/OperationProgress.h"
#include "core/instrument/TransferProgress.h"
#include "io/Visa.h"

namespace karvel::cli {

// Messages are kept for the failure report.
class CollectingInteraction : public ConsoleInteraction {
 public:
  QStringList messages;
  void message(const QString&, const QString& text) override { messages.append(text.trimmed()); }
};

// Ctrl+C as the session's operations and transfers hear a Cancel: asked
// between two I/O calls, in the protocol's pauses, inside the wait of a read
// (outside a transfer's own reads) and between the slices of a block, so
// that the same clearing up runs as in the windows.
class InterruptWatch : public OperationProgress, public TransferProgress {
 public:
  void begin(const QString&) override {}
  void say(const QString&) override {}
  void begin(const QString&, qint64, Direction) override {}
  void advance(qint64, qint64) override {}
  void keepAlive() override {}
  bool cancelRequested() override { return interruptRequested(); }
  void cancelling() override {}
  void end() override {}
};

class Instrument {
 public:
  Instrument();
  ~Instrument();
  Instrument(const Instrument&) = delete;
  Instrument& operator=(const Instrument&) = delete;

  // Reads the settings file (connection, language); --language, when given,
  // speaks over the file's language.
  void prepare(const CommandLine& line);
  // Opens the session at `address` (a resource name, or "USB" for the USB
  // search), else at the settings file's connection. False once the failure
  // (the program's message and its cause) was printed.
  bool open(const QString& address);
  // Prints `text` and, when the link failed, its cause and address; 1.
  int linkFailed(const QString& text);

  // From open() on, Ctrl+C and SIGTERM stop the work as Cancel does; a
  // second one ends the program at once.
  bool interrupted() const { return interrupts_.has_value() && interruptRequested(); }
  // Prints the one line "interrupted: `left`" (what was left where); 130.
  int stopped(const QString& left);
  // The exit code after open() failed: 130 when Ctrl+C stopped it (the line
  // said so), else 1.
  int openFailed() const { return interrupted() ? kExitInterrupted : kExitFailure; }
  // What transfers report to, so that Ctrl+C stops them.
  TransferProgress* transferWatch() { return &watch_; }

  AppState& state() { return state_; }
  io::Visa& visa() { return visa_; }
  CollectingInteraction& ui() { return ui_; }

 private:
  // First in, last out: the signals stay handled until the session is closed.
  std::optional<InterruptHandling> interrupts_;
  InterruptWatch watch_;
  CollectingInteraction ui_;
  SystemClock clock_;
  io::Visa visa_;
  AppState state_;
  // The whole command is one operation, so that the session's steps hear Ctrl+C.
  std::optional<OperationScope> operation_;
};

}  // namespace karvel::cli
