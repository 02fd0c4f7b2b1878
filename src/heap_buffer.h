// Ownership of the core's heap blocks, which come from platform::malloc / platform::calloc so
// that tests can fail any single allocation. A HeapBuffer frees its block on every return path.
#pragma once

#include <memory>

#include "platform/platform.h"

namespace dustpan {

struct PlatformFree {
  void operator()(void* block) const { platform::free(block); }
};

template <typename T>
using HeapBuffer = std::unique_ptr<T[], PlatformFree>;

}  // namespace dustpan
