// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/Interrupt.h"

#include <atomic>

#ifdef _WIN32
#include <windows.h>

#include <cstdlib>
#else
#include <unistd.h>
#include <csignal>
#endif

namespace karvel::cli {

namespace {

// Set from the handler: only lock-free atomics are safe there.
std::atomic<int> requests{0};
static_assert(std::atomic<int>::is_always_lock_free);

// What the second signal says before the program ends: one write, no
// formatting, nothing that allocates.
constexpr char kAtOnce[] =
    "karvel-cli: interrupted again: stopped at once, without clearing up the transfer\n";

#ifdef _WIN32
BOOL WINAPI onConsoleEvent(DWORD type) {
  if (type != CTRL_C_EVENT && type != CTRL_BREAK_EVENT && type != CTRL_CLOSE_EVENT) return FALSE;
  if (requests.fetch_add(1) > 0) {
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), kAtOnce, sizeof kAtOnce - 1, &written, nullptr);
    _exit(kExitInterrupted);
  }
  return TRUE;
}
#else
struct sigaction previousInt;
struct sigaction previousTerm;

extern "C" void onSignal(int) {
  if (requests.fetch_add(1) > 0) {
    // Async-signal-safe only: write and _exit.
    [[maybe_unused]] const ssize_t n = ::write(STDERR_FILENO, kAtOnce, sizeof kAtOnce - 1);
    _exit(kExitInterrupted);
  }
}
#endif

}  // namespace

InterruptHandling::InterruptHandling() {
#ifdef _WIN32
  SetConsoleCtrlHandler(onConsoleEvent, TRUE);
#else
  struct sigaction action {};
  action.sa_handler = onSignal;
  sigemptyset(&action.sa_mask);
  // Interrupted system calls go on: a read of the instrument waits in
  // slices of some tens of milliseconds and hears the flag between them, as
  // it hears the windows' Cancel.
  action.sa_flags = SA_RESTART;
  sigaction(SIGINT, &action, &previousInt);
  sigaction(SIGTERM, &action, &previousTerm);
#endif
}

InterruptHandling::~InterruptHandling() {
#ifdef _WIN32
  SetConsoleCtrlHandler(onConsoleEvent, FALSE);
#else
  sigaction(SIGINT, &previousInt, nullptr);
  sigaction(SIGTERM, &previousTerm, nullptr);
#endif
}

bool interruptRequested() { return requests.load() > 0; }

}  // namespace karvel::cli
