// The pure parts of the POSIX trash: record text, path splitting, names, the mount table.
#include <fcntl.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/posix/item_path.h"
#include "platform/posix/mount_table.h"
#include "platform/posix/trash_names.h"
#include "platform/posix/trash_record.h"
#include "support/fault_injection.h"
#include "support/label_name.h"
#include "support/temp_dir.h"

namespace {

using namespace platform::posix;

TEST(RecordTest, EscapesEverythingButUnreservedBytes) {
  EXPECT_EQ(escape_record_path("/home/u/A-Za-z0-9-._~/x"), "/home/u/A-Za-z0-9-._~/x");
  EXPECT_EQ(escape_record_path("/a b+c%d&e=f?g#h"), "/a%20b%2Bc%25d%26e%3Df%3Fg%23h");
  EXPECT_EQ(escape_record_path("cr\rlf\nnul"), "cr%0Dlf%0Anul");
  EXPECT_EQ(escape_record_path("d\xC3\xA9j\xF0\x9F\x97\x91"), "d%C3%A9j%F0%9F%97%91");
}

TEST(RecordTest, HasExactlyTheThreeLines) {
  EXPECT_EQ(trash_info("/a%20b", "2026-12-11T15:04:05"),
            "[Trash Info]\nPath=/a%20b\nDeletionDate=2026-12-11T15:04:05\n");
  ::setenv("TZ", "UTC", 1);
  ::tzset();
  EXPECT_EQ(deletion_date(0), "1970-01-01T00:00:00");
}

struct SplitCase {
  const char* label;
  std::string path;
  ItemPathVerdict verdict;
  std::string folder;
  std::string name;
};

class SplitItemPathTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitItemPathTest, SplitsOrRefuses) {
  const SplitCase& c = GetParam();
  ItemPath item;
  ASSERT_EQ(split_item_path(c.path, &item), c.verdict);
  if (c.verdict != ItemPathVerdict::kOk) return;
  EXPECT_EQ(item.folder, c.folder);
  EXPECT_EQ(item.name, c.name);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, SplitItemPathTest,
    ::testing::Values(SplitCase{"bare_name", "a", ItemPathVerdict::kOk, ".", "a"},
                      SplitCase{"in_root", "/a", ItemPathVerdict::kOk, "/", "a"},
                      SplitCase{"nested", "x/y/z", ItemPathVerdict::kOk, "x/y", "z"},
                      SplitCase{"trailing_slashes", "/x/link//", ItemPathVerdict::kOk, "/x",
                                "link"},
                      SplitCase{"spaces_kept", " a/ b ", ItemPathVerdict::kOk, " a", " b "},
                      SplitCase{"root", "/", ItemPathVerdict::kRoot, "", ""},
                      SplitCase{"root_slashes", "///", ItemPathVerdict::kRoot, "", ""},
                      SplitCase{"dot", "x/.", ItemPathVerdict::kDotName, "", ""},
                      SplitCase{"dot_dot", "..", ItemPathVerdict::kDotName, "", ""},
                      SplitCase{"dot_dot_slash", "x/../", ItemPathVerdict::kDotName, "", ""}),
    LabelName());

TEST(PathBelowTest, GivesThePartBelowTheMountPoint) {
  std::string relative;
  EXPECT_TRUE(path_below("/mnt/usb/a/b", "/mnt/usb", &relative));
  EXPECT_EQ(relative, "a/b");
  EXPECT_TRUE(path_below("/a", "/", &relative));
  EXPECT_EQ(relative, "a");
  EXPECT_FALSE(path_below("/mnt/usb2/a", "/mnt/usb", &relative));
  EXPECT_FALSE(path_below("/mnt/usb", "/mnt/usb", &relative));
}

struct CandidateCase {
  const char* label;
  std::string name;
  std::uint32_t number;
  unsigned name_max;
  std::string expected;
};

class CandidateTest : public ::testing::TestWithParam<CandidateCase> {};

TEST_P(CandidateTest, FitsTheNameLimitOnACharacterBoundary) {
  const CandidateCase& c = GetParam();
  const std::string candidate = TrashNames(c.name_max).candidate(c.name, c.number);
  EXPECT_EQ(candidate, c.expected);
  EXPECT_LE(candidate.size() + 10, c.name_max);  // with ".trashinfo"
}

const std::string kSun = "\xE6\x97\xA5";  // three bytes
std::string repeat(const std::string& unit, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += unit;
  return out;
}

