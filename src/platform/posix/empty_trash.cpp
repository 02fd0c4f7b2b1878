// Emptying every trash of this user on POSIX: the home trash and the per-mount trash of every
// mounted file system.
//
// Deleting is done only through descriptors: each folder is opened with O_NOFOLLOW, checked,
// and its entries removed relative to it, so a folder swapped for a symbolic link while this
// runs is never followed, and a folder on another mount (something mounted inside the trash)
// is never entered.
#include <dirent.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"
#include "platform/posix/directory_reader.h"
#include "platform/posix/error_codes.h"
#include "platform/posix/mount_table.h"
#include "platform/posix/system_calls.h"
#include "platform/posix/trash_location.h"
#include "platform/posix/trash_record.h"
#include "platform/posix/user_dirs.h"

namespace platform::posix {
namespace {

// Where the deletion may go: the trash's own mount.
struct Bounds {
  dev_t device;
  std::uint64_t mount_id;
};

class Emptier {
 public:
  void empty(const TrashDir& trash);
  bool removed_any() const { return removed_ > 0; }
  int first_error() const { return first_error_; }

 private:
  void note_error(int error_number) {
    if (first_error_ == 0) first_error_ = windows_error(error_number);
  }
  int remove_entry(int dir, const char* name, unsigned char type, const Bounds& bounds);
  int remove_folder(int dir, const char* name, const Bounds& bounds);
  void remove_orphan_records(const TrashDir& trash);

