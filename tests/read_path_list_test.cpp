#include "pathlist/read_path_list.h"

#include "fake_test_support.h"
#include "support/label_name.h"

namespace {

using namespace std::string_literals;

// The whole PathList buffer as a string: the paths, their terminators and the closing one.
std::u16string whole_buffer(const dustpan::PathList& list) {
  std::size_t i = 0;
  const char16_t* p = list.buffer.get();
  while (!(p[i] == u'\0' && (i == 0 || p[i - 1] == u'\0'))) ++i;
  return std::u16string(p, i + 1);
}

struct SplitCase {
  const char* label;
  std::string file;
  std::u16string buffer;  // expected, terminators included
  std::size_t count;
};

class SplitTest : public FakePlatformTest, public ::testing::WithParamInterface<SplitCase> {};

TEST_P(SplitTest, GivesTheExactBuffer) {
  const SplitCase& c = GetParam();
  fake().files[u"list"] = c.file;
  dustpan::PathList list;
  ASSERT_TRUE(dustpan::read_path_list(u"list", &list));
  EXPECT_EQ(list.count, c.count);
  EXPECT_EQ(whole_buffer(list), c.buffer);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, SplitTest,
    ::testing::Values(
        SplitCase{"empty_file", "", u"\0"s, 0}, SplitCase{"lf", "a\nb", u"a\0b\0\0"s, 2},
        SplitCase{"crlf", "a\r\nb\r\n", u"a\0b\0\0"s, 2},
        SplitCase{"blank_lines_first", "\n\na", u"a\0\0"s, 1},
        SplitCase{"cr_at_end_of_file", "a\r", u"a\0\0"s, 1}, SplitCase{"only_cr", "\r", u"\0"s, 0},
        SplitCase{"only_crlf", "\r\n", u"\0"s, 0},
        SplitCase{"only_blank_lines", "\n\r\n\n", u"\0"s, 0},
        SplitCase{"cr_inside", "a\rb\n", u"a\rb\0\0"s, 1},
        SplitCase{"one_cr_dropped", "a\r\r\n", u"a\r\0\0"s, 1},
        SplitCase{"spaces_kept", " a \n", u" a \0\0"s, 1},
        SplitCase{"tabs_and_quotes_kept", "\t\"a b\"\t\n", u"\t\"a b\"\t\0\0"s, 1},
        SplitCase{"byte_order_mark_kept",
                  "\xEF\xBB\xBF"
                  "a",
                  u"\uFEFFa\0\0"s, 1},
        SplitCase{"non_ascii", "C:\\d\xC3\xA9j\xC3\xA0\n\xE6\x97\xA5",
                  u"C:\\d\u00E9j\u00E0\0\u65E5\0\0"s, 2},
        SplitCase{"above_bmp", "\xF0\x9F\x97\x91.txt", u"\U0001F5D1.txt\0\0"s, 1},
        SplitCase{"ill_formed_kept_as_replacement", "a\xFF\n", u"a\uFFFD\0\0"s, 1},
        SplitCase{"duplicates_and_relative_kept", "x\n..\\y\nx", u"x\0..\\y\0x\0\0"s, 3}),
    LabelName());

class ReadPathListTest : public FakePlatformTest {};

TEST_F(ReadPathListTest, UsesTheFileServicesAsTheShellExpects) {
  fake().files[u"C:\\lists\\a.txt"] = "one\ntwo\n";
  dustpan::PathList list;
  ASSERT_TRUE(dustpan::read_path_list(u"C:\\lists\\a.txt", &list));

  ASSERT_EQ(fake().creates.size(), 1u);
  const fake::CreateFileCall& open = fake().creates[0];
  EXPECT_EQ(open.name, u"C:\\lists\\a.txt");
  EXPECT_EQ(open.access, 0x80000000u);
  EXPECT_EQ(open.share, 1u);
  EXPECT_EQ(open.security, nullptr);
  EXPECT_EQ(open.disposition, 3u);
  EXPECT_EQ(open.flags, 0u);
  EXPECT_EQ(open.template_file, nullptr);

  ASSERT_EQ(fake().reads.size(), 1u);
  EXPECT_EQ(fake().reads[0].to_read, 8u);
  EXPECT_TRUE(fake().reads[0].overlapped_null);

  // Measure, then convert into exactly the measured room.
  ASSERT_EQ(fake().converts.size(), 2u);
  EXPECT_EQ(fake().converts[0].code_page, 65001u);
  EXPECT_EQ(fake().converts[0].flags, 0u);
  EXPECT_EQ(fake().converts[0].byte_count, 8);
  EXPECT_FALSE(fake().converts[0].has_output);
  EXPECT_TRUE(fake().converts[1].has_output);
  EXPECT_EQ(fake().converts[1].out_count, 8);

  // One read, the handle closed straight after it, and the bytes freed before the list buffer
  // is allocated.
  const std::vector<std::string> expected = {"CreateFileW", "GetFileSizeEx",
                                             "malloc",      "ReadFile",
                                             "CloseHandle", "MultiByteToWideChar",
                                             "calloc",      "MultiByteToWideChar",
                                             "free",        "calloc",
                                             "free"};
  EXPECT_EQ(fake().calls, expected);
  EXPECT_EQ(fake().open_handles, 0);
  list.buffer.reset();
  EXPECT_EQ(fake().live_blocks, 0);
}

// A fault is injected at one step; each case says how far the read gets and whether it
// survives.
struct FaultCase {
  const char* label;
  void (*inject)(fake::State&);
  bool opened;      // the handle was opened, so it must be closed exactly once
  bool read_tried;  // the file was read (after a good size and byte buffer)
  bool succeeds;
  std::size_t count;  // paths when it succeeds
};

class ReadFaultTest : public FakePlatformTest, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(ReadFaultTest, CleansUpOnEveryPath) {
  const FaultCase& c = GetParam();
  fake().files[u"list"] = "alpha\nbeta\ngamma\n";
  c.inject(fake());
  {
    dustpan::PathList list;
    EXPECT_EQ(dustpan::read_path_list(u"list", &list), c.succeeds);
    if (c.succeeds) {
      EXPECT_EQ(list.count, c.count);
    } else {
      EXPECT_EQ(list.buffer, nullptr);
    }
  }
  EXPECT_EQ(fake().closes, c.opened ? 1 : 0);
  EXPECT_EQ(fake().open_handles, 0);
  EXPECT_EQ(fake().count("ReadFile"), c.read_tried ? 1 : 0);
  EXPECT_EQ(fake().live_blocks, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, ReadFaultTest,
    ::testing::Values(
        FaultCase{"open_fails", [](fake::State& s) { s.fail_create = true; }, false, false, false,
                  0},
        FaultCase{"missing_file", [](fake::State& s) { s.files.clear(); }, false, false, false, 0},
        FaultCase{"size_fails", [](fake::State& s) { s.fail_size = true; }, true, false, false, 0},
        // 4 GiB + 6 bytes: its low 32 bits say 6, and a cut-short list would be trashed.
        FaultCase{"size_4_gib_and_more", [](fake::State& s) { s.reported_size = (1ll << 32) + 6; },
                  true, false, false, 0},
        FaultCase{"size_2_gib", [](fake::State& s) { s.reported_size = 1ll << 31; }, true, false,
                  false, 0},
        FaultCase{"byte_buffer_allocation", [](fake::State& s) { s.fail_allocation = 1; }, true,
                  false, false, 0},
        FaultCase{"read_fails", [](fake::State& s) { s.fail_read = true; }, true, true, false, 0},
        FaultCase{"text_allocation", [](fake::State& s) { s.fail_allocation = 2; }, true, true,
                  false, 0},
        FaultCase{"list_allocation", [](fake::State& s) { s.fail_allocation = 3; }, true, true,
                  false, 0},
        // Fewer bytes than the size said: only what was read counts ("alpha\nbe").
        FaultCase{"short_read", [](fake::State& s) { s.read_limit = 8; }, true, true, true, 2},
        FaultCase{"conversion_fails", [](fake::State& s) { s.fail_convert = true; }, true, true,
                  true, 0},
        // A zero byte would end the shell's path early ("C:\work\project" would go) or end the
        // whole list at that line.
        FaultCase{
            "zero_byte_inside_a_path",
            [](fake::State& s) { s.files[u"list"] = std::string("C:\\work\\project\0.bak\n", 21); },
            true, true, false, 0},
        FaultCase{"zero_byte_starting_a_line",
                  [](fake::State& s) { s.files[u"list"] = std::string("a\n\0b\nc\n", 7); }, true,
                  true, false, 0}),
    LabelName());

}  // namespace
