// The Windows error codes the POSIX services answer with, so callers see the same numbers on
// every platform. The README lists the errno mapping.
#pragma once

namespace platform::posix {

inline constexpr int kErrorFileNotFound = 2;
inline constexpr int kErrorPathNotFound = 3;
inline constexpr int kErrorAccessDenied = 5;
inline constexpr int kErrorInvalidParameter = 87;
inline constexpr int kErrorInvalidName = 123;
inline constexpr int kErrorAlreadyExists = 183;

// The Windows error code for an errno value.
int windows_error(int error_number);

// HRESULT_FROM_WIN32 of a Windows error code.
int hresult_from_windows_error(int code);

}  // namespace platform::posix
