// Reads a directory's entries straight from getdents64, through the replaceable call table.
#pragma once

#include <cstddef>
#include <memory>

namespace platform::posix {

class DirectoryReader {
 public:
  explicit DirectoryReader(int fd);

  // The next entry other than "." and "..". False at the end, or on an error (see error()).
  // type is a DT_* value; DT_UNKNOWN when the file system does not tell.
  bool next(const char** name, unsigned char* type);
  int error() const { return error_; }

 private:
  static constexpr std::size_t kBufferSize = 32 * 1024;
  std::unique_ptr<char[]> buffer_;
  std::size_t position_ = 0;
  std::size_t filled_ = 0;
  int fd_;
  int error_ = 0;
};

}  // namespace platform::posix
