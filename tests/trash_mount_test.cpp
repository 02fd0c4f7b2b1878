// Trashing on file systems of their own: each test mounts tmpfs file systems in a private
// mount namespace, so per-mount trash folders are exercised without touching the machine's.
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/trash_fixture.h"

namespace {

const std::string kUid = std::to_string(::geteuid());

class MountTrashTest : public MountedTrashTest {
 protected:
  void SetUp() override {
    MountedTrashTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    volume_ = mount_tmpfs("volume");
  }
  std::string private_trash() const { return volume_ + "/.Trash-" + kUid; }

  std::string volume_;
};

TEST_F(MountTrashTest, ItemGoesToItsMountsTrashWithARelativePath) {
  ASSERT_TRUE(make_folders(volume_ + "/docs"));
  ASSERT_TRUE(write_file(volume_ + "/docs/a b.txt", "a"));
  const ProcessResult r = trash({volume_ + "/docs/a b.txt"});
  EXPECT_EQ(r.out, "ok 0\n");
  const auto trashed = entries(private_trash());
  ASSERT_EQ(trashed.size(), 1u);
  EXPECT_EQ(trashed.at("a b.txt").path, "docs/a b.txt");
  EXPECT_TRUE(is_valid_record(trashed.at("a b.txt").record));
  EXPECT_FALSE(exists(home_trash()));
  struct stat st;
  ASSERT_EQ(::stat(private_trash().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  // Other tools find it on the mount and show the whole original path.
  EXPECT_EQ(trash_list(), std::vector<std::string>{volume_ + "/docs/a b.txt"});
}

TEST_F(MountTrashTest, SharedTrashWithStickyBitIsPreferred) {
  ASSERT_EQ(::mkdir((volume_ + "/.Trash").c_str(), 01777), 0);
  ASSERT_EQ(::chmod((volume_ + "/.Trash").c_str(), 01777), 0);
  ASSERT_TRUE(write_file(volume_ + "/x", "x"));
  EXPECT_EQ(trash({volume_ + "/x"}).out, "ok 0\n");
  EXPECT_EQ(entries(volume_ + "/.Trash/" + kUid).at("x").path, "x");
  EXPECT_FALSE(exists(private_trash()));
}

struct SharedTrashCase {
  const char* label;
  void (*make)(const std::string& volume);
};

class UnsafeSharedTrashTest : public MountTrashTest,
                              public ::testing::WithParamInterface<SharedTrashCase> {};

TEST_P(UnsafeSharedTrashTest, IsNotUsedAtAll) {
  GetParam().make(volume_);
  ASSERT_TRUE(write_file(volume_ + "/x", "x"));
  EXPECT_EQ(trash({volume_ + "/x"}).out, "ok 0\n");
  EXPECT_EQ(entries(private_trash()).at("x").path, "x");
  EXPECT_FALSE(exists(volume_ + "/.Trash/" + kUid + "/files"));
  EXPECT_FALSE(exists(volume_ + "/elsewhere/" + kUid));
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, UnsafeSharedTrashTest,
    ::testing::Values(SharedTrashCase{"without_sticky_bit",
                                      [](const std::string& v) {
                                        ::mkdir((v + "/.Trash").c_str(), 0777);
                                        ::chmod((v + "/.Trash").c_str(), 0777);
                                      }},
                      SharedTrashCase{"symbolic_link",
                                      [](const std::string& v) {
                                        ::mkdir((v + "/elsewhere").c_str(), 01777);
                                        ::chmod((v + "/elsewhere").c_str(), 01777);
                                        ::symlink("elsewhere", (v + "/.Trash").c_str());
                                      }},
                      SharedTrashCase{"user_folder_of_someone_else",
                                      [](const std::string& v) {
                                        ::mkdir((v + "/.Trash").c_str(), 01777);
                                        ::chmod((v + "/.Trash").c_str(), 01777);
                                        ::mkdir((v + "/.Trash/" + kUid).c_str(), 0700);
                                        ::chown((v + "/.Trash/" + kUid).c_str(), 4242, 4242);
                                      }}),
    [](const ::testing::TestParamInfo<SharedTrashCase>& row) { return row.param.label; });

struct PrivateTrashCase {
  const char* label;
  void (*make)(const std::string& trash, const std::string& volume);
};

class UnusablePrivateTrashTest : public MountTrashTest,
                                 public ::testing::WithParamInterface<PrivateTrashCase> {};

TEST_P(UnusablePrivateTrashTest, LeavesTheItemAndWritesNothingThroughIt) {
  ASSERT_TRUE(make_folders(volume_ + "/decoy"));
  GetParam().make(private_trash(), volume_);
  ASSERT_TRUE(write_file(volume_ + "/keep", "k"));
  const ProcessResult r = trash({volume_ + "/keep"});
  EXPECT_EQ(r.out, "ok 0 aborted\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(read_file(volume_ + "/keep"), "k");
  EXPECT_FALSE(exists(volume_ + "/decoy/files"));
  EXPECT_FALSE(exists(volume_ + "/decoy/info"));
  EXPECT_FALSE(exists(private_trash() + "/files/keep"));
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, UnusablePrivateTrashTest,
    ::testing::Values(PrivateTrashCase{"symbolic_link",
                                       [](const std::string& trash, const std::string&) {
                                         ::symlink("decoy", trash.c_str());
                                       }},
                      PrivateTrashCase{"owned_by_someone_else",
                                       [](const std::string& trash, const std::string&) {
                                         ::mkdir(trash.c_str(), 0700);
                                         ::chown(trash.c_str(), 4242, 4242);
                                       }},
                      PrivateTrashCase{"writable_by_others",
                                       [](const std::string& trash, const std::string&) {
                                         ::mkdir(trash.c_str(), 0777);
                                         ::chmod(trash.c_str(), 0777);
                                       }},
                      PrivateTrashCase{"files_is_a_link",
                                       [](const std::string& trash, const std::string& volume) {
                                         ::mkdir(trash.c_str(), 0700);
                                         ::symlink((volume + "/decoy").c_str(),
                                                   (trash + "/files").c_str());
                                       }},
                      PrivateTrashCase{"info_is_a_file",
                                       [](const std::string& trash, const std::string&) {
                                         ::mkdir(trash.c_str(), 0700);
                                         write_file(trash + "/info", "not a folder");
                                       }}),
    [](const ::testing::TestParamInfo<PrivateTrashCase>& row) { return row.param.label; });

TEST_F(MountTrashTest, MissingItemLeavesNoTrashBehind) {
  const ProcessResult r = trash({volume_ + "/missing"});
  EXPECT_EQ(r.out, "error 2\n");
  EXPECT_FALSE(exists(private_trash()));
}

TEST_F(MountTrashTest, MountPointIsRefusedAndLeavesNoTrashBehind) {
  // A mount point is the top of its own file system, so its trash would be inside it: refused,
  // and the trash folder made while finding that out is taken away again.
  const std::string inner = volume_ + "/inner";
  ASSERT_TRUE(make_folders(inner));
  ASSERT_EQ(::mount("dustpan-test", inner.c_str(), "tmpfs", 0, "mode=0755"), 0);
  mounted_.push_back(inner);
  ASSERT_TRUE(write_file(inner + "/data", "d"));
  const ProcessResult r = trash({inner});
  EXPECT_EQ(r.out, "error 5\n");
  EXPECT_EQ(read_file(inner + "/data"), "d");
  EXPECT_FALSE(exists(inner + "/.Trash-" + kUid));
  EXPECT_FALSE(exists(private_trash()));
}

TEST_F(MountTrashTest, ReadOnlyFileSystemIsAnError) {
  const std::string frozen = mount_tmpfs("frozen");
  ASSERT_TRUE(write_file(frozen + "/x", "x"));
  ASSERT_EQ(::mount(nullptr, frozen.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0);
  const ProcessResult r = trash({frozen + "/x"});
  EXPECT_EQ(r.out, "error 19\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(read_file(frozen + "/x"), "x");
}

TEST_F(MountTrashTest, FullFileSystemLeavesTheItemAndNoPartialRecord) {
  const std::string full = mount_tmpfs("full", "size=256k");
  ASSERT_TRUE(write_file(full + "/item", "precious"));
  ASSERT_TRUE(make_folders(full + "/.Trash-" + kUid + "/files"));
  ASSERT_TRUE(make_folders(full + "/.Trash-" + kUid + "/info"));
  // Fill every last block.
  const std::string filler = full + "/filler";
  const int fd = ::open(filler.c_str(), O_CREAT | O_WRONLY, 0600);
  const std::string block(4096, 'f');
  while (::write(fd, block.data(), block.size()) > 0) {
  }
  ::close(fd);
  const ProcessResult r = trash({full + "/item"});
  EXPECT_EQ(r.out, "error 112\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(read_file(full + "/item"), "precious");
  EXPECT_TRUE(record_names(full + "/.Trash-" + kUid).empty());
}

TEST_F(MountTrashTest, BindMountOfTheHomeFileSystemUsesItsOwnTrash) {
  // The bind mount shares the home trash's device, but a rename across mounts fails: the item
  // goes to the bind mount's own trash instead of being copied.
  ASSERT_TRUE(make_folders(work() + "/source"));
  ASSERT_TRUE(write_file(work() + "/source/x", "x"));
  ASSERT_TRUE(make_folders(home_trash()));
  const std::string bound = root_ / "bound";
  ASSERT_TRUE(make_folders(bound));
  ASSERT_EQ(::mount((work() + "/source").c_str(), bound.c_str(), nullptr, MS_BIND, nullptr), 0);
  mounted_.push_back(bound);
  const ProcessResult r = trash({bound + "/x"});
  EXPECT_EQ(r.out, "ok 0\n");
  EXPECT_EQ(entries(bound + "/.Trash-" + kUid).at("x").path, "x");
  EXPECT_TRUE(entries(home_trash()).empty());
}

TEST_F(MountTrashTest, HomeTrashOfAnotherUserIsNotFilled) {
  // root running with another user's HOME: that user's trash is not ours to fill.
  const std::string other_home = mount_tmpfs("other");
  ASSERT_TRUE(make_folders(other_home + "/.local/share/Trash/files"));
  ASSERT_TRUE(make_folders(other_home + "/.local/share/Trash/info"));
  for (const char* sub : {"", "/files", "/info"}) {
    ASSERT_EQ(::chown((other_home + "/.local/share/Trash" + sub).c_str(), 4242, 4242), 0);
  }
  ASSERT_TRUE(write_file(other_home + "/x", "x"));
  const std::string list = root_ / "list.txt";
  ASSERT_TRUE(write_file(list, other_home + "/x\n"));
  const ProcessResult r =
      run_process({DUSTPAN_BINARY, "trash", list}, test_environment(other_home), work());
  EXPECT_EQ(r.out, "ok 0\n");
  EXPECT_TRUE(entries(other_home + "/.local/share/Trash").empty());
  EXPECT_EQ(entries(other_home + "/.Trash-" + kUid).at("x").path, "x");
}

TEST_F(MountTrashTest, EmptyEmptiesMountTrashesButNeverThroughALink) {
  const std::string second = mount_tmpfs("second");
  ASSERT_TRUE(write_file(volume_ + "/a", "a"));
  ASSERT_TRUE(write_file(second + "/b", "b"));
  ASSERT_TRUE(write_file(path("c"), "c"));
  ASSERT_EQ(trash({volume_ + "/a", second + "/b", path("c")}).out, "ok 0\n");
  // Mounted twice: still one trash, emptied once.
  const std::string again = root_ / "again";
  ASSERT_TRUE(make_folders(again));
  ASSERT_EQ(::mount(volume_.c_str(), again.c_str(), nullptr, MS_BIND, nullptr), 0);
  mounted_.push_back(again);
  // A trash folder that is a link to precious files must never be emptied through.
  const std::string third = mount_tmpfs("third");
  ASSERT_TRUE(make_folders(third + "/precious/files"));
  ASSERT_TRUE(make_folders(third + "/precious/info"));
  ASSERT_TRUE(write_file(third + "/precious/files/keep", "keep"));
  ASSERT_EQ(::symlink("precious", (third + "/.Trash-" + kUid).c_str()), 0);

  EXPECT_EQ(empty().out, "ok 0\n");
  EXPECT_TRUE(entries(volume_ + "/.Trash-" + kUid).empty());
  EXPECT_TRUE(entries(second + "/.Trash-" + kUid).empty());
  EXPECT_TRUE(record_names(second + "/.Trash-" + kUid).empty());
  EXPECT_TRUE(entries(home_trash()).empty());
  EXPECT_EQ(read_file(third + "/precious/files/keep"), "keep");
  EXPECT_EQ(empty().out, "ok -2147418113\n");
}

}  // namespace
