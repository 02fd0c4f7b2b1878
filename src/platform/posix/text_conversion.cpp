// UTF-8 decoding on POSIX, with the conventions of the Windows conversion the core was written
// against: flags 0 never reject text, a null output or zero out_count measures, a byte count of
// -1 means "up to and including the terminating zero byte", and 0 is the answer to every misuse.
#include <cstring>

#include "platform/platform.h"
#include "platform/text/utf8.h"

namespace platform {

int MultiByteToWideChar(std::uint32_t code_page, std::uint32_t flags, const char* bytes,
                        int byte_count, char16_t* out, int out_count) {
  if (code_page != CP_UTF8 || flags != 0 || bytes == nullptr || byte_count == 0 ||
      byte_count < -1 || out_count < 0) {
    return 0;
  }
  const std::size_t length =
      byte_count == -1 ? std::strlen(bytes) + 1 : static_cast<std::size_t>(byte_count);
  const bool measuring = out == nullptr || out_count == 0;
  // No byte makes more than one unit, so an output as long as the input needs no measuring.
  if (!measuring && static_cast<std::size_t>(out_count) >= length) {
    return static_cast<int>(text::utf8_to_utf16(bytes, length, out));
  }
  const std::size_t needed = text::utf8_to_utf16(bytes, length, nullptr);
  if (needed > INT32_MAX) return 0;
  if (measuring) return static_cast<int>(needed);
  if (needed > static_cast<std::size_t>(out_count)) return 0;  // too small: nothing promised
  text::utf8_to_utf16(bytes, length, out);
  return static_cast<int>(needed);
}

}  // namespace platform
