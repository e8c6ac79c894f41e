// SPDX-License-Identifier: GPL-3.0-or-later
// Makes every file write past `bytes` fail (EFBIG, "File too large") while it
// lives, as a full disk would, whatever the user's privileges: tests run as
// root, for whom permissions do not bind.
#pragma once

#include <QtGlobal>

#ifdef Q_OS_UNIX
#include <sys/resource.h>
#include <csignal>
#endif

namespace karvel::test {

class FileSizeLimit {
 public:
  explicit FileSizeLimit(long long bytes) {
#ifdef Q_OS_UNIX
    previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);  // a failed write, not a dead process
    getrlimit(RLIMIT_FSIZE, &previous_);
    rlimit limited = previous_;
    limited.rlim_cur = static_cast<rlim_t>(bytes);
    active_ = setrlimit(RLIMIT_FSIZE, &limited) == 0;
#else
    (void)bytes;
#endif
  }
  ~FileSizeLimit() {
#ifdef Q_OS_UNIX
    setrlimit(RLIMIT_FSIZE, &previous_);
    std::signal(SIGXFSZ, previousHandler_);
#endif
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;
  bool active() const { return active_; }

 private:
  bool active_ = false;
#ifdef Q_OS_UNIX
  rlimit previous_{};
  void (*previousHandler_)(int) = nullptr;
#endif
};

}  // namespace karvel::test
