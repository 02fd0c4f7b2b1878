// Fuzzes the list reader's decode-and-split through the fake file services and checks the
// PathList against a plain re-reading of the same bytes.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "fake_platform.h"
#include "pathlist/read_path_list.h"
#include "platform/text/utf8.h"
#include "reference_utf8.h"

namespace {

void check(bool condition) {
  if (!condition) std::abort();
}

// The lines a caller meant: split at LF, one CR dropped at each line's end, empty lines skipped.
std::vector<std::u16string> expected_paths(const std::u16string& text) {
  std::vector<std::u16string> paths;
  std::size_t start = 0;
  for (;;) {
    const std::size_t lf = text.find(u'\n', start);
    std::u16string line =
        text.substr(start, lf == std::u16string::npos ? std::u16string::npos : lf - start);
    if (!line.empty() && line.back() == u'\r') line.pop_back();
    if (!line.empty()) paths.push_back(line);
    if (lf == std::u16string::npos) return paths;
    start = lf + 1;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fake::reset();
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  fake::state().files[u"list"] = bytes;
  {
    dustpan::PathList list;
    const bool read = dustpan::read_path_list(u"list", &list);
    // A zero byte would cut a path short in the shell's request: the list is refused.
    if (bytes.find('\0') != std::string::npos) {
      check(!read);
      check(list.buffer == nullptr);
    } else {
      check(read);
      const std::u16string text = reference_utf8::decode(bytes);
      const std::vector<std::u16string> expected = expected_paths(text);
      std::vector<std::u16string> paths;
      const char16_t* p = list.buffer.get();
      while (*p != u'\0') {
        paths.emplace_back(p);
        p += paths.back().size() + 1;
      }
      // The closing terminator follows the last path's own.
      check(p == list.buffer.get() || p[-1] == u'\0');
      check(paths == expected);
      check(list.count == expected.size());
      // Valid UTF-8 comes back byte for byte.
      if (reference_utf8::is_valid(bytes)) {
        for (const std::u16string& path : paths) {
          std::string back(path.size() * 3, '\0');
          back.resize(
              static_cast<std::size_t>(text::utf16_to_utf8(path.data(), path.size(), back.data())));
          check(bytes.find(back) != std::string::npos);
        }
      }
    }
  }
  check(fake::state().live_blocks == 0);
  check(fake::state().open_handles == 0);
  return 0;
}
