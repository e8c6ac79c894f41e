// SPDX-License-Identifier: GPL-3.0-or-later
// How every karvel-cli command reports a failure: one error, carrying a
// stable kind for scripts, the message for people and the file or the
// instrument address it concerns, printed by one printer as text lines or,
// with --format json, as one JSON object on one line of stderr:
//   {"error": {"kind": "file-not-found", "message": "...", "file": "x.bus"}}
// The kinds' names are a contract with scripts: never translate nor rename
// them; docs/command-line.md lists them.
#pragma once

#include <QString>
#include <utility>

#include "io/LinkFailure.h"

namespace karvel::cli {

enum class ErrorKind {
  Usage,                  // the command line is wrong (exit 2)
  FileNotFound,           // a file or folder named does not exist
  FileUnreadable,         // it exists but could not be read (a folder, a read error)
  FileInvalid,            // read, but not what the command needs (damaged, too large)
  FileExists,             // the command does not write over an existing file
  CannotWrite,            // the file could not be written (full disk, read-only file system)
  LinkRefused,            // the host answered, nobody listens at that port
  LinkUnreachable,        // no route, unknown host, no such device, no port found
  LinkTimeout,            // the instrument did not answer in time
  LinkLost,               // the link went away during the work
  Permission,             // this account may not read, write or open it
  DeviceBusy,             // another program holds the serial device
  NotOnInstrument,        // the file is not in the instrument's store
  MemoryFull,             // the instrument did not keep the file sent
  UnsupportedInstrument,  // something answered, not a supported instrument
};

// "usage", "file-not-found", ...
const char* kindName(ErrorKind kind);

struct CliError {
  CliError() = default;
  CliError(ErrorKind k, QString text, QString path = {}, QString resource = {})
      : kind(k), message(std::move(text)), file(std::move(path)), address(std::move(resource)) {}
  ErrorKind kind = ErrorKind::Usage;
  QString message;  // for people, in the chosen language; may hold several lines
  QString file;     // the file concerned, as given
  QString address;  // the instrument's resource name
};

// How failures and notes are printed: set once the format is known (before
// the command line is read, a --format json seen anywhere in it).
void setJsonFailures(bool json);
bool jsonFailures();

// Prints `error` on stderr (text: "karvel-cli: LINE" per line) and returns
// its exit code: 2 for usage, else 1.
int report(const CliError& error);

// A file that could not be read: its kind from what the file system says
// of `path` now (missing, a folder, not readable by this account).
CliError readError(const QString& path, const QString& message);
// A file that could not be written: a missing folder, a protected file or
// folder, else cannot-write.
CliError writeError(const QString& path, const QString& message);
// The kind of a link failure's cause (io/LinkFailure.h).
ErrorKind linkKind(io::LinkCause cause);

}  // namespace karvel::cli
