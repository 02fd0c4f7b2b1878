// Chooses the command from the argument vector. Both entry points (wmain on Windows, main on
// POSIX) hand their UTF-16 arguments here and return what it returns as the exit status.
#pragma once

namespace dustpan {

// argv[0] is never looked at; argv[1] is the command word.
int dispatch(int argc, const char16_t* const* argv);

}  // namespace dustpan
