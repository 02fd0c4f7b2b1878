// The built dustpan emptying the home trash, whoever filled it.
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/trash_fixture.h"

namespace {

class EmptyTest : public TrashTest {};

TEST_F(EmptyTest, EmptiesWhatDustpanAndItsPeersTrashed) {
  ASSERT_TRUE(write_file(path("ours"), "1"));
  ASSERT_TRUE(make_folders(path("tree/deep/er")));
  ASSERT_TRUE(write_file(path("tree/deep/er/leaf"), "2"));
  ASSERT_EQ(trash({path("ours"), path("tree")}).out, "ok 0\n");
  ASSERT_TRUE(write_file(path("by gio"), "3"));
  ASSERT_TRUE(write_file(path("by trash-put"), "4"));
  const ProcessResult gio = peer({"gio", "trash", path("by gio")});
  ASSERT_EQ(gio.status, 0) << gio.err;
  const ProcessResult put = peer({"trash-put", path("by trash-put")});
  ASSERT_EQ(put.status, 0) << put.err;
  ASSERT_EQ(entries(home_trash()).size(), 4u);

  const ProcessResult r = empty();
  EXPECT_EQ(r.out, "ok 0\n");
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(entries(home_trash()).empty());
  EXPECT_TRUE(record_names(home_trash()).empty());

  const ProcessResult again = empty();
  EXPECT_EQ(again.out, "ok -2147418113\n");
  EXPECT_EQ(again.status, 0);
}

TEST_F(EmptyTest, EmptiesFoldersWithoutPermissions) {
  ASSERT_TRUE(make_folders(path("locked/inner")));
  ASSERT_TRUE(write_file(path("locked/inner/file"), "x"));
  ASSERT_EQ(trash({path("locked")}).out, "ok 0\n");
  ASSERT_EQ(::chmod((home_trash() + "/files/locked/inner").c_str(), 0), 0);
  ASSERT_EQ(::chmod((home_trash() + "/files/locked").c_str(), 0500), 0);
  EXPECT_EQ(empty().out, "ok 0\n");
  EXPECT_FALSE(exists(home_trash() + "/files/locked"));
  EXPECT_TRUE(record_names(home_trash()).empty());
}

TEST_F(EmptyTest, RemovesOrphansLeftoversAndTheSizeCache) {
  ASSERT_TRUE(make_folders(home_trash() + "/files"));
  ASSERT_TRUE(make_folders(home_trash() + "/info"));
  // A record whose item is gone (a run killed between the two steps), an item with no
  // record, and the cache of folder sizes.
  ASSERT_TRUE(write_file(home_trash() + "/info/gone.trashinfo",
                         "[Trash Info]\nPath=/x/gone\nDeletionDate=2026-01-01T00:00:00\n"));
  ASSERT_TRUE(write_file(home_trash() + "/info/half.trashinfo", ""));
  ASSERT_TRUE(write_file(home_trash() + "/files/unrecorded", "u"));
  ASSERT_TRUE(write_file(home_trash() + "/directorysizes", "1 2 x\n"));
  EXPECT_EQ(empty().out, "ok 0\n");
  EXPECT_TRUE(record_names(home_trash()).empty());
  EXPECT_TRUE(entries(home_trash()).empty());
  EXPECT_FALSE(exists(home_trash() + "/directorysizes"));
}

TEST_F(EmptyTest, NoTrashAtAllIsAlreadyEmpty) {
  const ProcessResult r = empty();
  EXPECT_EQ(r.out, "ok -2147418113\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_FALSE(exists(home_trash()));
}

TEST_F(EmptyTest, TrashFolderThatIsALinkIsNeverEmptiedThrough) {
  ASSERT_TRUE(make_folders(path("precious/files")));
  ASSERT_TRUE(make_folders(path("precious/info")));
  ASSERT_TRUE(write_file(path("precious/files/keep"), "keep"));
  ASSERT_TRUE(make_folders(data_home()));
  ASSERT_EQ(::symlink(path("precious").c_str(), home_trash().c_str()), 0);
  EXPECT_EQ(empty().out, "ok -2147418113\n");
  EXPECT_EQ(read_file(path("precious/files/keep")), "keep");
}

class EmptyMountTest : public MountedTrashTest {};

TEST_F(EmptyMountTest, NeverLeavesTheTrashsFileSystemAndKeepsThatRecord) {
  // Something mounted inside the trash is not the trash's to delete: the entry and its record
  // stay, the rest is emptied, and the failure is reported.
  ASSERT_TRUE(write_file(path("a"), "a"));
  ASSERT_TRUE(make_folders(path("b")));
  ASSERT_EQ(trash({path("a"), path("b")}).out, "ok 0\n");
  const std::string outside = mount_tmpfs("outside");
  ASSERT_TRUE(write_file(outside + "/precious", "p"));
  ASSERT_EQ(
      ::mount(outside.c_str(), (home_trash() + "/files/b").c_str(), nullptr, MS_BIND, nullptr), 0);
  mounted_.push_back(home_trash() + "/files/b");
  const ProcessResult r = empty();
  EXPECT_EQ(r.out, "error -2147024879\n");  // HRESULT_FROM_WIN32(ERROR_NOT_SAME_DEVICE)
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(read_file(outside + "/precious"), "p");
  EXPECT_FALSE(exists(home_trash() + "/files/a"));
  EXPECT_EQ(record_names(home_trash()), std::vector<std::string>{"b.trashinfo"});
}

}  // namespace
