// Reads a list file (UTF-8, one path per line, LF or CR LF) into a PathList.
#pragma once

#include "pathlist/path_list.h"

namespace dustpan {

// Returns false on a read failure, with *list untouched. A file with no path is not a failure:
// it gives a list with count 0. Besides the file being unopenable or unreadable, a read failure
// is also a file of 2 GiB or more (or of unknown size) and a file holding a zero byte, which the
// shell's request could only carry as a cut-short path.
bool read_path_list(const char16_t* file_name, PathList* list);

}  // namespace dustpan
