#include "fake_platform.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/text/decimal.h"
#include "platform/text/utf8.h"

namespace fake {
namespace {

State* current = new State();

// Handles are indexes into this table, offset so that none is null or the invalid value.
struct OpenFile {
  std::string bytes;
  std::size_t position = 0;
};
std::vector<OpenFile> open_files;
constexpr std::uintptr_t kHandleBase = 0x1000;

OpenFile* file_of(platform::HANDLE handle) {
  const auto index = reinterpret_cast<std::uintptr_t>(handle) - kHandleBase;
  return index < open_files.size() ? &open_files[index] : nullptr;
}

void* record_allocation(void* block) {
  State& s = state();
  if (block) ++s.live_blocks;
  return block;
}

bool allocation_fails() {
  State& s = state();
  ++s.allocations;
  return s.fail_allocation == s.allocations;
}

}  // namespace

int State::count(const std::string& name) const {
  return static_cast<int>(std::count(calls.begin(), calls.end(), name));
}

State& state() {
  return *current;
}

void reset() {
  delete current;
  current = new State();
  open_files.clear();
}

}  // namespace fake

namespace platform {

using fake::state;

void* malloc(std::size_t size) {
  state().calls.push_back("malloc");
  if (fake::allocation_fails()) return nullptr;
  return fake::record_allocation(std::malloc(size));
}

void* calloc(std::size_t count, std::size_t size) {
  state().calls.push_back("calloc");
  if (fake::allocation_fails()) return nullptr;
  return fake::record_allocation(std::calloc(count, size));
}

void free(void* block) {
  state().calls.push_back("free");
  if (block) --state().live_blocks;
  std::free(block);
}

void write_status_line(const char* line, std::size_t length) {
  state().calls.push_back("write_status_line");
  state().output.append(line, length);
}

std::uint64_t _wcstoui64(const char16_t* text, char16_t** end, int base) {
  state().calls.push_back("_wcstoui64");
  return text::parse_unsigned(text, end, base);
}

HANDLE CreateFileW(const char16_t* name, std::uint32_t access, std::uint32_t share, void* security,
                   std::uint32_t disposition, std::uint32_t flags, HANDLE template_file) {
  fake::State& s = state();
  s.calls.push_back("CreateFileW");
  s.creates.push_back({name, access, share, security, disposition, flags, template_file});
  const auto found = s.files.find(name);
  if (s.fail_create || found == s.files.end()) return INVALID_HANDLE_VALUE;
  fake::open_files.push_back({found->second, 0});
  ++s.open_handles;
  return reinterpret_cast<HANDLE>(fake::kHandleBase + fake::open_files.size() - 1);
}

int GetFileSizeEx(HANDLE file, std::int64_t* size) {
  fake::State& s = state();
  s.calls.push_back("GetFileSizeEx");
  const fake::OpenFile* open = fake::file_of(file);
  if (s.fail_size || open == nullptr) return 0;
  *size = s.reported_size >= 0 ? s.reported_size : static_cast<std::int64_t>(open->bytes.size());
  return 1;
}

int ReadFile(HANDLE file, void* buffer, std::uint32_t to_read, std::uint32_t* read,
             void* overlapped) {
  fake::State& s = state();
  s.calls.push_back("ReadFile");
  s.reads.push_back({to_read, overlapped == nullptr});
  fake::OpenFile* open = fake::file_of(file);
  if (s.fail_read || open == nullptr) return 0;
  std::size_t n = std::min<std::size_t>(to_read, open->bytes.size() - open->position);
  if (s.read_limit >= 0) n = std::min<std::size_t>(n, static_cast<std::size_t>(s.read_limit));
  std::memcpy(buffer, open->bytes.data() + open->position, n);
  open->position += n;
  *read = static_cast<std::uint32_t>(n);
  return 1;
}

int CloseHandle(HANDLE handle) {
  fake::State& s = state();
  s.calls.push_back("CloseHandle");
  ++s.closes;
  if (fake::file_of(handle) == nullptr) return 0;
  --s.open_handles;
  return 1;
}

int MultiByteToWideChar(std::uint32_t code_page, std::uint32_t flags, const char* bytes,
                        int byte_count, char16_t* out, int out_count) {
  fake::State& s = state();
  s.calls.push_back("MultiByteToWideChar");
  s.converts.push_back({code_page, flags, byte_count, out != nullptr, out_count});
  if (s.fail_convert || code_page != CP_UTF8 || byte_count <= 0) return 0;
  const auto length = static_cast<std::size_t>(byte_count);
  const std::size_t needed = text::utf8_to_utf16(bytes, length, nullptr);
  if (out == nullptr || out_count == 0) return static_cast<int>(needed);
  if (needed > static_cast<std::size_t>(out_count)) return 0;
  text::utf8_to_utf16(bytes, length, out);
  return static_cast<int>(needed);
}

int IsWindow(HWND window) {
  fake::State& s = state();
  s.calls.push_back("IsWindow");
  const auto value = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(window));
  s.window_checks.push_back(value);
  return std::find(s.windows.begin(), s.windows.end(), value) != s.windows.end();
}

int SHFileOperationW(SHFILEOPSTRUCTW* operation) {
  fake::State& s = state();
  s.calls.push_back("SHFileOperationW");
  fake::ShellCall call{*operation, {}};
  if (const char16_t* p = operation->pFrom) {
    // Copy through the closing pair of terminators.
    std::size_t i = 0;
    while (!(p[i] == u'\0' && (i == 0 || p[i - 1] == u'\0'))) ++i;
    call.from.assign(p, i + 1);
  }
  s.shell_calls.push_back(call);
  if (s.shell_aborts) operation->fAnyOperationsAborted = 1;
  return s.shell_result;
}

HRESULT SHEmptyRecycleBinW(HWND window, const char16_t* root_path, std::uint32_t flags) {
  fake::State& s = state();
  s.calls.push_back("SHEmptyRecycleBinW");
  s.empty_calls.push_back({window, root_path, flags});
  return s.empty_result;
}

}  // namespace platform
