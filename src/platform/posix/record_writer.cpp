#include "platform/posix/record_writer.h"

#include <cerrno>
#include <cstdio>

#include "platform/posix/system_calls.h"

namespace platform::posix {

RecordWriter::~RecordWriter() {
  if (unnamed_ >= 0) sys.close(unnamed_);
}

int RecordWriter::place(const std::string& record_name) {
  if (!prepared_) {
    prepared_ = true;
    unnamed_ = open_at(info_, ".", O_TMPFILE | O_WRONLY, 0600);
    if (unnamed_ < 0 && errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) return errno;
    if (unnamed_ >= 0) {
      if (!write_all(unnamed_, content_.data(), content_.size())) {
        const int error = errno;
        sys.close(unnamed_);
        unnamed_ = -1;
        return error;
      }
      std::snprintf(unnamed_path_, sizeof unnamed_path_, "/proc/self/fd/%d", unnamed_);
    }
  }
  if (unnamed_ >= 0) {
    if (sys.linkat(AT_FDCWD, unnamed_path_, info_, record_name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
      return 0;
    }
    if (errno != ENOENT) return errno;
    // No /proc to reach the unnamed file through: write the record in place from now on.
    sys.close(unnamed_);
    unnamed_ = -1;
  }
  return write_in_place(record_name);
}

int RecordWriter::write_in_place(const std::string& record_name) {
  const int fd =
      open_at(info_, record_name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, 0600);
  if (fd < 0) return errno;
  bool written = write_all(fd, content_.data(), content_.size());
  int error = errno;
  if (sys.close(fd) != 0 && written) {
    written = false;
    error = errno;
  }
  if (written) return 0;
  sys.unlinkat(info_, record_name.c_str(), 0);
  return error;
}

}  // namespace platform::posix
