// The shell's delete-with-undo on POSIX: each item of the request is moved into a FreeDesktop.org
// trash on its own file system, with a .trashinfo record that any trash tool can read.
//
// What this never does: copy across file systems, delete anything, replace an entry already in
// the trash, or follow a symbolic link that is the item itself. An item is either moved whole
// with a complete record, or left where it was with no record of it.
//
// Per item, in the usual case: statx, create the record (O_EXCL), write it, close it, rename.
// The item's folder and the trash folders are opened once per run of items and reused.
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/posix/error_codes.h"
#include "platform/posix/item_path.h"
#include "platform/posix/mount_table.h"
#include "platform/posix/native_path.h"
#include "platform/posix/record_writer.h"
#include "platform/posix/system_calls.h"
#include "platform/posix/trash_location.h"
#include "platform/posix/trash_names.h"
#include "platform/posix/trash_record.h"
#include "platform/posix/user_dirs.h"

namespace platform::posix {
namespace {

// Attempts at a free name before giving up on an item; only a trash under heavy concurrent use
// or full of unrecorded leftovers gets anywhere near it.
constexpr int kNameAttempts = 1000;

enum class Verdict {
  kProceed,  // a step went well: go on with the item
  kTrashed,
  kFailed,     // error holds a Windows error code
  kNoTrash,    // no trash on the item's file system can take it
  kElsewhere,  // this trash cannot take it (another mount of the same device): try the mount's
};

struct Outcome {
  Verdict verdict;
  int error = 0;
};

Outcome failed_with_errno(int error_number) {
  return {Verdict::kFailed, windows_error(error_number)};
}

// A trash in use by this run, with what the run learned of its names.
struct Target {
  explicit Target(bool is_home) : home(is_home) {}
  bool home;
  bool opened = false;
  bool unusable = false;  // checked once and found not ours: do not look again this run
  TrashDir dir;
  std::unique_ptr<TrashNames> names;
  std::vector<FileId> holders;  // the trash folder and every folder above it
  FileId files_id{};
  FileId info_id{};
  std::size_t trashed = 0;
};

// The folder of the current item, kept open while items come from the same folder.
struct Folder {
  std::string text;
  int fd = -1;
  FileId id{};
  std::string absolute;  // empty when it could not be learned
};

struct Item {
  std::string name;
  struct statx st;
  FileId id;
  bool is_folder;
};

class Trasher {
 public:
  Trasher() : home_(true), data_home_(data_home()) {}
  ~Trasher() {
    if (folder_.fd >= 0) sys.close(folder_.fd);
  }

  void trash(const char16_t* path);
  int result() const { return first_error_; }
  bool aborted() const { return aborted_; }

 private:
  Outcome trash_path(const char16_t* path);
  Outcome enter_folder(const std::string& text);
  bool on_home_file_system(const Item& item);
  Outcome try_target(Target* target, const std::string& top, const Item& item);
  Outcome open_target(Target* target, const std::string& top);
  Outcome move_into(Target* target, const Item& item);
  bool record_path(const Target& target, const Item& item, std::string* path);
  const std::string& date_now();

