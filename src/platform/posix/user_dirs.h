// Where the user's own trash lives. These services stand in for the Windows shell, which reads
// the user's profile; the environment is read here and nowhere else.
#pragma once

#include <string>

namespace platform::posix {

// $XDG_DATA_HOME when it is set to an absolute path, else $HOME/.local/share; empty when
// neither is usable (no home trash then).
std::string data_home();

}  // namespace platform::posix
