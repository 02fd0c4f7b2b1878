// Runtime-library services on Windows: msvcrt's heap, standard output in its default text mode
// (so the line ends "\r\n" on the wire, as callers there expect), and its number parsing.
#include "platform/platform.h"

#include <stdio.h>
#include <stdlib.h>

namespace platform {

void* malloc(std::size_t size) {
  return ::malloc(size);
}

void* calloc(std::size_t count, std::size_t size) {
  return ::calloc(count, size);
}

void free(void* block) {
  ::free(block);
}

void write_status_line(const char* line, std::size_t length) {
  ::fwrite(line, 1, length, stdout);
  ::fflush(stdout);
}

std::uint64_t _wcstoui64(const char16_t* text, char16_t** end, int base) {
  return ::_wcstoui64(reinterpret_cast<const wchar_t*>(text), reinterpret_cast<wchar_t**>(end),
                      base);
}

}  // namespace platform
