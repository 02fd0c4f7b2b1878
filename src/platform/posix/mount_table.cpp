#include "platform/posix/mount_table.h"

#include <fcntl.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string_view>

namespace platform::posix {
namespace {

std::string read_all(const char* path) {
  std::string content;
  const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return content;
  char buffer[16384];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    content.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return content;
}

// Mount points escape space, tab, newline and backslash as three octal digits.
std::string unescape(std::string_view field) {
  std::string out;
  out.reserve(field.size());
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size()) {
      const std::string_view digits = field.substr(i + 1, 3);
      if (digits.find_first_not_of("01234567") == std::string_view::npos) {
        out +=
            static_cast<char>((digits[0] - '0') * 64 + (digits[1] - '0') * 8 + (digits[2] - '0'));
        i += 3;
        continue;
      }
    }
    out += field[i];
  }
  return out;
}

std::vector<std::string_view> split_fields(std::string_view line) {
  std::vector<std::string_view> fields;
  std::size_t start = 0;
  while (start < line.size()) {
    const std::size_t end = line.find(' ', start);
    const std::size_t stop = end == std::string_view::npos ? line.size() : end;
    if (stop > start) fields.push_back(line.substr(start, stop - start));
    start = stop + 1;
  }
  return fields;
}

}  // namespace

std::vector<Mount> read_mount_table() {
  return parse_mount_table(read_all("/proc/self/mountinfo"));
}

std::vector<Mount> parse_mount_table(std::string_view text) {
  std::vector<Mount> mounts;
  std::string_view rest = text;
  while (!rest.empty()) {
    const std::size_t end = rest.find('\n');
    const std::string_view line = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    // id parent major:minor root mount-point options [optional...] - fs-type source options
    const std::vector<std::string_view> fields = split_fields(line);
    std::size_t separator = 6;
    while (separator < fields.size() && fields[separator] != "-") ++separator;
    if (fields.size() < 6 || separator + 1 >= fields.size()) continue;
    const std::string device(fields[2]);
    const std::size_t colon = device.find(':');
    if (colon == std::string::npos) continue;
    Mount mount;
    mount.id = std::strtoull(std::string(fields[0]).c_str(), nullptr, 10);
    const auto major = static_cast<unsigned>(std::strtoul(device.c_str(), nullptr, 10));
    const auto minor = static_cast<unsigned>(std::strtoul(device.c_str() + colon + 1, nullptr, 10));
    mount.device = makedev(major, minor);
    mount.mount_point = unescape(fields[4]);
    mount.fs_type = std::string(fields[separator + 1]);
    mounts.push_back(std::move(mount));
  }
  return mounts;
}

bool is_pseudo_file_system(const std::string& fs_type) {
  static constexpr std::string_view kPseudo[] = {
      "autofs", "binfmt_misc", "bpf",        "cgroup",     "cgroup2",   "configfs", "debugfs",
      "devpts", "devtmpfs",    "efivarfs",   "fusectl",    "hugetlbfs", "mqueue",   "nsfs",
      "proc",   "pstore",      "rpc_pipefs", "securityfs", "selinuxfs", "sysfs",    "tracefs"};
  for (std::string_view pseudo : kPseudo) {
    if (fs_type == pseudo) return true;
  }
  return false;
}

const Mount* find_mount(const std::vector<Mount>& mounts, std::uint64_t id) {
  for (const Mount& mount : mounts) {
    if (mount.id == id) return &mount;
  }
  return nullptr;
}

}  // namespace platform::posix
