#include "platform/posix/trash_record.h"

namespace platform::posix {
namespace {

bool is_unreserved(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_' || c == '~' || c == '/';
}

}  // namespace

std::string escape_record_path(std::string_view path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(path.size() + path.size() / 4);
  for (const char ch : path) {
    const auto c = static_cast<unsigned char>(ch);
    if (is_unreserved(c)) {
      out += ch;
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

std::string deletion_date(std::time_t when) {
  std::tm local{};
  ::localtime_r(&when, &local);
  char text[32];
  const std::size_t n = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
  return std::string(text, n);
}

bool item_of_record(std::string_view record_name, std::string_view* item) {
  constexpr std::string_view kSuffix = ".trashinfo";
  if (record_name.size() <= kSuffix.size() || !record_name.ends_with(kSuffix)) return false;
  *item = record_name.substr(0, record_name.size() - kSuffix.size());
  return true;
}

std::string trash_info(std::string_view escaped_path, std::string_view date) {
  std::string record;
  record.reserve(escaped_path.size() + date.size() + 40);
  record += "[Trash Info]\nPath=";
  record += escaped_path;
  record += "\nDeletionDate=";
  record += date;
  record += '\n';
  return record;
}

}  // namespace platform::posix
