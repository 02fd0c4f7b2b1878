#include "platform/posix/item_path.h"

#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <memory>
#include <string_view>

namespace platform::posix {
namespace {

bool has_dot_dot(std::string_view path) {
  for (std::size_t start = 0; start <= path.size();) {
    std::size_t end = path.find('/', start);
    if (end == std::string_view::npos) end = path.size();
    if (path.substr(start, end - start) == "..") return true;
    start = end + 1;
  }
  return false;
}

// Joins base and path, dropping empty and "." components.
std::string clean_join(std::string_view base, std::string_view path) {
  std::string out;
  for (std::string_view part : {base, path}) {
    for (std::size_t start = 0; start <= part.size();) {
      std::size_t end = part.find('/', start);
      if (end == std::string_view::npos) end = part.size();
      const std::string_view component = part.substr(start, end - start);
      if (!component.empty() && component != ".") {
        out += '/';
        out += component;
      }
      start = end + 1;
    }
  }
  return out.empty() ? "/" : out;
}

}  // namespace

ItemPathVerdict split_item_path(const std::string& path, ItemPath* item) {
  std::size_t end = path.size();
  while (end > 1 && path[end - 1] == '/') --end;
  const std::string trimmed = path.substr(0, end);
  if (trimmed == "/") return ItemPathVerdict::kRoot;
  const std::size_t slash = trimmed.rfind('/');
  if (slash == std::string::npos) {
    item->folder = ".";
    item->name = trimmed;
  } else {
    item->folder = slash == 0 ? "/" : trimmed.substr(0, slash);
    item->name = trimmed.substr(slash + 1);
  }
  if (item->name == "." || item->name == "..") return ItemPathVerdict::kDotName;
  return ItemPathVerdict::kOk;
}

bool real_folder(const std::string& folder, std::string* real) {
  std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(folder.c_str(), nullptr),
                                                       &std::free);
  if (!resolved) return false;
  *real = resolved.get();
  return true;
}

std::string join_path(const std::string& folder, const std::string& name) {
  return folder == "/" ? "/" + name : folder + "/" + name;
}

bool absolute_folder(const std::string& folder, std::string* absolute) {
  if (has_dot_dot(folder)) return real_folder(folder, absolute);
  if (!folder.empty() && folder[0] == '/') {
    *absolute = clean_join("", folder);
    return true;
  }
  std::unique_ptr<char, decltype(&std::free)> cwd(::getcwd(nullptr, 0), &std::free);
  if (!cwd) return false;
  *absolute = clean_join(cwd.get(), folder);
  return true;
}

bool path_below(const std::string& path, const std::string& top, std::string* relative) {
  if (top == "/") {
    *relative = path.substr(1);
    return true;
  }
  if (path.size() > top.size() + 1 && path.compare(0, top.size(), top) == 0 &&
      path[top.size()] == '/') {
    *relative = path.substr(top.size() + 1);
    return true;
  }
  return false;
}

}  // namespace platform::posix
