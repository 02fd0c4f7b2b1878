// Finding, creating and checking a trash folder (its files/ and info/ beside each other).
//
// A trash is only used when the folder and both subfolders are real folders (never symbolic
// links) owned by the user running dustpan; a per-mount trash must also not be writable by
// group or others. Every folder is opened with O_NOFOLLOW and checked through its descriptor,
// and all later work is relative to those descriptors, so a folder swapped for a link after the
// check is never written or deleted through.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform::posix {

struct FileId {
  dev_t device;
  ino_t inode;
  bool operator==(const FileId&) const = default;
};

struct TrashDir {
  TrashDir() = default;
  TrashDir(const TrashDir&) = delete;
  TrashDir& operator=(const TrashDir&) = delete;
  ~TrashDir();

  int root = -1;
  int files = -1;
  int info = -1;
  FileId id{};                 // of root
  std::uint64_t mount_id = 0;  // of root
  std::string top;             // the mount point for a per-mount trash; empty for the home trash
  unsigned name_max = 255;     // longest file name the file system takes

  // What this run created, so it can be taken away again if nothing is trashed into it.
  int parent = -1;  // the folder holding root
  std::string root_name;
  bool created_root = false;
  bool created_files = false;
  bool created_info = false;
};

enum class TrashState {
  kReady,     // usable
  kUnusable,  // absent (when not creating), not ours, a link, or not ours to create
  kFailed,    // a real failure: error holds the errno (a read-only file system, say)
};

struct TrashOpen {
  TrashState state;
  int error;
};

// The home trash, $data_home/Trash. With create, missing folders are made (0700).
TrashOpen open_home_trash(const std::string& data_home, bool create, TrashDir* trash);

// The trash of the file system mounted at top: $top/.Trash/$uid when $top/.Trash is a real
// folder with the sticky bit, else $top/.Trash-$uid. With create, $uid or .Trash-$uid is made
// when missing.
TrashOpen open_mount_trash(const std::string& top, bool create, TrashDir* trash);

// Both per-mount trashes that may exist at top, for emptying (nothing is created). Returns 0,
// or the errno of a trash of ours there that could not be opened.
int open_existing_mount_trashes(const std::string& top,
                                std::vector<std::unique_ptr<TrashDir>>* trashes);

// Removes the folders this run created for trash, when they are still empty, and closes it.
void take_back_created(TrashDir* trash);

// The trash folder and every folder above it up to the root: what may never be trashed.
std::vector<FileId> folders_holding(const TrashDir& trash);

FileId file_id_of(int fd);

}  // namespace platform::posix