INSTANTIATE_TEST_SUITE_P(
    Names, CandidateTest,
    ::testing::Values(CandidateCase{"own_name", "report.txt", 1, 255, "report.txt"},
                      CandidateCase{"suffixed", "report.txt", 12, 255, "report.txt.12"},
                      CandidateCase{"longest_ascii", std::string(255, 'a'), 1, 255,
                                    std::string(245, 'a')},
                      CandidateCase{"longest_ascii_suffixed", std::string(255, 'a'), 12, 255,
                                    std::string(242, 'a') + ".12"},
                      // 245 bytes would split the 82nd character: cut to 81 whole characters.
                      CandidateCase{"multibyte", repeat(kSun, 85), 1, 255, repeat(kSun, 81)},
                      CandidateCase{"four_byte", repeat("\xF0\x9F\x97\x91", 63), 2, 255,
                                    repeat("\xF0\x9F\x97\x91", 60) + ".2"}),
    LabelName());

class TrashNamesTest : public ::testing::Test {
 protected:
  void SetUp() override { fd_ = ::open(info_.path().c_str(), O_RDONLY | O_DIRECTORY); }
  void TearDown() override { ::close(fd_); }
  void make_records(const std::string& name, std::uint32_t from, std::uint32_t to) {
    for (std::uint32_t n = from; n <= to; ++n) {
      ASSERT_TRUE(
          write_file(info_ / (n == 1 ? name : name + "." + std::to_string(n)) + ".trashinfo", ""));
    }
  }
  TempDir info_;
  int fd_ = -1;
};

TEST_F(TrashNamesTest, FindsAFreeSuffixWithAFewProbesThenStepsByOne) {
  make_records("report", 1, 1000);  // report, report.2 ... report.1000
  TrashNames names(255);
  EXPECT_EQ(names.first_try("report"), 1u);  // nothing is known before a collision
  long probes = 0;
  {
    fault::Injection counting({});
    EXPECT_EQ(names.after_collision("report", 1, fd_), 1001u);
    probes = counting.calls();
  }
  EXPECT_LE(probes, 25);  // gallop and bisect, not one probe per record
  names.taken("report", 1001);
  EXPECT_EQ(names.first_try("report"), 1002u);
  // Taken meanwhile by a concurrent run: one step further, with no probing.
  {
    fault::Injection counting({});
    EXPECT_EQ(names.after_collision("report", 1002, fd_), 1003u);
    EXPECT_EQ(counting.calls(), 0);
  }
}

TEST_F(TrashNamesTest, AHoleIsFineAndOtherNamesAreUntouched) {
  make_records("a", 1, 2);
  make_records("a", 7, 7);  // a.3 to a.6 were restored or emptied
  make_records("a.2", 1, 1);
  TrashNames names(255);
  const std::uint32_t next = names.after_collision("a", 1, fd_);
  EXPECT_FALSE(exists(info_ / ("a." + std::to_string(next) + ".trashinfo")));
  EXPECT_GE(next, 3u);
  EXPECT_EQ(names.after_collision("b", 1, fd_), 2u);  // b collided but has no suffixes yet
  EXPECT_EQ(names.first_try("a.2"), 1u);
}

TEST(MountTableTest, ParsesMountinfoLines) {
  const auto mounts = parse_mount_table(
      "21 27 0:20 / /proc rw,relatime - proc proc rw\n"
      "27 1 254:3 / / rw,relatime shared:1 master:2 - ext4 /dev/vda rw\n"
      "40 27 0:40 /sub /mnt/my\\040disk\\134x rw - tmpfs none rw\n"
      "garbage line\n");
  ASSERT_EQ(mounts.size(), 3u);
  EXPECT_EQ(mounts[0].id, 21u);
  EXPECT_EQ(mounts[0].fs_type, "proc");
  EXPECT_TRUE(is_pseudo_file_system(mounts[0].fs_type));
  EXPECT_EQ(mounts[1].device, makedev(254, 3));
  EXPECT_EQ(mounts[1].fs_type, "ext4");
  EXPECT_EQ(mounts[1].mount_point, "/");
  EXPECT_FALSE(is_pseudo_file_system(mounts[1].fs_type));
  EXPECT_EQ(mounts[2].mount_point, "/mnt/my disk\\x");
  EXPECT_FALSE(is_pseudo_file_system(mounts[2].fs_type));  // tmpfs holds real files
  EXPECT_EQ(find_mount(mounts, 40), &mounts[2]);
  EXPECT_EQ(find_mount(mounts, 99), nullptr);
}

}  // namespace
