#include "platform/posix/native_path.h"

#include <string_view>

#include "platform/text/utf8.h"

namespace platform::posix {

bool native_path(const char16_t* text, std::string* out) {
  return native_path(text, std::u16string_view(text).size(), out);
}

bool native_path(const char16_t* text, std::size_t length, std::string* out) {
  out->resize(3 * length);
  const long written = text::utf16_to_utf8(text, length, out->data());
  if (written < 0) return false;
  out->resize(static_cast<std::size_t>(written));
  return true;
}

}  // namespace platform::posix
