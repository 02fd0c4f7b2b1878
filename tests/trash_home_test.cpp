// The built dustpan trashing into the home trash, read back as other trash tools read it.
#include <sys/stat.h>
#include <unistd.h>

#include <set>

#include "support/trash_fixture.h"

namespace {

class HomeTrashTest : public TrashTest {};

// Names that break naive record writers: escapes, spaces at the ends, CR, non-ASCII, a
// character above U+FFFF, and a name at the 255-byte limit.
const std::vector<std::string> kAwkwardNames = {
    "plain.txt",
    "with space",
    " leading and trailing ",
    "per%cent+plus&amp;=",
    "carriage\rreturn",
    "d\xC3\xA9j\xC3\xA0 vu",
    "\xE6\x97\xA5\xE6\x9C\xAC",
    "bin \xF0\x9F\x97\x91",
    "#hash?query;semi'quote\"",
    std::string(251, 'n') + ".txt",
};

TEST_F(HomeTrashTest, AwkwardNamesRoundTripThroughTheirRecords) {
  std::vector<std::string> paths;
  for (const std::string& name : kAwkwardNames) {
    ASSERT_TRUE(write_file(path(name), "content of " + name));
    paths.push_back(path(name));
  }
  ASSERT_EQ(::mkdir(path("a folder").c_str(), 0755), 0);
  ASSERT_TRUE(write_file(path("a folder") + "/inside", "x"));
  paths.push_back(path("a folder"));

  const ProcessResult r = trash(paths);
  EXPECT_EQ(r.out, "ok 0\n");
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.status, 0);

