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

TrashOpen unusable(int error) {
  return {TrashState::kUnusable, error};
}
TrashOpen failed(int error) {
  return {TrashState::kFailed, error};
}

// For a folder above the trash: anything that keeps us from it means there is no trash here.
// Only a fault of the file system itself (read-only, full, an I/O error) is worth reporting.
TrashOpen classify(int error) {
  switch (error) {
    case ELOOP:
    case ENOTDIR:
    case ENOENT:
    case EACCES:
    case EPERM:
      return unusable(error);
    default:
      return failed(error);
  }
}

// Opens name in parent as a real folder, first creating it (0700) when asked and missing. On
// failure, *why tells whether this is simply no trash of ours (absent, a link, not a folder,
// someone else's, not ours to create) or a failure of one that is ours.
int open_folder(int parent, const char* name, bool create, bool* created, TrashOpen* why) {
  int fd = open_at(parent, name, kFolderFlags);
  if (fd < 0 && errno == ENOENT && create) {
    if (sys.mkdirat(parent, name, 0700) == 0) {
      *created = true;
    } else if (errno != EEXIST) {
      *why = classify(errno);
      return -1;
    }
    fd = open_at(parent, name, kFolderFlags);
  }
  if (fd >= 0) return fd;
  const int error = errno;
  if (error == EACCES || error == EPERM) {
    // Someone else's folder is not ours to use; our own that we cannot open is a failure.
    struct stat st;
    const bool strangers =
        sys.fstatat(parent, name, &st, AT_SYMLINK_NOFOLLOW) == 0 && st.st_uid != ::geteuid();
    *why = strangers ? unusable(error) : failed(error);
  } else {
    *why = classify(error);
  }
  return -1;
}

// Whether a folder is ours to use: ours, and (for folders others can reach) not writable by
// anyone else. A folder we cannot even inspect is a failure, not a stranger's.
TrashOpen check_ours(int fd, bool private_only) {
  struct stat st;
  if (sys.fstatat(fd, "", &st, AT_EMPTY_PATH) != 0) return failed(errno);
  if (!S_ISDIR(st.st_mode) || st.st_uid != ::geteuid()) return unusable(EACCES);
  if (private_only && (st.st_mode & 022) != 0) return unusable(EACCES);
  return {TrashState::kReady, 0};
}

// Opens root's files/ and info/ and learns what the rest of the code needs about root.
TrashOpen finish(bool create, bool private_only, TrashDir* trash) {
  TrashOpen why = check_ours(trash->root, private_only);
  if (why.state != TrashState::kReady) return why;
  trash->files = open_folder(trash->root, "files", create, &trash->created_files, &why);
  if (trash->files < 0) return why;
  trash->info = open_folder(trash->root, "info", create, &trash->created_info, &why);
  if (trash->info < 0) return why;
  for (const int folder : {trash->files, trash->info}) {
    why = check_ours(folder, false);
    if (why.state != TrashState::kReady) return why;
  }
  struct statx sx;
  if (sys.statx(trash->root, "", AT_EMPTY_PATH, STATX_INO | STATX_MNT_ID, &sx) != 0) {
    return failed(errno);
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
  TrashOpen why{};
  trash->root = open_folder(parent, root_name.c_str(), create, &trash->created_root, &why);
  if (trash->root < 0) return why;
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
    return unusable(EACCES);
  }
  return open_in(shared, uid_text(), create, true, trash);
}

TrashOpen open_private_trash(int top, bool create, TrashDir* trash) {
  const int parent = open_at(top, ".", O_PATH | O_DIRECTORY);
  if (parent < 0) return failed(errno);  // top is open already: nothing should stop this
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
  if (data_home.empty()) return unusable(ENOENT);
  int parent = open_at(AT_FDCWD, data_home.c_str(), O_PATH | O_DIRECTORY);
  if (parent < 0 && errno == ENOENT && create && make_folders(data_home)) {
    parent = open_at(AT_FDCWD, data_home.c_str(), O_PATH | O_DIRECTORY);
  }
  if (parent < 0) {
    const int error = errno;
    // When emptying, the user's own data folder out of reach is a failure to report; when
    // trashing, it just means the item goes to its mount's trash.
    if (!create && (error == EACCES || error == EPERM)) return failed(error);
    return classify(error);
  }
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

int open_existing_mount_trashes(const std::string& top,
                                std::vector<std::unique_ptr<TrashDir>>* trashes) {
  const int top_fd = open_at(AT_FDCWD, top.c_str(), O_PATH | O_DIRECTORY);
  if (top_fd < 0) return classify(errno).state == TrashState::kFailed ? errno : 0;
  int error = 0;
  for (auto opener : {open_shared_trash, open_private_trash}) {
    auto trash = std::make_unique<TrashDir>();
    trash->top = top;
    const TrashOpen opened = opener(top_fd, false, trash.get());
    if (opened.state == TrashState::kReady) {
      trashes->push_back(std::move(trash));
    } else if (opened.state == TrashState::kFailed && error == 0) {
      error = opened.error;
    }
  }
  sys.close(top_fd);
  return error;
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
