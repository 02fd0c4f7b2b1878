// Splitting decoded list text into the double-terminated run of paths.
#pragma once

#include <cstddef>

namespace dustpan {

struct SplitResult {
  bool ok;            // false: the text holds U+0000, which no path may carry
  std::size_t count;  // paths written
};

// Splits text[0, length) at LF, drops one CR at the end of each line, skips empty lines, and
// writes every remaining line to out followed by U+0000, then the closing U+0000.
// out must hold length + 2 units; that is always enough, since every path but the last gives up
// its LF for its terminator. On failure out holds garbage and must not be used.
SplitResult split_lines(const char16_t* text, std::size_t length, char16_t* out);

}  // namespace dustpan
