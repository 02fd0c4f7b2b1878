// Converting the core's UTF-16 paths to the byte strings POSIX calls take.
#pragma once

#include <cstddef>
#include <string>

namespace platform::posix {

// UTF-8 form of a U+0000-terminated UTF-16 string. False when the text holds an unpaired
// surrogate, which has no UTF-8 form.
bool native_path(const char16_t* text, std::string* out);
bool native_path(const char16_t* text, std::size_t length, std::string* out);

}  // namespace platform::posix
