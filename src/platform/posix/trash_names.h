// Choosing the name an item takes inside a trash.
//
// An item keeps its own name when it is free. A taken name gets a numeric suffix (NAME.2,
// NAME.3, ...). Instead of probing suffixes one by one, which makes trashing many items of the
// same name quadratic, the first collision in a trash reads its info/ folder once and learns the
// highest suffix in use for every name; after that each collision costs one step. The record's
// O_EXCL creation stays the real arbiter, so a concurrent run only costs an extra attempt.
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
  // in this trash reads info_fd's entries.
  std::uint32_t after_collision(const std::string& name, std::uint32_t tried, int info_fd);

  // Records that name took suffix number.
  void taken(const std::string& name, std::uint32_t number);

  // The name for suffix number: name itself for 1, else name.N, cut short on a UTF-8 boundary
  // so that it plus ".trashinfo" fits the file system's name limit.
  std::string candidate(std::string_view name, std::uint32_t number) const;

 private:
  void learn(int info_fd);
  void note(const std::string& stem, std::uint32_t number);

  unsigned name_max_;
  bool learned_ = false;
  std::unordered_map<std::string, std::uint32_t> highest_;
};

}  // namespace platform::posix
