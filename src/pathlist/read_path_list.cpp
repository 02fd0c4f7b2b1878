#include "pathlist/read_path_list.h"

#include <cstdint>

#include "pathlist/split_lines.h"
#include "platform/platform.h"

namespace dustpan {
namespace {

// The counts passed to ReadFile and to the conversion are 32-bit and signed 32-bit; a file
// this large could only be read cut short, and then other items than the caller named would go.
constexpr std::int64_t kLargestList = INT32_MAX - 1;

struct RawBytes {
  HeapBuffer<char> bytes;
  std::uint32_t count;
};

// One open, one size query, one read; the handle is closed as soon as the read is over.
bool read_whole_file(const char16_t* file_name, RawBytes* raw) {
  using namespace platform;
  HANDLE file =
      CreateFileW(file_name, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;

  std::int64_t size = 0;
  if (!GetFileSizeEx(file, &size) || size < 0 || size > kLargestList) {
    CloseHandle(file);
    return false;
  }
  const auto size32 = static_cast<std::uint32_t>(size);
  HeapBuffer<char> bytes(static_cast<char*>(platform::malloc(size32 + std::size_t{1})));
  if (!bytes) {
    CloseHandle(file);
    return false;
  }
  std::uint32_t read = 0;
  const int read_ok = ReadFile(file, bytes.get(), size32, &read, nullptr);
  CloseHandle(file);
  if (!read_ok || read > size32) return false;
  bytes[read] = '\0';
  raw->bytes = std::move(bytes);
  raw->count = read;
  return true;
}

}  // namespace

bool read_path_list(const char16_t* file_name, PathList* list) {
  using namespace platform;
  RawBytes raw;
  if (!read_whole_file(file_name, &raw)) return false;

  // Measure, then convert. An empty file or a failed conversion measures 0 units: a list with
  // no path, not a failure.
  const int byte_count = static_cast<int>(raw.count);
  const int measured =
      raw.count == 0 ? 0 : MultiByteToWideChar(CP_UTF8, 0, raw.bytes.get(), byte_count, nullptr, 0);
  const std::size_t capacity = static_cast<std::size_t>(measured > 0 ? measured : 0) + 2;
  HeapBuffer<char16_t> text(static_cast<char16_t*>(platform::calloc(capacity, sizeof(char16_t))));
  if (!text) return false;
  int converted = 0;
  if (measured > 0) {
    converted = MultiByteToWideChar(CP_UTF8, 0, raw.bytes.get(), byte_count, text.get(), measured);
  }
  raw.bytes.reset();  // the bytes go before the list buffer arrives, to keep the peak low

  HeapBuffer<char16_t> paths(static_cast<char16_t*>(platform::calloc(capacity, sizeof(char16_t))));
  if (!paths) return false;
  const std::size_t length = static_cast<std::size_t>(converted > 0 ? converted : 0);
  const SplitResult split = split_lines(text.get(), length, paths.get());
  if (!split.ok) return false;

  text.reset();
  list->buffer = std::move(paths);
  list->count = split.count;
  return true;
}

}  // namespace dustpan
