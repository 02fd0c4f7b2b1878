#include "platform/posix/trash_location.h"

#include <unistd.h>

#include <cerrno>

#include "platform/posix/system_calls.h"

namespace platform::posix {
namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW;

void close_fd(int* fd) {
  if (*fd >= 0) sys.close(*fd);
  *fd = -1;
}

TrashOpen classify(int error) {
  // A link (ELOOP), a file (ENOTDIR), or a folder we may not create: this trash is not for us.
  // Anything else (a read-only or full file system, an I/O error) is a failure to report.
  switch (error) {
    case ELOOP:
    case ENOTDIR:
    case ENOENT:
    case EACCES:
    case EPERM:
      return {TrashState::kUnusable, error};
    default:
      return {TrashState::kFailed, error};
  }
}

// Opens name in parent as a real folder, first creating it (0700) when asked and missing.
int open_folder(int parent, const char* name, bool create, bool* created) {
  int fd = open_at(parent, name, kFolderFlags);
  if (fd >= 0 || errno != ENOENT || !create) return fd;
  if (sys.mkdirat(parent, name, 0700) == 0) {
    *created = true;
  } else if (errno != EEXIST) {
    return -1;
  }
  return open_at(parent, name, kFolderFlags);
}

// A folder we may use: ours, and (for folders others can reach) not writable by anyone else.
bool is_ours(int fd, bool private_only) {
  struct stat st;
  if (sys.fstatat(fd, "", &st, AT_EMPTY_PATH) != 0) return false;
  if (!S_ISDIR(st.st_mode) || st.st_uid != ::geteuid()) return false;
  return !private_only || (st.st_mode & 022) == 0;
}

// Opens root's files/ and info/ and learns what the rest of the code needs about root.
TrashOpen finish(bool create, bool private_only, TrashDir* trash) {
  if (!is_ours(trash->root, private_only)) return {TrashState::kUnusable, EACCES};
  trash->files = open_folder(trash->root, "files", create, &trash->created_files);
  if (trash->files < 0) return classify(errno);
  trash->info = open_folder(trash->root, "info", create, &trash->created_info);
  if (trash->info < 0) return classify(errno);
  if (!is_ours(trash->files, false) || !is_ours(trash->info, false)) {
    return {TrashState::kUnusable, EACCES};
  }
  struct statx sx;
  if (sys.statx(trash->root, "", AT_EMPTY_PATH, STATX_INO | STATX_MNT_ID, &sx) != 0) {
    return classify(errno);
  }
  trash->id = file_id_of(trash->root);
  trash->mount_id = (sx.stx_mask & STATX_MNT_ID) ? sx.stx_mnt_id : 0;
  struct statfs fs;
  if (sys.fstatfs(trash->info, &fs) == 0 && fs.f_namelen > 0) {
    trash->name_max = static_cast<unsigned>(fs.f_namelen);
  }
  return {TrashState::kReady, 0};
}

// Opens (and with create, makes) the trash folder root_name inside parent, taking ownership of
// parent.
TrashOpen open_in(int parent, const std::string& root_name, bool create, bool private_only,
                  TrashDir* trash) {
  trash->parent = parent;
  trash->root_name = root_name;
  trash->root = open_folder(parent, root_name.c_str(), create, &trash->created_root);
  if (trash->root < 0) return classify(errno);
  return finish(create, private_only, trash);
}

// Makes every missing folder of an absolute path (0700), like mkdir -p.
bool make_folders(const std::string& path) {
  for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
    const std::string prefix = path.substr(0, slash);
    if (sys.mkdirat(AT_FDCWD, prefix.c_str(), 0700) != 0 && errno != EEXIST) return false;
    if (slash == std::string::npos) return true;
  }
}

std::string uid_text() {
  return std::to_string(::geteuid());
}

TrashOpen open_shared_trash(int top, bool create, TrashDir* trash) {
  const int shared = open_at(top, ".Trash", kFolderFlags);
  if (shared < 0) return classify(errno);
  struct stat st;
  // Only an administrator's sticky .Trash keeps users from removing each other's folders.
  if (sys.fstatat(shared, "", &st, AT_EMPTY_PATH) != 0 || !(st.st_mode & S_ISVTX)) {
    sys.close(shared);
    return {TrashState::kUnusable, EACCES};
  }
  return open_in(shared, uid_text(), create, true, trash);
}

