#include "support/fault_injection.h"

#include <cerrno>

#include "platform/posix/system_calls.h"

namespace fault {
namespace {

using platform::posix::kRealSystemCalls;

Plan plan;
long counted = 0;
bool failed_any = false;

bool should_fail(bool interruptible) {
  if (plan.interruptible_only && !interruptible) return false;
  ++counted;
  if (plan.fail_at == 0) return false;
  const bool fail =
      counted == plan.fail_at || (plan.mode == Mode::kFromThenOn && counted > plan.fail_at);
  if (fail) {
    failed_any = true;
    errno = plan.error;
  }
  return fail;
}

const platform::posix::SystemCalls kFaulty = {
    [](int dir, const char* path, int flags, mode_t mode) {
      return should_fail(true) ? -1 : kRealSystemCalls.openat(dir, path, flags, mode);
    },
    [](int fd) {
      // close releases the descriptor even when it reports an error.
      const bool fail = should_fail(false);
      const int result = kRealSystemCalls.close(fd);
      return fail ? -1 : result;
    },
    [](int fd, const void* data, size_t size) -> ssize_t {
      return should_fail(true) ? -1 : kRealSystemCalls.write(fd, data, size);
    },
    [](int dir, const char* path, int flags, unsigned mask, struct statx* out) {
      return should_fail(false) ? -1 : kRealSystemCalls.statx(dir, path, flags, mask, out);
    },
    [](int dir, const char* path, struct stat* out, int flags) {
      return should_fail(false) ? -1 : kRealSystemCalls.fstatat(dir, path, out, flags);
    },
    [](int fd, struct statfs* out) {
      return should_fail(false) ? -1 : kRealSystemCalls.fstatfs(fd, out);
    },
    [](int dir, const char* path, mode_t mode) {
      return should_fail(false) ? -1 : kRealSystemCalls.mkdirat(dir, path, mode);
    },
    [](int from_dir, const char* from, int to_dir, const char* to, unsigned flags) {
      return should_fail(false) ? -1
                                : kRealSystemCalls.renameat2(from_dir, from, to_dir, to, flags);
    },
    [](int dir, const char* path, int flags) {
      return should_fail(false) ? -1 : kRealSystemCalls.unlinkat(dir, path, flags);
    },
    [](int fd, mode_t mode) { return should_fail(false) ? -1 : kRealSystemCalls.fchmod(fd, mode); },
    [](int dir, const char* path, mode_t mode) {
      return should_fail(false) ? -1 : kRealSystemCalls.fchmodat(dir, path, mode);
    },
    [](int fd, void* buffer, size_t size) -> ssize_t {
      return should_fail(true) ? -1 : kRealSystemCalls.getdents64(fd, buffer, size);
    },
};

}  // namespace

Injection::Injection(const Plan& p) {
  plan = p;
  counted = 0;
  failed_any = false;
  platform::posix::sys = kFaulty;
}

Injection::~Injection() {
  platform::posix::sys = kRealSystemCalls;
}

long Injection::calls() const {
  return counted;
}

bool Injection::injected() const {
  return failed_any;
}

}  // namespace fault
