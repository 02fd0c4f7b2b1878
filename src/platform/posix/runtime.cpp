// Runtime-library services on POSIX: the status line and number parsing.
#include <cstdio>

#include "platform/platform.h"
#include "platform/text/decimal.h"

namespace platform {

void write_status_line(const char* line, std::size_t length) {
  std::fwrite(line, 1, length, stdout);
  std::fflush(stdout);
}

std::uint64_t _wcstoui64(const char16_t* text, char16_t** end, int base) {
  return text::parse_unsigned(text, end, base);
}

}  // namespace platform