  Target home_;
  std::string data_home_;
  bool home_device_known_ = false;
  dev_t home_device_ = 0;
  bool mounts_read_ = false;
  std::vector<Mount> mounts_;
  std::map<std::uint64_t, std::unique_ptr<Target>> mount_targets_;
  Folder folder_;
  std::time_t date_time_ = -1;
  std::string date_text_;
  int first_error_ = 0;
  bool aborted_ = false;
};

void Trasher::trash(const char16_t* path) {
  const Outcome outcome = trash_path(path);
  if (outcome.verdict == Verdict::kFailed && first_error_ == 0) first_error_ = outcome.error;
  // The shell would ask before deleting such an item outright; with no one to ask, the answer
  // is no, and the operation counts as aborted.
  if (outcome.verdict == Verdict::kNoTrash || outcome.verdict == Verdict::kElsewhere) {
    aborted_ = true;
  }
}

Outcome Trasher::trash_path(const char16_t* path) {
  std::string native;
  if (!native_path(path, &native)) return {Verdict::kFailed, kErrorInvalidName};
  ItemPath where;
  switch (split_item_path(native, &where)) {
    case ItemPathVerdict::kRoot:
      return {Verdict::kFailed, kErrorAccessDenied};
    case ItemPathVerdict::kDotName:
      return {Verdict::kFailed, kErrorInvalidName};
    case ItemPathVerdict::kOk:
      break;
  }
  if (const Outcome entered = enter_folder(where.folder); entered.verdict != Verdict::kProceed) {
    return entered;
  }

  Item item;
  item.name = std::move(where.name);
  if (sys.statx(folder_.fd, item.name.c_str(), AT_SYMLINK_NOFOLLOW,
                STATX_TYPE | STATX_INO | STATX_MNT_ID, &item.st) != 0) {
    return failed_with_errno(errno);
  }
  item.id = {makedev(item.st.stx_dev_major, item.st.stx_dev_minor), item.st.stx_ino};
  item.is_folder = S_ISDIR(item.st.stx_mode);

  if (on_home_file_system(item)) {
    const Outcome home = try_target(&home_, "", item);
    if (home.verdict != Verdict::kElsewhere) return home;
  }
  if (!mounts_read_) {
    mounts_ = read_mount_table();
    mounts_read_ = true;
  }
  const Mount* mount = find_mount(mounts_, item.st.stx_mnt_id);
  if (mount == nullptr || is_pseudo_file_system(mount->fs_type)) return {Verdict::kNoTrash};
  std::unique_ptr<Target>& target = mount_targets_[mount->id];
  if (!target) target = std::make_unique<Target>(false);
  if (target->unusable) return {Verdict::kNoTrash};
  const Outcome moved = try_target(target.get(), mount->mount_point, item);
  return moved.verdict == Verdict::kElsewhere ? Outcome{Verdict::kNoTrash} : moved;
}

Outcome Trasher::enter_folder(const std::string& text) {
  if (folder_.fd >= 0 && folder_.text == text) return {Verdict::kProceed};
  if (folder_.fd >= 0) sys.close(folder_.fd);
  folder_ = Folder{};
  const int fd = open_at(AT_FDCWD, text.c_str(), O_PATH | O_DIRECTORY);
  if (fd < 0) return failed_with_errno(errno);
  folder_.text = text;
  folder_.fd = fd;
  folder_.id = file_id_of(fd);
  if (!absolute_folder(text, &folder_.absolute)) folder_.absolute.clear();
  return {Verdict::kProceed};
}

bool Trasher::on_home_file_system(const Item& item) {
  if (home_.unusable || data_home_.empty()) return false;
  if (home_.opened) return home_.dir.id.device == item.id.device;
  if (!home_device_known_) {
    // The trash may not exist yet: its file system is that of the nearest folder that does.
    std::string probe = data_home_ + "/Trash";
    struct stat st;
    while (sys.fstatat(AT_FDCWD, probe.c_str(), &st, 0) != 0) {
      const std::size_t slash = probe.rfind('/');
      if (slash == 0 || slash == std::string::npos) {
        probe = "/";
        if (sys.fstatat(AT_FDCWD, probe.c_str(), &st, 0) != 0) return false;
        break;
      }
      probe.resize(slash);
    }
    home_device_ = st.st_dev;
    home_device_known_ = true;
  }
  return home_device_ == item.id.device;
}

Outcome Trasher::open_target(Target* target, const std::string& top) {
  if (target->opened) return {Verdict::kProceed};
  const TrashOpen opened = target->home ? open_home_trash(data_home_, true, &target->dir)
                                        : open_mount_trash(top, true, &target->dir);
  if (opened.state == TrashState::kUnusable) {
    target->unusable = true;
    return {target->home ? Verdict::kElsewhere : Verdict::kNoTrash};
  }
  if (opened.state == TrashState::kFailed) return failed_with_errno(opened.error);
  target->opened = true;
  target->names = std::make_unique<TrashNames>(target->dir.name_max);
  target->holders = folders_holding(target->dir);
  target->files_id = file_id_of(target->dir.files);
  target->info_id = file_id_of(target->dir.info);
  return {Verdict::kProceed};
}

bool Trasher::record_path(const Target& target, const Item& item, std::string* path) {
  if (folder_.absolute.empty()) return false;
  const std::string absolute = join_path(folder_.absolute, item.name);
  if (target.home) {
    *path = absolute;
    return true;
  }
  // A per-mount trash records the path below its mount point, so that the record stays right
  // wherever the file system is mounted next time.
  if (path_below(absolute, target.dir.top, path)) return true;
  // Reached through a symbolic link from elsewhere: the resolved folder is below the mount.
  std::string real;
  if (real_folder(folder_.text, &real) &&
      path_below(join_path(real, item.name), target.dir.top, path)) {
    return true;
  }
  *path = absolute;  // an absolute path is valid in any trash
  return true;
}

const std::string& Trasher::date_now() {
  const std::time_t now = std::time(nullptr);
  if (now != date_time_) {
    date_time_ = now;
    date_text_ = deletion_date(now);
  }
  return date_text_;
}

// Renames without ever replacing an entry. A file system that cannot promise that (EINVAL) gets
// a check first, which the O_EXCL record already made all but certain.
int move_no_replace(int from_dir, const std::string& from, int to_dir, const std::string& to) {
  if (sys.renameat2(from_dir, from.c_str(), to_dir, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL) return errno;
  struct stat st;
  if (sys.fstatat(to_dir, to.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) return EEXIST;
  if (sys.renameat2(from_dir, from.c_str(), to_dir, to.c_str(), 0) == 0) return 0;
  return errno;
}

Outcome Trasher::move_into(Target* target, const Item& item) {
  const TrashDir& dir = target->dir;
  // Never the trash itself or a folder holding it, and nothing out of its own folders.
  if (item.is_folder &&
      std::find(target->holders.begin(), target->holders.end(), item.id) != target->holders.end()) {
    return {Verdict::kFailed, kErrorAccessDenied};
  }
  if (folder_.id == dir.id || folder_.id == target->files_id || folder_.id == target->info_id) {
    return {Verdict::kFailed, kErrorAccessDenied};
  }
  std::string path;
  if (!record_path(*target, item, &path)) return {Verdict::kFailed, kErrorPathNotFound};
  const std::string record = trash_info(escape_record_path(path), date_now());

  TrashNames& names = *target->names;
  RecordWriter writer(dir.info, record);
  std::uint32_t number = names.first_try(item.name);
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    const std::string name = names.candidate(item.name, number);
    const std::string record_name = name + ".trashinfo";
    // The record first: a run stopped after this leaves a record without an item, which empty
    // cleans, never an item without a record.
    const int placed = writer.place(record_name);
    if (placed == EEXIST) {
      number = names.after_collision(item.name, number, dir.info);
      continue;
    }
    if (placed != 0) return failed_with_errno(placed);
    const int moved = move_no_replace(folder_.fd, item.name, dir.files, name);
    if (moved == 0) {
      names.taken(item.name, number);
      ++target->trashed;
      return {Verdict::kTrashed};
    }
    sys.unlinkat(dir.info, record_name.c_str(), 0);
    if (moved == EEXIST) {  // an unrecorded leftover in files/: never replace it
      number = names.after_collision(item.name, number, dir.info);
      continue;
    }
    if (moved == EXDEV) return {Verdict::kElsewhere};
    return failed_with_errno(moved);
  }
  return {Verdict::kFailed, kErrorAlreadyExists};
}

Outcome Trasher::try_target(Target* target, const std::string& top, const Item& item) {
  Outcome outcome = open_target(target, top);
  if (outcome.verdict == Verdict::kProceed) outcome = move_into(target, item);
  // Folders made for an item that then did not go leave nothing behind.
  if (outcome.verdict != Verdict::kTrashed && target->opened && target->trashed == 0 &&
      (target->dir.created_root || target->dir.created_files || target->dir.created_info)) {
    take_back_created(&target->dir);
    target->opened = false;
  }
  return outcome;
}

}  // namespace
}  // namespace platform::posix

namespace platform {

int SHFileOperationW(SHFILEOPSTRUCTW* operation) {
  using namespace posix;
  // Only delete-with-undo is offered here: a plain delete would destroy data outright.
  if (operation == nullptr || operation->wFunc != FO_DELETE ||
      !(operation->fFlags & FOF_ALLOWUNDO) || operation->pFrom == nullptr) {
    return kErrorInvalidParameter;
  }
  Trasher trasher;
  for (const char16_t* path = operation->pFrom; *path != u'\0';) {
    trasher.trash(path);
    while (*path != u'\0') ++path;
    ++path;
  }
  operation->fAnyOperationsAborted = trasher.aborted() ? 1 : 0;
  return trasher.result();
}

}  // namespace platform
