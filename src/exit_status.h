// The process exit statuses every command shares; callers branch on these numbers.
#pragma once

namespace dustpan {

inline constexpr int kExitOk = 0;
inline constexpr int kExitShellFailed = 1;  // trash: the shell's file operation returned non-zero
inline constexpr int kExitReadFailed = 2;   // trash: the list file could not be read
inline constexpr int kExitUsage = 64;       // the command line names no command

}  // namespace dustpan
