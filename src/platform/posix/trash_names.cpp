#include "platform/posix/trash_names.h"

#include <algorithm>

#include "platform/posix/directory_reader.h"
#include "platform/posix/system_calls.h"
#include "platform/posix/trash_record.h"

namespace platform::posix {
namespace {

constexpr std::string_view kRecordSuffix = ".trashinfo";

// A suffix number as written after the dot: digits, no leading zero, small enough to bump.
bool parse_number(std::string_view digits, std::uint32_t* number) {
  if (digits.empty() || digits.size() > 9 || digits[0] == '0') return false;
  std::uint32_t value = 0;
  for (const char c : digits) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<std::uint32_t>(c - '0');
  }
  *number = value;
  return true;
}

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
  if (!learned_) {
    learned_ = true;
    learn(info_fd);
  }
  return std::max(tried + 1, first_try(name));
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

void TrashNames::note(const std::string& stem, std::uint32_t number) {
  std::uint32_t& highest = highest_[stem];
  highest = std::max(highest, number);
}

void TrashNames::learn(int info_fd) {
  const int fd = open_at(info_fd, ".", O_RDONLY | O_DIRECTORY);
  if (fd < 0) return;  // collisions then simply step one by one
  DirectoryReader reader(fd);
  const char* entry;
  unsigned char type;
  while (reader.next(&entry, &type)) {
    std::string_view stem;
    if (!item_of_record(entry, &stem)) continue;
    note(std::string(stem), 1);
    const std::size_t dot = stem.rfind('.');
    std::uint32_t number;
    if (dot != std::string_view::npos && dot > 0 && parse_number(stem.substr(dot + 1), &number)) {
      note(std::string(stem.substr(0, dot)), number);
    }
  }
  sys.close(fd);
}

}  // namespace platform::posix
