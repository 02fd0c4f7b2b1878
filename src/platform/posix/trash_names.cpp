#include "platform/posix/trash_names.h"

#include <algorithm>

#include "platform/posix/system_calls.h"

namespace platform::posix {
namespace {

constexpr std::string_view kRecordSuffix = ".trashinfo";

// Cuts text to at most limit bytes without splitting a UTF-8 sequence.
std::string_view cut_on_boundary(std::string_view text, std::size_t limit) {
  if (text.size() <= limit) return text;
  std::size_t end = limit;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  return text.substr(0, end);
}

}  // namespace

std::uint32_t TrashNames::first_try(const std::string& name) const {
  const auto found = highest_.find(name);
  return found == highest_.end() ? 1 : found->second + 1;
}

std::uint32_t TrashNames::after_collision(const std::string& name, std::uint32_t tried,
                                          int info_fd) {
  if (highest_.find(name) == highest_.end()) note(name, probe_highest(name, tried, info_fd));
  return std::max(tried + 1, first_try(name));
}

std::uint32_t TrashNames::probe_highest(const std::string& name, std::uint32_t taken,
                                        int info_fd) const {
  constexpr std::uint32_t kLimit = std::uint32_t{1} << 30;
  std::uint32_t in_use = taken;
  std::uint32_t free = std::max<std::uint32_t>(2, taken * 2);
  while (free < kLimit && record_exists(name, free, info_fd)) {
    in_use = free;
    free *= 2;
  }
  while (free - in_use > 1) {
    const std::uint32_t middle = in_use + (free - in_use) / 2;
    if (record_exists(name, middle, info_fd)) {
      in_use = middle;
    } else {
      free = middle;
    }
  }
  return in_use;
}

bool TrashNames::record_exists(const std::string& name, std::uint32_t number, int info_fd) const {
  const std::string record = candidate(name, number) + std::string(kRecordSuffix);
  struct stat st;
  return sys.fstatat(info_fd, record.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
}

void TrashNames::taken(const std::string& name, std::uint32_t number) {
  note(name, number);
}

std::string TrashNames::candidate(std::string_view name, std::uint32_t number) const {
  const std::string suffix = number == 1 ? std::string() : "." + std::to_string(number);
  const std::size_t reserved = kRecordSuffix.size() + suffix.size();
  const std::size_t room = name_max_ > reserved ? name_max_ - reserved : 1;
  std::string result(cut_on_boundary(name, room));
  result += suffix;
  return result;
}

void TrashNames::note(const std::string& name, std::uint32_t number) {
  std::uint32_t& highest = highest_[name];
  highest = std::max(highest, number);
}

}  // namespace platform::posix
