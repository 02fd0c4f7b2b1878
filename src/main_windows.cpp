// Windows entry point: the runtime library splits the command line into wide arguments, which
// are UTF-16 already, and makes the return value the process exit code.
#include "dispatch.h"

// Never expand wildcards in the arguments: a list file named "*.txt" is a name, not a pattern.
extern "C" {
int _dowildcard = 0;
}

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide characters are UTF-16 units");

extern "C" int wmain(int argc, wchar_t** argv) {
  return dustpan::dispatch(argc, reinterpret_cast<const char16_t* const*>(argv));
}
