// The paths of a list file in the form the shell's file operation takes.
#pragma once

#include <cstddef>

#include "heap_buffer.h"

namespace dustpan {

// buffer holds the paths in file order, each followed by one U+0000, and one more U+0000 after
// the last; with no path it holds only zeros. No path is empty and none holds U+0000.
struct PathList {
  HeapBuffer<char16_t> buffer;
  std::size_t count = 0;
};

}  // namespace dustpan
