// Taking apart a path named in a trash request.
#pragma once

#include <string>

namespace platform::posix {

struct ItemPath {
  std::string folder;  // where the item is, as given ("." for a bare name)
  std::string name;    // the item's own name
};

enum class ItemPathVerdict { kOk, kRoot, kDotName };

// Drops trailing slashes first, so "link/" names the link itself, not what it points to.
// Refuses "/" (kRoot) and a last component of "." or ".." (kDotName): neither names an item
// that can leave its place.
ItemPathVerdict split_item_path(const std::string& path, ItemPath* item);

// The absolute form of folder. Lexical (no disk access beyond the working directory) unless the
// path holds "..", which only the file system can resolve correctly past symbolic links.
bool absolute_folder(const std::string& folder, std::string* absolute);

// The folder's path with every symbolic link resolved.
bool real_folder(const std::string& folder, std::string* real);

// Joins a folder's absolute path and a name.
std::string join_path(const std::string& folder, const std::string& name);

// relative part of path below top ("/" included), or false when path is not below top.
bool path_below(const std::string& path, const std::string& top, std::string* relative);

}  // namespace platform::posix
