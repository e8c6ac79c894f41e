// SPDX-License-Identifier: GPL-3.0-or-later
// "-" as a file name: the standard input where a file is read, the standard
// output where one is written, as shell tools take it. A file really named
// "-" stays reachable as "./-". Only the command-line tool is given "-": the
// windows always pass whole paths.
#pragma once

#include <QByteArrayView>
#include <QFile>
#include <QString>

namespace karvel {

// Whether `path` stands for a standard stream rather than a file.
bool isStandardStream(const QString& path);

// Opens `path` for reading into `file`: the standard input for "-". False
// with the reason in file.errorString(), as QFile::open.
bool openForReading(QFile& file, const QString& path);

// Writes every byte to the standard output: through short writes, signals
// and a non-blocking descriptor (waiting until the reader takes more), after
// what printf buffered. False, with the reason in `error` (in `language`),
// when the stream failed; a reader that went away (a closed pipe) is told by
// standardOutputClosed() and never ends the process.
bool writeStandardOutput(QByteArrayView bytes, QString* error, int language);

// Whether a write to the standard output met a closed pipe (EPIPE).
bool standardOutputClosed();
// Records such a write made elsewhere (printf's buffer going out).
void noteStandardOutputClosed();

}  // namespace karvel
