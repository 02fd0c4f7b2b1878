// Every system call of a trash run and of an empty run is failed in turn, with each errno the
// call could plausibly see, once and from then on. Whatever fails, no item may be lost: each is
// where it was or in a trash with a complete record, the result owns up to anything left
// undone, no half-written record is left, and a following empty clears what remains.
//
// Runs in process against the POSIX services, inside tmpfs mounts of its own, so that a fallback
// to a per-mount trash stays inside the test.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <map>

#include "platform/platform.h"
#include "support/fault_injection.h"
#include "support/trash_fixture.h"

namespace {

namespace fs = std::filesystem;

const std::string kUid = std::to_string(::geteuid());
constexpr platform::HRESULT kAlreadyEmpty = static_cast<platform::HRESULT>(0x8000FFFFu);

// What an item is, so a copy in the trash can be recognised as the same item.
std::string describe(const std::string& path) {
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0) return "";
  if (S_ISLNK(st.st_mode)) return "link:" + fs::read_symlink(path).string();
  if (S_ISDIR(st.st_mode)) {
    std::string all = "folder:";
    for (const auto& entry : fs::recursive_directory_iterator(path)) {
      all += entry.path().lexically_relative(path).string() + "=" + read_file(entry.path()) + ";";
    }
    return all;
  }
  return "file:" + read_file(path);
}

constexpr int kErrors[] = {EIO, ENOSPC, EACCES, EXDEV};
constexpr fault::Mode kModes[] = {fault::Mode::kOnce, fault::Mode::kFromThenOn};

class FaultInjectionTest : public MountedTrashTest {
 protected:
  // Runs one case for every errno, both modes and every call of a run of `calls` calls. Stops at
  // the first case that fails: it explains itself, and the rest would only repeat it.
  template <typename Case>
  void for_each_fault(long calls, const char* run, Case one_case) {
    for (const int error : kErrors) {
      for (const fault::Mode mode : kModes) {
        for (long at = 1; at <= calls; ++at) {
          const std::string context = std::string(strerror(error)) + " at " + run + " call " +
                                      std::to_string(at) +
                                      (mode == fault::Mode::kOnce ? " once" : " onwards");
          one_case(fault::Plan{at, mode, error, false}, context);
          if (HasFailure()) return;
        }
      }
    }
  }

  void SetUp() override {
    MountedTrashTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    fs_ = mount_tmpfs("fs");
    volume_ = mount_tmpfs("volume");
    saved_home_ = std::getenv("HOME") ? std::getenv("HOME") : "";
    saved_data_ = std::getenv("XDG_DATA_HOME") ? std::getenv("XDG_DATA_HOME") : "";
    ::setenv("HOME", (fs_ + "/home").c_str(), 1);
    ::setenv("XDG_DATA_HOME", home_trash_parent().c_str(), 1);
  }
  void TearDown() override {
    ::setenv("HOME", saved_home_.c_str(), 1);
    ::setenv("XDG_DATA_HOME", saved_data_.c_str(), 1);
    MountedTrashTest::TearDown();
  }

  std::string home_trash_parent() const { return fs_ + "/home/.local/share"; }
  std::vector<std::string> trashes() const {
    return {home_trash_parent() + "/Trash", fs_ + "/.Trash-" + kUid, volume_ + "/.Trash-" + kUid};
  }

  // A fresh set of items, and no trash anywhere.
  void make_items() {
    for (const std::string& path : {fs_ + "/work", fs_ + "/home", volume_ + "/item"}) {
      fs::remove_all(path);
    }
    for (const std::string& trash : trashes()) fs::remove_all(trash);
    fs::create_directories(fs_ + "/work/folder/inner");
    fs::create_directories(fs_ + "/home");
    ASSERT_TRUE(write_file(fs_ + "/work/plain", "plain"));
    ASSERT_TRUE(write_file(fs_ + "/work/with space", "spaced"));
    ASSERT_TRUE(write_file(fs_ + "/work/folder/inner/deep", "deep"));
    ASSERT_EQ(::symlink("plain", (fs_ + "/work/link").c_str()), 0);
    ASSERT_TRUE(write_file(volume_ + "/item", "on the other volume"));
    items_.clear();
    for (const std::string& path : {fs_ + "/work/plain", fs_ + "/work/with space",
                                    fs_ + "/work/folder", fs_ + "/work/link", volume_ + "/item"}) {
      items_[path] = describe(path);
    }
  }

