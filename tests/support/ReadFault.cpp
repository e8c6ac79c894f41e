// SPDX-License-Identifier: GPL-3.0-or-later
// Loaded into a program with LD_PRELOAD: reads of the one file named by
// KARVEL_READ_FAULT_FILE (its real path) stop at byte KARVEL_READ_FAULT_AT,
// and every read from there fails with EIO, as on a disk with a bad sector.
#include <dlfcn.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

using ReadFunction = ssize_t (*)(int, void*, size_t);

bool faultyFile(int fd, long long* at) {
  const char* name = std::getenv("KARVEL_READ_FAULT_FILE");
  const char* where = std::getenv("KARVEL_READ_FAULT_AT");
  if (!name || !where) return false;
  char link[64];
  std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
  char target[PATH_MAX];
  const ssize_t n = ::readlink(link, target, sizeof target - 1);
  if (n <= 0) return false;
  target[n] = '\0';
  if (std::strcmp(target, name) != 0) return false;
  *at = std::atoll(where);
  return true;
}

}  // namespace

extern "C" ssize_t read(int fd, void* buffer, size_t count) {
  static const auto real = reinterpret_cast<ReadFunction>(dlsym(RTLD_NEXT, "read"));
  long long at = 0;
  if (faultyFile(fd, &at)) {
    const long long position = ::lseek(fd, 0, SEEK_CUR);
    if (position >= at) {
      errno = EIO;
      return -1;
    }
    if (position + static_cast<long long>(count) > at) count = static_cast<size_t>(at - position);
  }
  return real(fd, buffer, count);
}

extern "C" ssize_t __read_chk(int fd, void* buffer, size_t count, size_t) {
  return read(fd, buffer, count);
}
