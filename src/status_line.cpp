#include "status_line.h"

#include <cstring>

#include "platform/platform.h"

namespace dustpan {
namespace {

void write_text(const char* text) {
  platform::write_status_line(text, std::strlen(text));
}

// Writes value as plain decimal (a minus sign when negative, no padding) and returns the end.
char* append_decimal(char* out, std::int32_t value) {
  // Widen first so that negating INT32_MIN is defined.
  std::int64_t wide = value;
  if (wide < 0) {
    *out++ = '-';
    wide = -wide;
  }
  char digits[10];
  int n = 0;
  do {
    digits[n++] = static_cast<char>('0' + wide % 10);
    wide /= 10;
  } while (wide != 0);
  while (n > 0) *out++ = digits[--n];
  return out;
}

char* append_text(char* out, const char* text) {
  const std::size_t length = std::strlen(text);
  std::memcpy(out, text, length);
  return out + length;
}

}  // namespace

void report_usage_error() {
  write_text("error usage\n");
}

void report_read_error() {
  write_text("error read\n");
}

void report_outcome(bool ok, std::int32_t code, bool aborted) {
  // "error" + ' ' + 11 characters of INT32_MIN + " aborted" + '\n' fits with room to spare.
  char line[32];
  char* end = append_text(line, ok ? "ok " : "error ");
  end = append_decimal(end, code);
  if (aborted) end = append_text(end, " aborted");
  *end++ = '\n';
  platform::write_status_line(line, static_cast<std::size_t>(end - line));
}

}  // namespace dustpan
