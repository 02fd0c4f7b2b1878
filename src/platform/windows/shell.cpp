// The shell and user32 calls. The core's request mirrors the shell's own; it is copied field by
// field so that neither side depends on the other's layout.
#include "platform/platform.h"

#include <windows.h>
// shellapi.h needs windows.h first.
#include <shellapi.h>

namespace platform {

int IsWindow(platform::HWND window) {
  return ::IsWindow(static_cast<::HWND>(window));
}

int SHFileOperationW(platform::SHFILEOPSTRUCTW* operation) {
  ::SHFILEOPSTRUCTW request{};
  request.hwnd = static_cast<::HWND>(operation->hwnd);
  request.wFunc = operation->wFunc;
  request.pFrom = reinterpret_cast<PCZZWSTR>(operation->pFrom);
  request.pTo = reinterpret_cast<PCZZWSTR>(operation->pTo);
  request.fFlags = operation->fFlags;
  request.fAnyOperationsAborted = FALSE;
  request.hNameMappings = operation->hNameMappings;
  request.lpszProgressTitle = reinterpret_cast<PCWSTR>(operation->lpszProgressTitle);
  const int result = ::SHFileOperationW(&request);
  operation->fAnyOperationsAborted = request.fAnyOperationsAborted;
  return result;
}

platform::HRESULT SHEmptyRecycleBinW(platform::HWND window, const char16_t* root_path,
                                     std::uint32_t flags) {
  return ::SHEmptyRecycleBinW(static_cast<::HWND>(window), reinterpret_cast<LPCWSTR>(root_path),
                              flags);
}

}  // namespace platform
