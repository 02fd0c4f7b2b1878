// Reading and decoding the list file with kernel32.
#include "platform/platform.h"

#include <windows.h>

namespace platform {

platform::HANDLE CreateFileW(const char16_t* name, std::uint32_t access, std::uint32_t share,
                             void* security, std::uint32_t disposition, std::uint32_t flags,
                             platform::HANDLE template_file) {
  return ::CreateFileW(reinterpret_cast<LPCWSTR>(name), access, share,
                       static_cast<LPSECURITY_ATTRIBUTES>(security), disposition, flags,
                       template_file);
}

int GetFileSizeEx(platform::HANDLE file, std::int64_t* size) {
  LARGE_INTEGER whole;
  if (!::GetFileSizeEx(file, &whole)) return 0;
  *size = whole.QuadPart;
  return 1;
}

int ReadFile(platform::HANDLE file, void* buffer, std::uint32_t to_read, std::uint32_t* read,
             void* overlapped) {
  DWORD done = 0;
  const BOOL ok = ::ReadFile(file, buffer, to_read, &done, static_cast<LPOVERLAPPED>(overlapped));
  *read = done;
  return ok;
}

int CloseHandle(platform::HANDLE handle) {
  return ::CloseHandle(handle);
}

int MultiByteToWideChar(std::uint32_t code_page, std::uint32_t flags, const char* bytes,
                        int byte_count, char16_t* out, int out_count) {
  return ::MultiByteToWideChar(code_page, flags, bytes, byte_count, reinterpret_cast<LPWSTR>(out),
                               out_count);
}

}  // namespace platform
