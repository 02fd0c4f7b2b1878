// A deliberately plain UTF-8 decoder to judge the fast one by: one byte at a time, straight
// from the table of well-formed byte sequences, replacing each maximal ill-formed subpart with
// one U+FFFD.
#pragma once

#include <string>

namespace reference_utf8 {

struct Row {
  unsigned char lead_low, lead_high, second_low, second_high;
  int length;
};

// The well-formed sequences, by lead byte, and the range their second byte must fall in.
inline constexpr Row kRows[] = {
    {0xC2, 0xDF, 0x80, 0xBF, 2}, {0xE0, 0xE0, 0xA0, 0xBF, 3}, {0xE1, 0xEC, 0x80, 0xBF, 3},
    {0xED, 0xED, 0x80, 0x9F, 3}, {0xEE, 0xEF, 0x80, 0xBF, 3}, {0xF0, 0xF0, 0x90, 0xBF, 4},
    {0xF1, 0xF3, 0x80, 0xBF, 4}, {0xF4, 0xF4, 0x80, 0x8F, 4},
};

inline std::u16string decode(const std::string& text, bool* valid = nullptr) {
  std::u16string out;
  if (valid) *valid = true;
  const auto* in = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t n = text.size();
  std::size_t i = 0;
  while (i < n) {
    if (in[i] < 0x80) {
      out += static_cast<char16_t>(in[i++]);
      continue;
    }
    const Row* row = nullptr;
    for (const Row& r : kRows) {
      if (in[i] >= r.lead_low && in[i] <= r.lead_high) row = &r;
    }
    std::size_t accepted = 1;
    if (row) {
      while (accepted < static_cast<std::size_t>(row->length) && i + accepted < n) {
        const unsigned char b = in[i + accepted];
        const bool fits = accepted == 1 ? (b >= row->second_low && b <= row->second_high)
                                        : (b >= 0x80 && b <= 0xBF);
        if (!fits) break;
        ++accepted;
      }
    }
    if (!row || accepted < static_cast<std::size_t>(row->length)) {
      out += u'\uFFFD';
      if (valid) *valid = false;
      i += accepted;
      continue;
    }
    char32_t cp = in[i] & (0x7F >> row->length);
    for (std::size_t k = 1; k < accepted; ++k) cp = (cp << 6) | (in[i + k] & 0x3F);
    if (cp >= 0x10000) {
      out += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      out += static_cast<char16_t>(cp);
    }
    i += accepted;
  }
  return out;
}

inline bool is_valid(const std::string& text) {
  bool valid = false;
  decode(text, &valid);
  return valid;
}

}  // namespace reference_utf8
