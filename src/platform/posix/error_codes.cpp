#include "platform/posix/error_codes.h"

#include <cerrno>

namespace platform::posix {

int windows_error(int error_number) {
  switch (error_number) {
    case 0:
      return 0;
    case ENOENT:
      return kErrorFileNotFound;
    case ENOTDIR:
      return kErrorPathNotFound;
    case EMFILE:
    case ENFILE:
      return 4;  // ERROR_TOO_MANY_OPEN_FILES
    case EACCES:
    case EPERM:
      return kErrorAccessDenied;
    case ENOMEM:
      return 8;  // ERROR_NOT_ENOUGH_MEMORY
    case EXDEV:
      return 17;  // ERROR_NOT_SAME_DEVICE
    case EROFS:
      return 19;  // ERROR_WRITE_PROTECT
    case EBUSY:
    case ETXTBSY:
      return 32;  // ERROR_SHARING_VIOLATION
    case EINVAL:
      return kErrorInvalidParameter;
    case ENOSPC:
    case EDQUOT:
      return 112;  // ERROR_DISK_FULL
    case ENOTEMPTY:
      return 145;  // ERROR_DIR_NOT_EMPTY
    case EEXIST:
      return kErrorAlreadyExists;
    case ENAMETOOLONG:
      return 206;  // ERROR_FILENAME_EXCED_RANGE
    case EIO:
      return 1117;  // ERROR_IO_DEVICE
    case ELOOP:
      return 1921;  // ERROR_CANT_RESOLVE_FILENAME
    default:
      return 1627;  // ERROR_FUNCTION_FAILED
  }
}

int hresult_from_windows_error(int code) {
  if (code <= 0) return code;
  return static_cast<int>(0x80070000u | (static_cast<unsigned>(code) & 0xFFFFu));
}

}  // namespace platform::posix