  const auto trashed = entries(home_trash());
  ASSERT_EQ(trashed.size(), paths.size());
  std::set<std::string> recorded;
  for (const auto& [name, entry] : trashed) {
    EXPECT_TRUE(is_valid_record(entry.record)) << entry.record;
    recorded.insert(entry.path);
  }
  EXPECT_EQ(recorded, std::set<std::string>(paths.begin(), paths.end()));
  for (const std::string& p : paths) EXPECT_FALSE(exists(p)) << p;
  EXPECT_EQ(read_file(home_trash() + "/files/a folder/inside"), "x");
  // Records are private to the user.
  struct stat st;
  ASSERT_EQ(::stat((home_trash() + "/info/plain.txt.trashinfo").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  ASSERT_EQ(::stat((home_trash() + "/files").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST_F(HomeTrashTest, PeerToolsListAndRestoreWhatWasTrashed) {
  std::vector<std::string> paths;
  for (const std::string& name : kAwkwardNames) {
    if (name.find('\r') != std::string::npos) continue;  // a CR would end trash-list's line
    ASSERT_TRUE(write_file(path(name), "content of " + name));
    paths.push_back(path(name));
  }
  ASSERT_EQ(trash(paths).out, "ok 0\n");
  std::vector<std::string> expected = paths;
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(trash_list(), expected);

  // trash-restore asks which entry to restore; there is exactly one below this path.
  const std::string restored = path("per%cent+plus&amp;=");
  const ProcessResult r = peer({"trash-restore", restored}, "0\n");
  EXPECT_EQ(read_file(restored), "content of per%cent+plus&amp;=") << r.out << r.err;
  EXPECT_FALSE(exists(home_trash() + "/info/per%cent+plus&amp;=.trashinfo"));
}

TEST_F(HomeTrashTest, SameNameFromTwoFoldersKeepsBoth) {
  for (const char* folder : {"one", "two", "three"}) {
    ASSERT_EQ(::mkdir(path(folder).c_str(), 0755), 0);
    ASSERT_TRUE(write_file(path(folder) + "/report.txt", folder));
  }
  // A leftover in files/ with no record is never replaced.
  ASSERT_TRUE(make_folders(home_trash() + "/files"));
  ASSERT_TRUE(write_file(home_trash() + "/files/report.txt.2", "leftover"));

  const ProcessResult r =
      trash({path("one/report.txt"), path("two/report.txt"), path("three/report.txt")});
  EXPECT_EQ(r.out, "ok 0\n");
  const auto trashed = entries(home_trash());
  ASSERT_EQ(trashed.size(), 4u);
  EXPECT_EQ(read_file(home_trash() + "/files/report.txt.2"), "leftover");
  std::set<std::string> contents;
  for (const auto& [name, entry] : trashed) {
    if (name == "report.txt.2") continue;
    EXPECT_TRUE(is_valid_record(entry.record)) << name;
    contents.insert(read_file(home_trash() + "/files/" + name) + "@" + entry.path);
  }
  EXPECT_EQ(contents,
            (std::set<std::string>{"one@" + path("one/report.txt"), "two@" + path("two/report.txt"),
                                   "three@" + path("three/report.txt")}));
}

TEST_F(HomeTrashTest, ExistingRecordWithTheSameNameIsNeverOverwritten) {
  // A record whose item is gone (another tool's, or a run stopped between its two steps).
  ASSERT_TRUE(make_folders(home_trash() + "/info"));
  const std::string old_record = "[Trash Info]\nPath=/old/x\nDeletionDate=2020-01-01T00:00:00\n";
  ASSERT_TRUE(write_file(home_trash() + "/info/x.trashinfo", old_record));
  ASSERT_TRUE(write_file(path("x"), "new"));
  EXPECT_EQ(trash({path("x")}).out, "ok 0\n");
  EXPECT_EQ(read_file(home_trash() + "/info/x.trashinfo"), old_record);
  EXPECT_EQ(entries(home_trash()).at("x.2").path, path("x"));
}

TEST_F(HomeTrashTest, ConcurrentRunsWithTheSameNamesKeepEverything) {
  constexpr int kPerRun = 150;
  std::string lists[2];
  for (int run = 0; run < 2; ++run) {
    for (int i = 0; i < kPerRun; ++i) {
      const std::string folder = path("r" + std::to_string(run) + "_" + std::to_string(i));
      ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
      ASSERT_TRUE(write_file(folder + "/same", folder));
      lists[run] += folder + "/same\n";
    }
    ASSERT_TRUE(write_file(root_ / ("list" + std::to_string(run)), lists[run]));
  }
  const ProcessResult r =
      run_process({"sh", "-c", "\"$0\" trash \"$1\" & \"$0\" trash \"$2\" & wait", DUSTPAN_BINARY,
                   root_ / "list0", root_ / "list1"},
                  test_environment(home()), work());
  EXPECT_EQ(r.out, "ok 0\nok 0\n");
  const auto trashed = entries(home_trash());
  ASSERT_EQ(trashed.size(), 2u * kPerRun);
  std::set<std::string> origins;
  for (const auto& [name, entry] : trashed) {
    EXPECT_TRUE(is_valid_record(entry.record)) << name;
    EXPECT_EQ(read_file(home_trash() + "/files/" + name),
              entry.path.substr(0, entry.path.size() - 5));
    origins.insert(entry.path);
  }
  EXPECT_EQ(origins.size(), 2u * kPerRun);
  EXPECT_EQ(record_names(home_trash()).size(), 2u * kPerRun);
}

TEST_F(HomeTrashTest, SymbolicLinkIsTrashedNotWhatItPointsTo) {
  ASSERT_EQ(::mkdir(path("target").c_str(), 0755), 0);
  ASSERT_TRUE(write_file(path("target/keep.txt"), "keep"));
  ASSERT_EQ(::symlink("target", path("link").c_str()), 0);
  ASSERT_EQ(::symlink("target", path("slash-link").c_str()), 0);
  ASSERT_EQ(::symlink("nowhere", path("dangling").c_str()), 0);

  // "slash-link/" names the link, not the folder it leads to.
  const ProcessResult r = trash({path("link"), path("slash-link") + "/", "dangling"});
  EXPECT_EQ(r.out, "ok 0\n");
  EXPECT_FALSE(exists(path("link")));
  EXPECT_FALSE(exists(path("slash-link")));
  EXPECT_FALSE(exists(path("dangling")));
  char target[64] = {};
  ASSERT_GT(::readlink((home_trash() + "/files/link").c_str(), target, sizeof target - 1), 0);
  EXPECT_STREQ(target, "target");
  EXPECT_EQ(entries(home_trash())["dangling"].path, path("dangling"));

  // Emptying removes the links and leaves the folder they pointed to alone.
  EXPECT_EQ(empty().out, "ok 0\n");
  EXPECT_EQ(read_file(path("target/keep.txt")), "keep");
  EXPECT_TRUE(entries(home_trash()).empty());
}

TEST_F(HomeTrashTest, RelativePathsAreRecordedAbsolute) {
  ASSERT_EQ(::mkdir(path("sub").c_str(), 0755), 0);
  ASSERT_TRUE(write_file(path("sub/a"), "a"));
  ASSERT_TRUE(write_file(path("b"), "b"));
  ASSERT_TRUE(write_file(path("c"), "c"));
  EXPECT_EQ(trash({"sub/a", "./b", "sub/../c"}).out, "ok 0\n");
  auto trashed = entries(home_trash());
  EXPECT_EQ(trashed["a"].path, path("sub/a"));
  EXPECT_EQ(trashed["b"].path, path("b"));
  EXPECT_EQ(trashed["c"].path, path("c"));
}

TEST_F(HomeTrashTest, MissingItemFailsButTheOthersAreTrashed) {
  ASSERT_TRUE(write_file(path("first"), "1"));
  ASSERT_TRUE(write_file(path("last"), "2"));
  const ProcessResult r = trash({path("first"), path("missing"), path("last")});
  EXPECT_EQ(r.out, "error 2\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(entries(home_trash()).size(), 2u);
  EXPECT_EQ(record_names(home_trash()).size(), 2u);
}

TEST_F(HomeTrashTest, MissingItemCreatesNoTrash) {
  const ProcessResult r = trash({path("missing")});
  EXPECT_EQ(r.out, "error 2\n");
  EXPECT_FALSE(exists(home_trash()));
}

struct RefusalCase {
  const char* label;
  std::string (*path)(const TrashTest&);
  const char* line;
};

class RefusalTest : public HomeTrashTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(RefusalTest, LeavesTheItemAndTheTrashAlone) {
  ASSERT_TRUE(write_file(path("bystander"), "b"));
  ASSERT_EQ(trash({path("bystander")}).out, "ok 0\n");  // the trash now exists
  const std::string refused = GetParam().path(*this);
  const ProcessResult r = trash({refused});
  EXPECT_EQ(r.out, GetParam().line);
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(exists(refused));
  EXPECT_EQ(read_file(home_trash() + "/files/bystander"), "b");
  EXPECT_EQ(record_names(home_trash()), std::vector<std::string>{"bystander.trashinfo"});
}

INSTANTIATE_TEST_SUITE_P(
    Items, RefusalTest,
    ::testing::Values(
        RefusalCase{"root", [](const TrashTest&) { return std::string("/"); }, "error 5\n"},
        RefusalCase{"the_trash", [](const TrashTest& fixture) { return fixture.home_trash(); },
                    "error 5\n"},
        RefusalCase{"the_trash_with_slash",
                    [](const TrashTest& fixture) { return fixture.home_trash() + "//"; },
                    "error 5\n"},
        RefusalCase{"folder_holding_it",
                    [](const TrashTest& fixture) { return fixture.data_home(); }, "error 5\n"},
        RefusalCase{"home", [](const TrashTest& fixture) { return fixture.home(); }, "error 5\n"},
        RefusalCase{"its_files_folder",
                    [](const TrashTest& fixture) { return fixture.home_trash() + "/files"; },
                    "error 5\n"},
        RefusalCase{"a_record",
                    [](const TrashTest& fixture) {
                      return fixture.home_trash() + "/info/bystander.trashinfo";
                    },
                    "error 5\n"},
        RefusalCase{"dot", [](const TrashTest& fixture) { return fixture.path("."); },
                    "error 123\n"},
        RefusalCase{"dot_dot", [](const TrashTest& fixture) { return fixture.work() + "/.."; },
                    "error 123\n"}),
    [](const ::testing::TestParamInfo<RefusalCase>& row) { return row.param.label; });

TEST_F(HomeTrashTest, ItemOnAFileSystemWithoutTrashIsLeftAndAborted) {
  ASSERT_TRUE(write_file(path("ordinary"), "o"));
  // /proc is a kernel file system: it never gets a trash folder.
  const ProcessResult r = trash({path("ordinary"), "/proc/version"});
  EXPECT_EQ(r.out, "ok 0 aborted\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(exists("/proc/version"));
  EXPECT_FALSE(exists("/proc/.Trash-" + std::to_string(::geteuid())));
  EXPECT_EQ(entries(home_trash()).size(), 1u);
}

TEST_F(HomeTrashTest, RelativeDataHomeIsIgnored) {
  ASSERT_TRUE(write_file(path("x"), "x"));
  const std::string list = root_ / "list.txt";
  ASSERT_TRUE(write_file(list, path("x") + "\n"));
  std::vector<std::string> env = test_environment(home());
  for (auto& v : env) {
    if (v.rfind("XDG_DATA_HOME=", 0) == 0) v = "XDG_DATA_HOME=relative/data";
  }
  const ProcessResult r = run_process({DUSTPAN_BINARY, "trash", list}, env, work());
  EXPECT_EQ(r.out, "ok 0\n");
  EXPECT_TRUE(exists(home_trash() + "/files/x"));
  EXPECT_FALSE(exists(work() + "/relative"));
}

}  // namespace