  int trash_items(bool* aborted) {
    std::u16string from;
    for (const auto& [path, description] : items_) {
      from.append(path.begin(), path.end());
      from += u'\0';
    }
    from += u'\0';
    platform::SHFILEOPSTRUCTW request{};
    request.wFunc = platform::FO_DELETE;
    request.pFrom = from.c_str();
    request.fFlags = 0x4054;
    const int result = platform::SHFileOperationW(&request);
    *aborted = request.fAnyOperationsAborted != 0;
    return result;
  }

  static platform::HRESULT empty_all() { return platform::SHEmptyRecycleBinW(nullptr, nullptr, 7); }

  // Where each item is now: its own place, or a trash entry with a complete record naming it.
  // Returns how many items are in a trash.
  std::size_t check_every_item_is_somewhere(const std::string& context) {
    std::map<std::string, int> places;
    std::size_t trashed = 0;
    for (const auto& [path, description] : items_) {
      if (describe(path) == description) ++places[path];
    }
    for (const std::string& trash : trashes()) {
      const std::string top = trash.substr(0, trash.rfind('/'));
      for (const auto& [name, entry] : entries(trash)) {
        EXPECT_TRUE(is_valid_record(entry.record)) << context << ": " << trash << " " << name;
        const std::string original = entry.path[0] == '/' ? entry.path : top + "/" + entry.path;
        const auto item = items_.find(original);
        if (item == items_.end()) {
          ADD_FAILURE() << context << ": " << name << " records " << original;
          continue;
        }
        EXPECT_EQ(describe(trash + "/files/" + name), item->second) << context;
        ++places[original];
        ++trashed;
      }
      // A record without its item is tolerated: empty removes it. An incomplete one can only be
      // such an orphan (a failed write whose clean-up failed too), and other tools must cope.
      for (const std::string& record : record_names(trash)) {
        if (!is_valid_record(read_file(trash + "/info/" + record))) incomplete_ = true;
      }
    }
    for (const auto& [path, description] : items_) {
      EXPECT_EQ(places[path], 1) << context << ": " << path;
    }
    return trashed;
  }

  // trash-list, when installed, still lists every complete entry of the home trash.
  void check_peers_cope(const std::string& context) {
    if (!incomplete_ || !have_program("trash-list")) return;
    incomplete_ = false;
    const ProcessResult listed = run_process(
        {"trash-list"},
        {"HOME=" + fs_ + "/home", "XDG_DATA_HOME=" + home_trash_parent(), "PATH=/usr/bin:/bin"});
    EXPECT_EQ(listed.status, 0) << context << listed.err;
    std::size_t complete = 0;
    for (const std::string& record : record_names(trashes()[0])) {
      complete += is_valid_record(read_file(trashes()[0] + "/info/" + record));
    }
    EXPECT_EQ(static_cast<std::size_t>(std::count(listed.out.begin(), listed.out.end(), '\n')),
              complete)
        << context << listed.out;
  }

  void check_a_clean_empty_clears_everything(const std::string& context) {
    const platform::HRESULT result = empty_all();
    EXPECT_TRUE(result == 0 || result == kAlreadyEmpty) << context << ": " << result;
    for (const std::string& trash : trashes()) {
      EXPECT_TRUE(entries(trash).empty()) << context << ": " << trash;
      EXPECT_TRUE(record_names(trash).empty()) << context << ": " << trash;
    }
  }

