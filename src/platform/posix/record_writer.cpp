#include "platform/posix/record_writer.h"

#include <cerrno>

#include "platform/posix/system_calls.h"

namespace platform::posix {

int RecordWriter::place(const std::string& record_name) const {
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
