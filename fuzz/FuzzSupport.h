// SPDX-License-Identifier: GPL-3.0-or-later
// What the fuzz targets share: a scratch folder for the readers that only take
// a path, and a failed check that libFuzzer records with the input behind it.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

namespace karvel::fuzz {

// A folder in memory when the system has one: every input is written and
// read back, and on a disk that takes longer than the code under test.
inline QString scratchBase() {
  const QFileInfo shm(QStringLiteral("/dev/shm"));
  return shm.isDir() && shm.isWritable() ? shm.filePath() : QDir::tempPath();
}

// One folder per fuzzing process, removed when it ends normally.
inline QString scratchPath(const QString& name) {
  static QTemporaryDir dir(scratchBase() + QStringLiteral("/karvel-fuzz-XXXXXX"));
  if (!dir.isValid()) {
    std::fprintf(stderr, "karvel fuzz: no scratch folder (%s)\n", qPrintable(dir.errorString()));
    std::abort();
  }
  return dir.filePath(name);
}

// Writes the input as the whole file; a scratch file that cannot be written
// would make every later result meaningless, so it stops the run.
inline void writeInput(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) {
    std::fprintf(stderr, "karvel fuzz: cannot write %s\n", qPrintable(path));
    std::abort();
  }
}

[[noreturn]] inline void checkFailed(const char* check, const char* file, int line) {
  std::fprintf(stderr, "karvel fuzz: check failed at %s:%d: %s\n", file, line, check);
  std::abort();
}

}  // namespace karvel::fuzz

// A property every input must keep; a break is a crash for libFuzzer.
#define FUZZ_CHECK(condition) \
  ((condition) ? void(0) : ::karvel::fuzz::checkFailed(#condition, __FILE__, __LINE__))
