// Fails chosen system calls of the POSIX trash and empty services, in process: every entry of
// their call table is wrapped, calls are counted, and the Nth counted call (once, or from then
// on) fails with a chosen errno without reaching the system.
#pragma once

namespace fault {

enum class Mode { kOnce, kFromThenOn };

struct Plan {
  long fail_at = 0;  // 1-based index of the call to fail; 0 fails nothing and only counts
  Mode mode = Mode::kOnce;
  int error = 0;
  // Count only the calls that retry an interrupted call (open, write, directory reads): EINTR
  // is only realistic there.
  bool interruptible_only = false;
};

// Installs the wrappers with this plan until the object goes away.
class Injection {
 public:
  explicit Injection(const Plan& plan);
  ~Injection();
  Injection(const Injection&) = delete;
  Injection& operator=(const Injection&) = delete;
  long calls() const;     // counted calls so far
  bool injected() const;  // whether any call was failed
};

}  // namespace fault
