#include "dispatch.h"

#include "fake_test_support.h"
#include "support/label_name.h"

namespace {

enum class Ran { kNothing, kEmpty, kTrash };

struct DispatchCase {
  const char* label;
  Arguments args;
  Ran ran;
};

class DispatchTest : public FakePlatformTest, public ::testing::WithParamInterface<DispatchCase> {};

TEST_P(DispatchTest, ChoosesTheCommandOrReportsUsage) {
  const DispatchCase& c = GetParam();
  // A list file for the trash cases; the shell is not asked to do anything real.
  fake().files[u"list.txt"] = "a\n";
  const int status = dustpan::dispatch(c.args.argc(), c.args.argv());
  switch (c.ran) {
    case Ran::kNothing:
      EXPECT_EQ(fake().output, "error usage\n");
      EXPECT_EQ(status, 64);
      // A usage error touches no platform service beyond the one line it prints.
      EXPECT_EQ(fake().calls, std::vector<std::string>{"write_status_line"});
      break;
    case Ran::kEmpty:
      EXPECT_EQ(fake().output, "ok 0\n");
      EXPECT_EQ(status, 0);
      EXPECT_EQ(fake().count("SHEmptyRecycleBinW"), 1);
      EXPECT_EQ(fake().count("CreateFileW"), 0);
      break;
    case Ran::kTrash:
      EXPECT_EQ(fake().output, "ok 0\n");
      EXPECT_EQ(status, 0);
      EXPECT_EQ(fake().count("SHFileOperationW"), 1);
      ASSERT_EQ(fake().creates.size(), 1u);
      EXPECT_EQ(fake().creates[0].name, u"list.txt");
      EXPECT_EQ(fake().count("SHEmptyRecycleBinW"), 0);
      break;
  }
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, DispatchTest,
    ::testing::Values(
        DispatchCase{"no_arguments", Arguments{u"dustpan"}, Ran::kNothing},
        DispatchCase{"no_vector_at_all", Arguments{}, Ran::kNothing},
        DispatchCase{"trash_alone", Arguments{u"dustpan", u"trash"}, Ran::kNothing},
        DispatchCase{"empty", Arguments{u"dustpan", u"empty"}, Ran::kEmpty},
        DispatchCase{"empty_with_extras", Arguments{u"dustpan", u"empty", u"x", u"y", u"z"},
                     Ran::kEmpty},
        DispatchCase{"empty_capitalised", Arguments{u"dustpan", u"Empty"}, Ran::kNothing},
        DispatchCase{"trash_upper_case", Arguments{u"dustpan", u"TRASH", u"list.txt"},
                     Ran::kNothing},
        DispatchCase{"leading_space", Arguments{u"dustpan", u" empty"}, Ran::kNothing},
        DispatchCase{"trailing_space", Arguments{u"dustpan", u"empty "}, Ran::kNothing},
        DispatchCase{"abbreviation", Arguments{u"dustpan", u"emp"}, Ran::kNothing},
        DispatchCase{"other_word_two_args", Arguments{u"dustpan", u"move", u"a", u"b"},
                     Ran::kNothing},
        DispatchCase{"empty_word_arg", Arguments{u"dustpan", u"", u"list.txt"}, Ran::kNothing},
        DispatchCase{"trash_with_list", Arguments{u"dustpan", u"trash", u"list.txt"}, Ran::kTrash},
        DispatchCase{"trash_list_owner_extras",
                     Arguments{u"dustpan", u"trash", u"list.txt", u"0", u"more", u"args"},
                     Ran::kTrash}),
    LabelName());

}  // namespace
