#include "pathlist/split_lines.h"

#include <cstring>

namespace dustpan {
namespace {

// Returns the end of the line that starts at p (the LF, or end), or nullptr when the line holds
// U+0000. Every unit above LF is ordinary path text, so the hot loop makes one comparison per
// unit and only the rare control characters take the slow branch.
const char16_t* find_line_end(const char16_t* p, const char16_t* end) {
  for (;;) {
    while (p<end&& * p> u'\n') ++p;
    if (p == end || *p == u'\n') return p;
    if (*p == u'\0') return nullptr;
    ++p;  // a tab or another control character: part of the path
  }
}

}  // namespace

SplitResult split_lines(const char16_t* text, std::size_t length, char16_t* out) {
  const char16_t* const end = text + length;
  const char16_t* line = text;
  char16_t* cursor = out;
  std::size_t count = 0;
  while (line < end) {
    const char16_t* line_end = find_line_end(line, end);
    if (line_end == nullptr) return {false, 0};
    std::size_t units = static_cast<std::size_t>(line_end - line);
    if (units > 0 && line[units - 1] == u'\r') --units;  // only the one CR before the line end
    if (units > 0) {
      std::memcpy(cursor, line, units * sizeof(char16_t));
      cursor += units;
      *cursor++ = u'\0';
      ++count;
    }
    line = line_end == end ? end : line_end + 1;
  }
  *cursor = u'\0';
  return {true, count};
}

}  // namespace dustpan
