// A private temporary folder that removes itself, made writable first so that tests may leave
// read-only folders behind.
#pragma once

#include <string>

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// Test file helpers: abort the test (via gtest ASSERTs in the caller) when they return false.
bool write_file(const std::string& path, const std::string& content);
std::string read_file(const std::string& path);
bool exists(const std::string& path);
bool make_folders(
    const std::string& path);  // like mkdir -p  // without following a final symbolic link