  std::size_t removed_ = 0;
  int first_error_ = 0;
};

// Gives the owner read, write and search permission on a folder of theirs that lacks it, so
// that what is inside can be listed and removed.
void make_accessible(int fd) {
  struct stat st;
  if (sys.fstatat(fd, "", &st, AT_EMPTY_PATH) != 0) return;
  if (st.st_uid == ::geteuid() && (st.st_mode & 0700) != 0700) {
    sys.fchmod(fd, (st.st_mode & 07777) | 0700);
  }
}

// Returns 0 or the errno that kept the entry in place.
int Emptier::remove_entry(int dir, const char* name, unsigned char type, const Bounds& bounds) {
  if (type == DT_UNKNOWN) {
    struct stat st;
    if (sys.fstatat(dir, name, &st, AT_SYMLINK_NOFOLLOW) != 0) return errno == ENOENT ? 0 : errno;
    type = S_ISDIR(st.st_mode) ? DT_DIR : DT_REG;
  }
  if (type != DT_DIR) {
    if (sys.unlinkat(dir, name, 0) == 0 || errno == ENOENT) return 0;
    if (errno != EISDIR) return errno;  // it became a folder meanwhile: remove it as one
  }
  return remove_folder(dir, name, bounds);
}

int Emptier::remove_folder(int dir, const char* name, const Bounds& bounds) {
  constexpr int kFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW;
  int fd = open_at(dir, name, kFlags);
  if (fd < 0 && errno == EACCES) {
    // A folder of ours without read or search permission: open it up, but only once it is
    // known to be a folder (never a link) owned by us.
    struct stat st;
    if (sys.fstatat(dir, name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode) &&
        st.st_uid == ::geteuid() && sys.fchmodat(dir, name, (st.st_mode & 07777) | 0700) == 0) {
      fd = open_at(dir, name, kFlags);
    } else {
      errno = EACCES;
    }
  }
  if (fd < 0) {
    // No longer a folder (swapped for a link or a file): remove the entry itself.
    if (errno == ELOOP || errno == ENOTDIR) {
      return sys.unlinkat(dir, name, 0) == 0 || errno == ENOENT ? 0 : errno;
    }
    return errno == ENOENT ? 0 : errno;
  }
  struct statx sx;
  if (sys.statx(fd, "", AT_EMPTY_PATH, STATX_MNT_ID, &sx) != 0) {
    const int error = errno;
    sys.close(fd);
    return error;
  }
  const bool same_mount =
      makedev(sx.stx_dev_major, sx.stx_dev_minor) == bounds.device &&
      (!(sx.stx_mask & STATX_MNT_ID) || bounds.mount_id == 0 || sx.stx_mnt_id == bounds.mount_id);
  if (!same_mount) {  // a mount point inside the trash: what is mounted there is not ours
    sys.close(fd);
    return EXDEV;
  }
  make_accessible(fd);
  int first = 0;
  {
    DirectoryReader reader(fd);
    const char* child;
    unsigned char type;
    while (reader.next(&child, &type)) {
      const int error = remove_entry(fd, child, type, bounds);
      if (error != 0 && first == 0) first = error;
    }
    if (reader.error() != 0 && first == 0) first = reader.error();
  }
  sys.close(fd);
  if (first != 0) return first;
  return sys.unlinkat(dir, name, AT_REMOVEDIR) == 0 || errno == ENOENT ? 0 : errno;
}

void Emptier::empty(const TrashDir& trash) {
  const Bounds bounds{trash.id.device, trash.mount_id};
  make_accessible(trash.files);
  make_accessible(trash.info);
  {
    // Each item first, then its record: a record is removed only once its item is gone.
    DirectoryReader reader(trash.files);
    const char* name;
    unsigned char type;
    while (reader.next(&name, &type)) {
      const int error = remove_entry(trash.files, name, type, bounds);
      if (error != 0) {
        note_error(error);
        continue;
      }
      ++removed_;
      const std::string record = std::string(name) + ".trashinfo";
      if (sys.unlinkat(trash.info, record.c_str(), 0) != 0 && errno != ENOENT) note_error(errno);
    }
    if (reader.error() != 0) note_error(reader.error());
  }
  remove_orphan_records(trash);
  if (sys.unlinkat(trash.root, "directorysizes", 0) == 0) {
    ++removed_;
  } else if (errno != ENOENT) {
    note_error(errno);
  }
}

// Records whose item is gone: left by a run that was stopped between the two steps, or by
// another tool.
void Emptier::remove_orphan_records(const TrashDir& trash) {
  const int fd = open_at(trash.info, ".", O_RDONLY | O_DIRECTORY);
  if (fd < 0) {
    note_error(errno);
    return;
  }
  DirectoryReader reader(fd);
  const char* entry;
  unsigned char type;
  while (reader.next(&entry, &type)) {
    std::string_view item_name;
    if (!item_of_record(entry, &item_name)) continue;
    const std::string item(item_name);
    struct stat st;
    if (sys.fstatat(trash.files, item.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) continue;
    if (errno != ENOENT) continue;
    if (sys.unlinkat(trash.info, entry, 0) == 0) {
      ++removed_;
    } else if (errno != ENOENT) {
      note_error(errno);
    }
  }
  if (reader.error() != 0) note_error(reader.error());
  sys.close(fd);
}

// Every trash of this user, each once even when its file system is mounted more than once. A
// trash of ours that cannot be opened is reported through *first_error.
std::vector<std::unique_ptr<TrashDir>> find_trashes(int* first_error) {
  std::vector<std::unique_ptr<TrashDir>> trashes;
  auto home = std::make_unique<TrashDir>();
  const TrashOpen opened = open_home_trash(data_home(), false, home.get());
  if (opened.state == TrashState::kReady) {
    trashes.push_back(std::move(home));
  } else if (opened.state == TrashState::kFailed && *first_error == 0) {
    *first_error = opened.error;
  }
  for (const Mount& mount : read_mount_table()) {
    if (is_pseudo_file_system(mount.fs_type)) continue;
    std::vector<std::unique_ptr<TrashDir>> found;
    const int error = open_existing_mount_trashes(mount.mount_point, &found);
    if (error != 0 && *first_error == 0) *first_error = error;
    for (auto& trash : found) {
      bool seen = false;
      for (const auto& known : trashes) seen = seen || known->id == trash->id;
      if (!seen) trashes.push_back(std::move(trash));
    }
  }
  return trashes;
}

}  // namespace
}  // namespace platform::posix

namespace platform {

HRESULT SHEmptyRecycleBinW(HWND, const char16_t* root_path, std::uint32_t) {
  using namespace posix;
  // Emptying one drive's bin has no meaning here; the tool always asks for all of them.
  if (root_path != nullptr) return hresult_from_windows_error(kErrorInvalidParameter);
  int open_error = 0;
  Emptier emptier;
  for (const auto& trash : find_trashes(&open_error)) emptier.empty(*trash);
  if (emptier.first_error() != 0) return hresult_from_windows_error(emptier.first_error());
  if (open_error != 0) return hresult_from_windows_error(windows_error(open_error));
  // As the shell does, an empty bin answers E_UNEXPECTED.
  return emptier.removed_any() ? S_OK : E_UNEXPECTED;
}

}  // namespace platform
