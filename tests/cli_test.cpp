// End-to-end runs of the built dustpan: what a calling program sees on the wire.
#include <gtest/gtest.h>

#include "support/label_name.h"

#include "support/process.h"
#include "support/temp_dir.h"

namespace {

struct UsageCase {
  const char* label;
  std::vector<std::string> args;
};

class UsageTest : public ::testing::TestWithParam<UsageCase> {};

TEST_P(UsageTest, PrintsOneLineAndExits64) {
  TempDir home;
  const ProcessResult r = run_dustpan(GetParam().args, home.path());
  EXPECT_EQ(r.out, "error usage\n");
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.status, 64);
}

INSTANTIATE_TEST_SUITE_P(CommandLines, UsageTest,
                         ::testing::Values(UsageCase{"none", {}},
                                           UsageCase{"trash_alone", {"trash"}},
                                           UsageCase{"upper_case", {"EMPTY"}},
                                           UsageCase{"unknown", {"--version"}},
                                           UsageCase{"other_word", {"move", "a", "b"}}),
                         LabelName());

TEST(CliTest, UnreadableListIsOneReadErrorLine) {
  TempDir home;
  const ProcessResult r = run_dustpan({"trash", home / "no-such-list", "123"}, home.path());
  EXPECT_EQ(r.out, "error read\n");
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.status, 2);
}

TEST(CliTest, ListWithNoPathIsOkZero) {
  TempDir home;
  ASSERT_TRUE(write_file(home / "list", "\r\n\n"));
  const ProcessResult r = run_dustpan({"trash", home / "list"}, home.path());
  EXPECT_EQ(r.out, "ok 0\n");
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.status, 0);
}

}  // namespace