  std::string fs_, volume_, saved_home_, saved_data_;
  std::map<std::string, std::string> items_;
  bool incomplete_ = false;  // an incomplete orphan record was seen
};

TEST_F(FaultInjectionTest, TrashLosesNothingWhicheverCallFails) {
  make_items();
  long calls = 0;
  {
    bool aborted = false;
    fault::Injection counting({});
    ASSERT_EQ(trash_items(&aborted), 0);
    calls = counting.calls();
  }
  ASSERT_EQ(check_every_item_is_somewhere("clean run"), items_.size());
  ASSERT_GT(calls, 10);

  for_each_fault(calls, "trash", [&](const fault::Plan& plan, const std::string& context) {
    make_items();
    bool aborted = false;
    int result;
    {
      fault::Injection injection(plan);
      result = trash_items(&aborted);
    }
    const std::size_t trashed = check_every_item_is_somewhere(context);
    // A clean result means every item went; anything left is owned up to.
    if (result == 0 && !aborted) {
      EXPECT_EQ(trashed, items_.size()) << context;
    }
    if (trashed < items_.size()) {
      EXPECT_TRUE(result != 0 || aborted) << context;
    }
    check_peers_cope(context);
    check_a_clean_empty_clears_everything(context);
  });
}

TEST_F(FaultInjectionTest, InterruptedCallsAreRetried) {
  make_items();
  long calls = 0;
  {
    bool aborted = false;
    fault::Injection counting({0, fault::Mode::kOnce, 0, true});
    ASSERT_EQ(trash_items(&aborted), 0);
    calls = counting.calls();
  }
  for (long at = 1; at <= calls; ++at) {
    make_items();
    bool aborted = false;
    {
      fault::Injection injection({at, fault::Mode::kOnce, EINTR, true});
      EXPECT_EQ(trash_items(&aborted), 0) << "EINTR at call " << at;
    }
    EXPECT_FALSE(aborted);
    EXPECT_EQ(check_every_item_is_somewhere("EINTR"), items_.size());
  }
}

TEST_F(FaultInjectionTest, EmptyKeepsTheRecordOfEveryItemItCouldNotRemove) {
  ASSERT_TRUE(make_folders(fs_ + "/precious"));
  ASSERT_TRUE(write_file(fs_ + "/precious/keep", "keep"));
  auto fill = [&] {
    make_items();
    bool aborted = false;
    ASSERT_EQ(trash_items(&aborted), 0);
    // A link in the trash to a folder outside it, which emptying must never follow.
    ASSERT_EQ(::symlink((fs_ + "/precious").c_str(),
                        (home_trash_parent() + "/Trash/files/to-precious").c_str()),
              0);
    ASSERT_TRUE(write_file(home_trash_parent() + "/Trash/info/to-precious.trashinfo",
                           "[Trash Info]\nPath=/x\nDeletionDate=2026-01-01T00:00:00\n"));
  };
  fill();
  long calls = 0;
  {
    fault::Injection counting({});
    ASSERT_EQ(empty_all(), 0);
    calls = counting.calls();
  }
  for_each_fault(calls, "empty", [&](const fault::Plan& plan, const std::string& context) {
    fill();
    platform::HRESULT result;
    {
      fault::Injection injection(plan);
      result = empty_all();
    }
    bool anything_left = false;
    for (const std::string& trash : trashes()) {
      // A mount point out of reach (EACCES) is someone else's: its trash is skipped quietly.
      const bool may_be_skipped = plan.error == EACCES && trash != trashes()[0];
      for (const auto& [name, entry] : entries(trash)) {
        anything_left = anything_left || !may_be_skipped;
        EXPECT_TRUE(is_valid_record(entry.record)) << context << ": " << name << " lost its record";
      }
    }
    if (anything_left) {
      EXPECT_TRUE(result != 0 && result != kAlreadyEmpty) << context;
    }
    EXPECT_EQ(read_file(fs_ + "/precious/keep"), "keep") << context;
    check_a_clean_empty_clears_everything(context);
  });
}

}  // namespace
