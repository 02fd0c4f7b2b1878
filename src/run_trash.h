// The "trash" command: moves every path of a list file to the bin in one shell operation.
#pragma once

namespace dustpan {

// argv[2] is the list file, argv[3] (when argc > 3) the decimal handle of the window that is to
// own any dialog. Returns exit status 0, 1 (the shell failed) or 2 (the list is unreadable).
int run_trash(int argc, const char16_t* const* argv);

}  // namespace dustpan
