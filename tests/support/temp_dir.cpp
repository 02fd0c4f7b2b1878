#include "support/temp_dir.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

TempDir::TempDir() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/dustpan-test-XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) std::abort();
  path_ = fs::canonical(pattern).string();
}

TempDir::~TempDir() {
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(path_, fs::directory_options::none, ec);
       !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    if (it->is_directory(ec) && !it->is_symlink(ec)) {
      fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    }
  }
  fs::remove_all(path_, ec);
}

// Plain system calls: the crash test writes and reads back 20,000 files fifty times, under the
// sanitizers too, where streams are slow.
bool write_file(const std::string& path, const std::string& content) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  const bool written =
      ::write(fd, content.data(), content.size()) == static_cast<ssize_t>(content.size());
  return ::close(fd) == 0 && written;
}

std::string read_file(const std::string& path) {
  std::string content;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return content;
  char buffer[8192];
  for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;) {
    content.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return content;
}

bool exists(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

bool make_folders(const std::string& path) {
  std::error_code ec;
  fs::create_directories(path, ec);
  return !ec;
}
