// There are no windows to own a dialog here, and the POSIX services never show one.
#include "platform/platform.h"

namespace platform {

int IsWindow(HWND) {
  return 0;
}

}  // namespace platform
