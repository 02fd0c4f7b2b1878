// Reading the list file on POSIX.
//
// Only a regular file can be a list. The file is opened without blocking so that a FIFO with no
// writer, a device or a socket is refused at once instead of hanging the run or reading forever.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/platform.h"
#include "platform/posix/native_path.h"

namespace platform {
namespace {

int fd_of(HANDLE handle) {
  return static_cast<int>(reinterpret_cast<std::intptr_t>(handle));
}

HANDLE handle_of(int fd) {
  return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(fd));
}

}  // namespace

HANDLE CreateFileW(const char16_t* name, std::uint32_t access, std::uint32_t /*share*/,
                   void* /*security*/, std::uint32_t disposition, std::uint32_t /*flags*/,
                   HANDLE /*template_file*/) {
  // Reading an existing file is the only use the tool has for this call.
  if (access != GENERIC_READ || disposition != OPEN_EXISTING) return INVALID_HANDLE_VALUE;
  std::string path;
  if (!posix::native_path(name, &path) || path.empty()) return INVALID_HANDLE_VALUE;
  int fd;
  do {
    fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return INVALID_HANDLE_VALUE;
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return INVALID_HANDLE_VALUE;
  }
  return handle_of(fd);
}

int GetFileSizeEx(HANDLE file, std::int64_t* size) {
  struct stat st;
  if (::fstat(fd_of(file), &st) != 0) return 0;
  *size = st.st_size;
  return 1;
}

int ReadFile(HANDLE file, void* buffer, std::uint32_t to_read, std::uint32_t* read,
             void* /*overlapped*/) {
  // A plain read may return less than asked; gather until the request is met or the file ends
  // (it may have shrunk since it was sized).
  auto* cursor = static_cast<char*>(buffer);
  std::uint32_t done = 0;
  while (done < to_read) {
    const ssize_t n = ::read(fd_of(file), cursor + done, to_read - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return 0;
    if (n == 0) break;
    done += static_cast<std::uint32_t>(n);
  }
  *read = done;
  return 1;
}

int CloseHandle(HANDLE handle) {
  return ::close(fd_of(handle)) == 0 ? 1 : 0;
}

}  // namespace platform
