#include "platform/posix/directory_reader.h"

#include <dirent.h>

#include <cerrno>
#include <cstring>

#include "platform/posix/system_calls.h"

namespace platform::posix {
namespace {

// The kernel's getdents64 record: 8-byte inode, 8-byte offset, 2-byte record length, 1-byte
// type, then the name and its terminator.
constexpr std::size_t kRecordLengthAt = 16;
constexpr std::size_t kTypeAt = 18;
constexpr std::size_t kNameAt = 19;

bool is_dot_or_dot_dot(const char* name) {
  return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

}  // namespace

DirectoryReader::DirectoryReader(int fd) : buffer_(new char[kBufferSize]), fd_(fd) {}

bool DirectoryReader::next(const char** name, unsigned char* type) {
  for (;;) {
    if (position_ >= filled_) {
      ssize_t n;
      do {
        n = sys.getdents64(fd_, buffer_.get(), kBufferSize);
      } while (n < 0 && errno == EINTR);
      if (n <= 0) {
        error_ = n < 0 ? errno : 0;
        return false;
      }
      filled_ = static_cast<std::size_t>(n);
      position_ = 0;
    }
    const char* record = buffer_.get() + position_;
    unsigned short length;
    std::memcpy(&length, record + kRecordLengthAt, sizeof length);
    position_ += length;
    const char* entry_name = record + kNameAt;
    if (is_dot_or_dot_dot(entry_name)) continue;
    *name = entry_name;
    *type = static_cast<unsigned char>(record[kTypeAt]);
    return true;
  }
}

}  // namespace platform::posix
