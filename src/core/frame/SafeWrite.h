// SPDX-License-Identifier: GPL-3.0-or-later
// Writing a file whole or not at all.
#pragma once

#include <QByteArrayView>
#include <QDateTime>
#include <QString>
#include <functional>

#include "core/frame/AppState.h"

namespace karvel {

// Writes `bytes` as the new content of `path`: into a temporary file beside
// it, renamed over it only once every byte was written and flushed to disk.
// False, with the reason in `error` (a full disk, a folder that cannot be
// written, a read-only file system named as such, in `language`), when
// anything failed; `path` is then as it was and nothing is left beside it.
// An existing file that is write-protected is not replaced. A symbolic link
// is followed: the file it names gets the new content. "-" is the standard
// output (StandardStreams.h): the bytes go there whole, with no temporary
// file and nothing to rename.
//
// Every byte is checked: a buffered write that stops short (a disk filling up
// half-way through) would otherwise be renamed over the old file as if whole.
bool writeFileWhole(const QString& path, QByteArrayView bytes, QString* error,
                    int language = English);

// The temporary file of writeFileWholeFrom as its producer sees it. A write
// goes at the current place; a zip archive moves back to complete the
// headers of its entries, hence seek.
class WholeFileSink {
 public:
  virtual ~WholeFileSink() = default;
  // False when not every byte could be written (the reason is kept).
  virtual bool write(const char* data, qint64 size) = 0;
  virtual bool seek(qint64 offset) = 0;
  virtual qint64 position() const = 0;
  // Whether a write or a seek failed.
  virtual bool failed() const = 0;
};
// Fills the file; false on failure, with `why` set unless the sink failed
// (whose own reason is then given).
using WholeFileProducer = std::function<bool(WholeFileSink& sink, QString* why)>;

// writeFileWhole for content made while it is written (a large workbook),
// which then never has to be held whole in memory: the same temporary
// file, checks and rename, and the same failures.
bool writeFileWholeFrom(const QString& path, const WholeFileProducer& produce, QString* error,
                        int language = English);

// The temporary file's name is the target's, then ".karvel-PID-XXXXXX.part":
// a leftover of a copy of the program that was killed before its rename is
// known as ours. The first write into a folder in a run removes those of
// them older than this run's start whose program is gone; another copy's
// temporary file of the moment stays.
bool isOwnTemporaryName(const QString& fileName);
// Removes the leftovers of `folder` as above; the number removed.
int removeStaleTemporaries(const QString& folder);
// When this run started (the leftovers' cut-off).
QDateTime processStart();

// A limit on file sizes (ulimit -f, quotas) ends the process with SIGXFSZ
// when a write goes past it; ignored, the write fails with EFBIG instead and
// the usual message names the file. Every program calls it first thing.
void keepRunningPastFileSizeLimit();

namespace detail {
// Replaces the final rename (tests: a rename that fails like a busy or
// vanished target). Null puts the system's back.
using RenameFunction = bool (*)(const QString& from, const QString& to, int* errorNumber);
void setRenameForTesting(RenameFunction rename);
}  // namespace detail

}  // namespace karvel