TrashOpen open_private_trash(int top, bool create, TrashDir* trash) {
  const int parent = open_at(top, ".", O_PATH | O_DIRECTORY);
  if (parent < 0) return classify(errno);
  return open_in(parent, ".Trash-" + uid_text(), create, true, trash);
}

void reset(TrashDir* trash) {
  close_fd(&trash->info);
  close_fd(&trash->files);
  close_fd(&trash->root);
  close_fd(&trash->parent);
  trash->created_root = trash->created_files = trash->created_info = false;
}

}  // namespace

TrashDir::~TrashDir() {
  reset(this);
}

FileId file_id_of(int fd) {
  struct stat st;
  if (sys.fstatat(fd, "", &st, AT_EMPTY_PATH) != 0) return {0, 0};
  return {st.st_dev, st.st_ino};
}

TrashOpen open_home_trash(const std::string& data_home, bool create, TrashDir* trash) {
  if (data_home.empty()) return {TrashState::kUnusable, ENOENT};
  int parent = open_at(AT_FDCWD, data_home.c_str(), O_PATH | O_DIRECTORY);
  if (parent < 0 && errno == ENOENT && create && make_folders(data_home)) {
    parent = open_at(AT_FDCWD, data_home.c_str(), O_PATH | O_DIRECTORY);
  }
  if (parent < 0) return classify(errno);
  const TrashOpen opened = open_in(parent, "Trash", create, false, trash);
  if (opened.state != TrashState::kReady) take_back_created(trash);
  return opened;
}

TrashOpen open_mount_trash(const std::string& top, bool create, TrashDir* trash) {
  const int top_fd = open_at(AT_FDCWD, top.c_str(), O_PATH | O_DIRECTORY);
  if (top_fd < 0) return classify(errno);
  trash->top = top;
  TrashOpen opened = open_shared_trash(top_fd, create, trash);
  if (opened.state != TrashState::kReady) {
    take_back_created(trash);
    opened = open_private_trash(top_fd, create, trash);
    if (opened.state != TrashState::kReady) take_back_created(trash);
  }
  sys.close(top_fd);
  return opened;
}

void open_existing_mount_trashes(const std::string& top,
                                 std::vector<std::unique_ptr<TrashDir>>* trashes) {
  const int top_fd = open_at(AT_FDCWD, top.c_str(), O_PATH | O_DIRECTORY);
  if (top_fd < 0) return;
  for (auto opener : {open_shared_trash, open_private_trash}) {
    auto trash = std::make_unique<TrashDir>();
    trash->top = top;
    if (opener(top_fd, false, trash.get()).state == TrashState::kReady) {
      trashes->push_back(std::move(trash));
    }
  }
  sys.close(top_fd);
}

void take_back_created(TrashDir* trash) {
  // rmdir only ever removes an empty folder, so nothing anyone put there can be lost.
  if (trash->created_info && trash->root >= 0) sys.unlinkat(trash->root, "info", AT_REMOVEDIR);
  if (trash->created_files && trash->root >= 0) sys.unlinkat(trash->root, "files", AT_REMOVEDIR);
  if (trash->created_root && trash->parent >= 0) {
    sys.unlinkat(trash->parent, trash->root_name.c_str(), AT_REMOVEDIR);
  }
  reset(trash);
}

std::vector<FileId> folders_holding(const TrashDir& trash) {
  std::vector<FileId> holders;
  int fd = open_at(trash.root, ".", O_PATH | O_DIRECTORY);
  // Bounded: a path cannot be deeper than this and still be opened by name.
  for (int depth = 0; fd >= 0 && depth < 2048; ++depth) {
    const FileId id = file_id_of(fd);
    if (!holders.empty() && holders.back() == id) break;  // ".." of the root is the root
    holders.push_back(id);
    const int up = open_at(fd, "..", O_PATH | O_DIRECTORY);
    sys.close(fd);
    fd = up;
  }
  if (fd >= 0) sys.close(fd);
  return holders;
}

}  // namespace platform::posix
