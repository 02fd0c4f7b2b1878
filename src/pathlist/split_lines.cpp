#include "pathlist/split_lines.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace dustpan {

// One pass that copies and splits at once. Text is copied to out in blocks of eight units until
// a block holds an LF or a U+0000; each line end then drops the CR before it, writes the path's
// terminator, or takes back an empty line. The output never runs ahead of the input (every
// line gives up at least its LF for its terminator), so copying a whole block, even past the
// line's end, stays inside out; what lies past the final terminator is cleared at the end.
SplitResult split_lines(const char16_t* text, std::size_t length, char16_t* out) {
  const char16_t* in = text;
  const char16_t* const end = text + length;
  char16_t* cursor = out;
  char16_t* line_start = out;
  char16_t* written_to = out;  // everything at or after this is still zero
  std::size_t count = 0;

  // Ends the line copied since line_start (without its LF).
  auto end_line = [&] {
    if (cursor > line_start && cursor[-1] == u'\r') --cursor;  // the one CR before the end
    if (cursor > line_start) {
      *cursor++ = u'\0';
      ++count;
    }
    line_start = cursor;
  };

  while (in < end) {
#if defined(__SSE2__)
    const __m128i lf = _mm_set1_epi16(u'\n');
    const __m128i nul = _mm_setzero_si128();
    while (end - in >= 8) {
      const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(cursor), units);
      written_to = std::max(written_to, cursor + 8);
      const int hits =
          _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi16(units, lf), _mm_cmpeq_epi16(units, nul)));
      if (hits != 0) {
        const int ordinary = __builtin_ctz(static_cast<unsigned>(hits)) / 2;
        in += ordinary;
        cursor += ordinary;
        break;
      }
      in += 8;
      cursor += 8;
    }
#endif
    while (in < end && *in != u'\n' && *in != u'\0') *cursor++ = *in++;
    written_to = std::max(written_to, cursor);
    if (in == end) break;
    if (*in == u'\0') return {false, 0};
    end_line();
    ++in;  // past the LF
  }
  end_line();
  *cursor = u'\0';
  // Clear what block copies left past the closing terminator, so the buffer beyond the list is
  // zero as allocated.
  if (written_to > cursor + 1) std::fill(cursor + 1, written_to, u'\0');
  return {true, count};
}

}  // namespace dustpan
