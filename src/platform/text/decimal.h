// The runtime library's unsigned 64-bit number parsing, for the POSIX services and the fake.
#pragma once

#include <cstdint>

namespace text {

// Parses like the C runtime's wide unsigned conversion: leading white space, an optional sign,
// then digits of the base (2..36; 0 picks 8, 10 or 16 from the prefix). Saturates at 2^64-1 on
// overflow; a minus sign negates the value modulo 2^64. Returns 0 and sets *end to text when no
// number begins the text. end may be null.
std::uint64_t parse_unsigned(const char16_t* text, char16_t** end, int base);

}  // namespace text
