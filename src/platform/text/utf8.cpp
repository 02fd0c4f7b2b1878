#include "platform/text/utf8.h"

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace text {
namespace {

constexpr char16_t kReplacement = u'\uFFFD';
constexpr std::uint64_t kHighBits = 0x8080808080808080ull;

// Valid second-byte range for each lead byte; the later bytes are always 80..BF.
struct LeadInfo {
  int length;  // total bytes of the sequence, 0 for a byte that cannot lead
  unsigned char second_low;
  unsigned char second_high;
};

LeadInfo lead_info(unsigned char lead) {
  if (lead >= 0xC2 && lead <= 0xDF) return {2, 0x80, 0xBF};
  if (lead == 0xE0) return {3, 0xA0, 0xBF};  // below A0 would be overlong
  if (lead == 0xED) return {3, 0x80, 0x9F};  // above 9F would encode a surrogate
  if (lead >= 0xE1 && lead <= 0xEF) return {3, 0x80, 0xBF};
  if (lead == 0xF0) return {4, 0x90, 0xBF};  // below 90 would be overlong
  if (lead == 0xF4) return {4, 0x80, 0x8F};  // above 8F would pass U+10FFFF
  if (lead >= 0xF1 && lead <= 0xF3) return {4, 0x80, 0xBF};
  return {0, 0, 0};
}

bool is_continuation(unsigned char byte) {
  return (byte & 0xC0) == 0x80;
}

template <bool kWrite>
std::size_t decode(const unsigned char* in, std::size_t length, char16_t* out) {
  std::size_t i = 0;
  std::size_t units = 0;
  while (i < length) {
    // Lists are mostly ASCII paths: take whole blocks while none has its high bit set, and the
    // ASCII start of a block that has one.
#if defined(__SSE2__)
    while (length - i >= 16) {
      const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
      const int high = _mm_movemask_epi8(bytes);
      if (high != 0) {
        const auto ascii = static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(high)));
        if constexpr (kWrite) {
          for (std::size_t k = 0; k < ascii; ++k) out[units + k] = in[i + k];
        }
        i += ascii;
        units += ascii;
        break;
      }
      if constexpr (kWrite) {
        const __m128i zero = _mm_setzero_si128();
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + units), _mm_unpacklo_epi8(bytes, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + units + 8),
                         _mm_unpackhi_epi8(bytes, zero));
      }
      i += 16;
      units += 16;
    }
#endif
    while (length - i >= 8) {
      std::uint64_t word;
      std::memcpy(&word, in + i, sizeof word);
      if (word & kHighBits) break;
      if constexpr (kWrite) {
        for (std::size_t k = 0; k < 8; ++k) out[units + k] = in[i + k];
      }
      i += 8;
      units += 8;
    }
    if (i >= length) break;
    const unsigned char lead = in[i];
    if (lead < 0x80) {
      if constexpr (kWrite) out[units] = lead;
      ++units;
      ++i;
      continue;
    }
    // The common well-formed two- and three-byte forms first: accented Latin, Cyrillic, CJK.
    if (lead >= 0xC2 && lead <= 0xDF && length - i >= 2 && is_continuation(in[i + 1])) {
      if constexpr (kWrite)
        out[units] = static_cast<char16_t>(((lead & 0x1Fu) << 6) | (in[i + 1] & 0x3Fu));
      ++units;
      i += 2;
      continue;
    }
    if ((lead & 0xF0) == 0xE0 && length - i >= 3 && is_continuation(in[i + 1]) &&
        is_continuation(in[i + 2])) {
      const std::uint32_t cp =
          ((lead & 0x0Fu) << 12) | ((in[i + 1] & 0x3Fu) << 6) | (in[i + 2] & 0x3Fu);
      if (cp >= 0x800 && (cp < 0xD800 || cp > 0xDFFF)) {
        if constexpr (kWrite) out[units] = static_cast<char16_t>(cp);
        ++units;
        i += 3;
        continue;
      }
    }
    const LeadInfo info = lead_info(lead);
    // Count how much of a well-formed sequence is present; a shortfall is one ill-formed
    // subpart, replaced as a whole.
    std::size_t good = 1;
    if (info.length > 0 && i + 1 < length && in[i + 1] >= info.second_low &&
        in[i + 1] <= info.second_high) {
      good = 2;
      while (good < static_cast<std::size_t>(info.length) && i + good < length &&
             is_continuation(in[i + good])) {
        ++good;
      }
    }
    if (info.length == 0 || good < static_cast<std::size_t>(info.length)) {
      if constexpr (kWrite) out[units] = kReplacement;
      ++units;
      i += good;
      continue;
    }
    std::uint32_t cp = lead & (0xFFu >> (info.length + 1));
    for (int k = 1; k < info.length; ++k)
      cp = (cp << 6) | (in[i + static_cast<std::size_t>(k)] & 0x3Fu);
    i += static_cast<std::size_t>(info.length);
    if (cp < 0x10000) {
      if constexpr (kWrite) out[units] = static_cast<char16_t>(cp);
      ++units;
    } else {
      if constexpr (kWrite) {
        cp -= 0x10000;
        out[units] = static_cast<char16_t>(0xD800 + (cp >> 10));
        out[units + 1] = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
      }
      units += 2;
    }
  }
  return units;
}

}  // namespace

std::size_t utf8_to_utf16(const char* bytes, std::size_t length, char16_t* out) {
  const auto* in = reinterpret_cast<const unsigned char*>(bytes);
  return out ? decode<true>(in, length, out) : decode<false>(in, length, nullptr);
}

long utf16_to_utf8(const char16_t* units, std::size_t length, char* out) {
  char* const start = out;
  for (std::size_t i = 0; i < length; ++i) {
    std::uint32_t cp = units[i];
    if (cp < 0x80) {
      *out++ = static_cast<char>(cp);
      continue;
    }
    if (cp >= 0xD800 && cp <= 0xDFFF) {
      if (cp > 0xDBFF || i + 1 == length || units[i + 1] < 0xDC00 || units[i + 1] > 0xDFFF) {
        return -1;
      }
      cp = 0x10000 + ((cp - 0xD800) << 10) + (units[++i] - 0xDC00u);
    }
    if (cp < 0x800) {
      *out++ = static_cast<char>(0xC0 | (cp >> 6));
    } else if (cp < 0x10000) {
      *out++ = static_cast<char>(0xE0 | (cp >> 12));
      *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    } else {
      *out++ = static_cast<char>(0xF0 | (cp >> 18));
      *out++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    }
    *out++ = static_cast<char>(0x80 | (cp & 0x3F));
  }
  return static_cast<long>(out - start);
}

}  // namespace text
