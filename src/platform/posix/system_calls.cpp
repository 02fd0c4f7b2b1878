#include "platform/posix/system_calls.h"

#include <dirent.h>
#include <stdio.h>
#include <unistd.h>

#include <cerrno>

namespace platform::posix {

const SystemCalls kRealSystemCalls = {
    [](int dir, const char* path, int flags, mode_t mode) {
      return ::openat(dir, path, flags, mode);
    },
    ::close,
    ::write,
    ::statx,
    ::fstatat,
    ::fstatfs,
    ::mkdirat,
    ::renameat2,
    ::unlinkat,
    ::fchmod,
    [](int dir, const char* path, mode_t mode) { return ::fchmodat(dir, path, mode, 0); },
    ::getdents64,
};

SystemCalls sys = kRealSystemCalls;

int open_at(int dir, const char* path, int flags, mode_t mode) {
  int fd;
  do {
    fd = sys.openat(dir, path, flags | O_CLOEXEC, mode);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

bool write_all(int fd, const char* data, size_t size) {
  while (size > 0) {
    const ssize_t n = sys.write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) {
      errno = ENOSPC;
      return false;
    }
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

}  // namespace platform::posix
