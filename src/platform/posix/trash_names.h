// Choosing the name an item takes inside a trash.
//
// An item keeps its own name when it is free. A taken name gets a numeric suffix (NAME.2,
// NAME.3, ...). Probing suffixes one by one would make trashing many items of one name
// quadratic; instead, the first collision of a name in a run finds a suffix beyond those in use
// by galloping (NAME.2, .4, .8, ...) and bisecting, a few probes whatever the size of the trash,
// and later collisions of that name in the run take the next number at once. The record's
// O_EXCL creation stays the arbiter, so a hole skipped or a concurrent run only costs a step.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

namespace platform::posix {

class TrashNames {
 public:
  explicit TrashNames(unsigned name_max) : name_max_(name_max) {}

  // The suffix number to try first for name (1 means no suffix).
  std::uint32_t first_try(const std::string& name) const;

  // After candidate(name, tried) was found taken: the next number to try. The first collision
  // of a name probes info_fd for the records of that name.
  std::uint32_t after_collision(const std::string& name, std::uint32_t tried, int info_fd);

  // Records that name took suffix number.
  void taken(const std::string& name, std::uint32_t number);

  // The name for suffix number: name itself for 1, else name.N, cut short on a UTF-8 boundary
  // so that it plus ".trashinfo" fits the file system's name limit.
  std::string candidate(std::string_view name, std::uint32_t number) const;

 private:
  // A number in use for name such that the next one is free, given that `taken` is in use.
  std::uint32_t probe_highest(const std::string& name, std::uint32_t taken, int info_fd) const;
  bool record_exists(const std::string& name, std::uint32_t number, int info_fd) const;
  void note(const std::string& name, std::uint32_t number);

  unsigned name_max_;
  std::unordered_map<std::string, std::uint32_t> highest_;  // per name, in this run
};

}  // namespace platform::posix
