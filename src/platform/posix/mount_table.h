// The mounts this process sees, from /proc/self/mountinfo: where each file system's own trash
// lives, and which file systems must never get one.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform::posix {

struct Mount {
  std::uint64_t id;
  dev_t device;
  std::string mount_point;  // unescaped
  std::string fs_type;
};

// Reads the table; an empty result when it cannot be read.
std::vector<Mount> read_mount_table();

// Parses mountinfo text; lines that do not parse are skipped.
std::vector<Mount> parse_mount_table(std::string_view text);

// Kernel and virtual file systems (proc, sysfs, cgroup, devpts, ...) hold no user files and get
// no trash; autofs is listed too, since touching its mount points can block on a mount.
bool is_pseudo_file_system(const std::string& fs_type);

// The entry with this mount id, or null.
const Mount* find_mount(const std::vector<Mount>& mounts, std::uint64_t id);

}  // namespace platform::posix
