// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/frame/StandardStreams.h"

#include <atomic>
#include <cerrno>
#include <cstdio>

#include "core/frame/Langue.h"

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <poll.h>
#include <unistd.h>
#endif

namespace karvel {

namespace {
std::atomic<bool> outputClosed{false};
}  // namespace

bool isStandardStream(const QString& path) { return path == u"-"; }

bool openForReading(QFile& file, const QString& path) {
  if (!isStandardStream(path)) {
    file.setFileName(path);
    return file.open(QIODevice::ReadOnly);
  }
  // The descriptor stays the process's: QFile does not close what it was handed.
  return file.open(0, QIODevice::ReadOnly, QFileDevice::DontCloseHandle);
}

bool standardOutputClosed() { return outputClosed.load(); }
void noteStandardOutputClosed() { outputClosed = true; }

bool writeStandardOutput(QByteArrayView bytes, QString* error, int language) {
  // What printf holds goes first, so that the bytes keep their order.
  std::fflush(stdout);
  const auto failed = [&](int errorNumber) {
    if (errorNumber == EPIPE) {
      outputClosed = true;
      if (error) *error = pick(text::kStandardOutputClosed, language);
    } else if (error) {
      *error = pick(text::kStandardOutputFailed, language).arg(qt_error_string(errorNumber));
    }
    return false;
  };
  const char* data = bytes.data();
  qsizetype left = bytes.size();
  while (left > 0) {
#ifdef Q_OS_WIN
    const int n = ::_write(1, data, static_cast<unsigned>(qMin<qsizetype>(left, 1 << 20)));
    if (n < 0) return failed(errno);
#else
    const ssize_t n = ::write(1, data, static_cast<size_t>(left));
    if (n < 0) {
      if (errno == EINTR) continue;
      if (errno == EAGAIN || errno == EWOULDBLOCK) {
        // A non-blocking pipe whose reader is slow: wait until it takes more.
        pollfd out{1, POLLOUT, 0};
        if (::poll(&out, 1, -1) < 0 && errno != EINTR) return failed(errno);
        continue;
      }
      return failed(errno);
    }
#endif
    if (n == 0) return failed(EIO);
    data += n;
    left -= n;
  }
  return true;
}

}  // namespace karvel
