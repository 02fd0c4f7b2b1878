// POSIX entry point: the arguments arrive as bytes, taken to be UTF-8, and are handed to the
// same dispatch as on Windows in UTF-16.
#include <cstring>
#include <string>
#include <vector>

#include "dispatch.h"
#include "platform/text/utf8.h"

int main(int argc, char** argv) {
  std::vector<std::u16string> wide(static_cast<std::size_t>(argc));
  std::vector<const char16_t*> pointers(static_cast<std::size_t>(argc) + 1, nullptr);
  for (std::size_t i = 0; i < wide.size(); ++i) {
    const std::size_t length = std::strlen(argv[i]);
    wide[i].resize(text::utf8_to_utf16(argv[i], length, nullptr));
    text::utf8_to_utf16(argv[i], length, wide[i].data());
    pointers[i] = wide[i].c_str();
  }
  return dustpan::dispatch(argc, pointers.data());
}
