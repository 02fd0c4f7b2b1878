#include "platform/posix/user_dirs.h"

#include <cstdlib>

namespace platform::posix {

std::string data_home() {
  // A relative XDG_DATA_HOME is invalid by the base-directory rules and is ignored.
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg && xdg[0] == '/') return xdg;
  const char* home = std::getenv("HOME");
  if (home && home[0] == '/') return std::string(home) + "/.local/share";
  return std::string();
}

}  // namespace platform::posix
