// The "empty" command: empties every drive's bin in one shell call.
#pragma once

namespace dustpan {

// Always returns exit status 0; the status line carries the shell's verdict.
int run_empty();

}  // namespace dustpan
