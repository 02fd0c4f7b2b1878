// Placeholder shell services until the POSIX trash lands: they touch nothing and say so.
#include "platform/platform.h"

namespace platform {

int IsWindow(HWND) {
  return 0;
}

int SHFileOperationW(SHFILEOPSTRUCTW*) {
  return 120;
}  // "not implemented on this system"

HRESULT SHEmptyRecycleBinW(HWND, const char16_t*, std::uint32_t) {
  return E_NOTIMPL;
}

}  // namespace platform
