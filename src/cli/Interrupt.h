// SPDX-License-Identifier: GPL-3.0-or-later
// Ctrl+C (SIGINT) and termination requests (SIGTERM; Ctrl+C, Ctrl+Break and
// closing the console on Windows) while karvel-cli talks to the instrument.
// The first one asks the work under way to stop as the windows' Cancel does,
// so that the transfer clears up after itself (the instrument told to stop,
// a partial file deleted, nothing half-written left on the PC); a second one
// ends the program at once, without clearing up.
#pragma once

namespace karvel::cli {

// The exit code of a command that was stopped so.
constexpr int kExitInterrupted = 130;

// While one lives, the signals set the flag instead of ending the program;
// the handling that was in place before comes back after. One at a time.
class InterruptHandling {
 public:
  InterruptHandling();
  ~InterruptHandling();
  InterruptHandling(const InterruptHandling&) = delete;
  InterruptHandling& operator=(const InterruptHandling&) = delete;
};

// Whether a first signal came (it stays so until the program ends).
bool interruptRequested();

}  // namespace karvel::cli
