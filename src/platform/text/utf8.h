// UTF-8 <-> UTF-16 conversion written for the POSIX services and the test fake (Windows has its
// own). Plain computation, no OS calls.
#pragma once

#include <cstddef>

namespace text {

// Decodes length bytes of UTF-8 and returns the number of UTF-16 units they make; writes them
// to out unless out is null. Never rejects input: each maximal ill-formed subpart (a stray
// continuation byte, a truncated sequence, an overlong form, an encoded surrogate, a value above
// U+10FFFF, a byte F5..FF) becomes one U+FFFD, as the Unicode standard recommends. out, when
// given, must hold the measured count.
std::size_t utf8_to_utf16(const char* bytes, std::size_t length, char16_t* out);

// Encodes length UTF-16 units as UTF-8 into out, which must hold 3 * length bytes. Returns the
// number of bytes written, or -1 when the text holds an unpaired surrogate, which no UTF-8 name
// can carry faithfully.
long utf16_to_utf8(const char16_t* units, std::size_t length, char* out);

}  // namespace text
