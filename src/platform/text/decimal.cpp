#include "platform/text/decimal.h"

namespace text {
namespace {

bool is_space(char16_t c) {
  return c == u' ' || (c >= u'\t' && c <= u'\r');
}

int digit_value(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'z') return c - u'a' + 10;
  if (c >= u'A' && c <= u'Z') return c - u'A' + 10;
  return 99;
}

}  // namespace

std::uint64_t parse_unsigned(const char16_t* text, char16_t** end, int base) {
  const char16_t* p = text;
  while (is_space(*p)) ++p;
  bool negative = false;
  if (*p == u'+' || *p == u'-') negative = *p++ == u'-';
  if (base == 0) {
    base = 10;
    if (p[0] == u'0') base = (p[1] == u'x' || p[1] == u'X') ? 16 : 8;
  }
  if (base == 16 && p[0] == u'0' && (p[1] == u'x' || p[1] == u'X') && digit_value(p[2]) < 16) {
    p += 2;
  }
  if (base < 2 || base > 36 || digit_value(*p) >= base) {
    if (end) *end = const_cast<char16_t*>(text);
    return 0;
  }
  const auto wide_base = static_cast<std::uint64_t>(base);
  std::uint64_t value = 0;
  bool overflow = false;
  for (int digit; (digit = digit_value(*p)) < base; ++p) {
    const auto d = static_cast<std::uint64_t>(digit);
    if (value > (UINT64_MAX - d) / wide_base) overflow = true;
    value = value * wide_base + d;
  }
  if (end) *end = const_cast<char16_t*>(p);
  if (overflow) return UINT64_MAX;
  return negative ? ~value + 1 : value;
}

}  // namespace text
