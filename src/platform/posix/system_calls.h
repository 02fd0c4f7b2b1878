// Every system call the trash and empty services make goes through this table, so tests can
// replace one entry to fail the Nth call with a chosen errno (the way a test VFS injects faults)
// without touching the code under test.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/types.h>

namespace platform::posix {

struct SystemCalls {
  int (*openat)(int dir, const char* path, int flags, mode_t mode);
  int (*close)(int fd);
  ssize_t (*write)(int fd, const void* data, size_t size);
  int (*statx)(int dir, const char* path, int flags, unsigned mask, struct statx* out);
  int (*fstatat)(int dir, const char* path, struct stat* out, int flags);
  int (*fstatfs)(int fd, struct statfs* out);
  int (*mkdirat)(int dir, const char* path, mode_t mode);
  int (*renameat2)(int from_dir, const char* from, int to_dir, const char* to, unsigned flags);
  int (*unlinkat)(int dir, const char* path, int flags);
  int (*fchmod)(int fd, mode_t mode);
  int (*fchmodat)(int dir, const char* path, mode_t mode);
  ssize_t (*getdents64)(int fd, void* buffer, size_t size);
};

// The table in use. Starts as the real calls; tests may swap entries and must restore them.
extern SystemCalls sys;
// The real calls, for restoring.
extern const SystemCalls kRealSystemCalls;

// Convenience wrappers that retry a call interrupted by a signal.
int open_at(int dir, const char* path, int flags, mode_t mode = 0);
bool write_all(int fd, const char* data, size_t size);

}  // namespace platform::posix
