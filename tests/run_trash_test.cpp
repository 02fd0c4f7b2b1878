#include "run_trash.h"

#include "fake_test_support.h"
#include "support/label_name.h"

namespace {

using namespace std::string_literals;

class RunTrashTest : public FakePlatformTest {
 protected:
  int trash(std::initializer_list<std::u16string> extra = {}) {
    Arguments args = {u"dustpan", u"trash", u"list"};
    for (const auto& word : extra) args.add(word);
    return dustpan::run_trash(args.argc(), args.argv());
  }
};

TEST_F(RunTrashTest, SendsOneRequestForTheWholeList) {
  fake().files[u"list"] = "C:\\a.txt\r\nC:\\b c\\d\r\n\\\\server\\share\\e\r\n";
  EXPECT_EQ(trash(), 0);
  EXPECT_EQ(fake().output, "ok 0\n");
  ASSERT_EQ(fake().shell_calls.size(), 1u);
  const fake::ShellCall& call = fake().shell_calls[0];
  EXPECT_EQ(call.from, u"C:\\a.txt\0C:\\b c\\d\0\\\\server\\share\\e\0\0"s);
  EXPECT_EQ(call.request.hwnd, nullptr);
  EXPECT_EQ(call.request.wFunc, 3u);
  EXPECT_EQ(call.request.pTo, nullptr);
  EXPECT_EQ(call.request.fFlags, 0x4054);
  EXPECT_EQ(call.request.fAnyOperationsAborted, 0);
  EXPECT_EQ(call.request.hNameMappings, nullptr);
  EXPECT_EQ(call.request.lpszProgressTitle, nullptr);
  // With three arguments there is no owner to check.
  EXPECT_EQ(fake().count("_wcstoui64"), 0);
  EXPECT_EQ(fake().count("IsWindow"), 0);
  EXPECT_EQ(fake().live_blocks, 0);
}

struct OwnerCase {
  const char* label;
  std::u16string text;
  std::vector<std::uint64_t> is_checked;  // what IsWindow is asked, in order
  std::uint64_t owner;                    // the request's hwnd
};

class OwnerTest : public RunTrashTest, public ::testing::WithParamInterface<OwnerCase> {};

TEST_P(OwnerTest, UsesTheOwnerOnlyWhenItIsAWindow) {
  fake().files[u"list"] = "a\n";
  fake().windows = {123, 0x2F0D2A, UINT64_MAX};
  EXPECT_EQ(trash({GetParam().text}), 0);
  EXPECT_EQ(fake().window_checks, GetParam().is_checked);
  ASSERT_EQ(fake().shell_calls.size(), 1u);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(fake().shell_calls[0].request.hwnd), GetParam().owner);
}

INSTANTIATE_TEST_SUITE_P(
    OwnerText, OwnerTest,
    ::testing::Values(
        OwnerCase{"zero", u"0", {0}, 0}, OwnerCase{"letters", u"abc", {0}, 0},
        OwnerCase{"empty_text", u"", {0}, 0},
        OwnerCase{"digits_then_letters", u"123abc", {123}, 123},
        OwnerCase{"a_window", u"3083562", {3083562}, 3083562},
        OwnerCase{"not_a_window", u"456", {456}, 0},
        OwnerCase{"leading_spaces", u"  123", {123}, 123},
        OwnerCase{"saturates", u"18446744073709551616", {UINT64_MAX}, UINT64_MAX},
        OwnerCase{"saturates_far_above", u"99999999999999999999999", {UINT64_MAX}, UINT64_MAX}),
    LabelName());

TEST_F(RunTrashTest, IgnoresArgumentsAfterTheOwner) {
  fake().files[u"list"] = "a\n";
  fake().windows = {123};
  EXPECT_EQ(trash({u"123", u"456", u"more"}), 0);
  EXPECT_EQ(fake().window_checks, std::vector<std::uint64_t>{123});
}

struct ResultCase {
  const char* label;
  int result;
  bool aborted;
  const char* line;
  int status;
};

class ResultTest : public RunTrashTest, public ::testing::WithParamInterface<ResultCase> {};

TEST_P(ResultTest, ReportsTheShellResult) {
  fake().files[u"list"] = "a\nb\n";
  fake().shell_result = GetParam().result;
  fake().shell_aborts = GetParam().aborted;
  EXPECT_EQ(trash(), GetParam().status);
  EXPECT_EQ(fake().output, GetParam().line);
  EXPECT_EQ(fake().live_blocks, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Results, ResultTest,
    ::testing::Values(ResultCase{"ok", 0, false, "ok 0\n", 0},
                      ResultCase{"ok_aborted", 0, true, "ok 0 aborted\n", 0},
                      ResultCase{"error", 2, false, "error 2\n", 1},
                      ResultCase{"error_aborted", 0x7C, true, "error 124 aborted\n", 1},
                      ResultCase{"negative", -2147467259, false, "error -2147467259\n", 1},
                      ResultCase{"most_negative", INT32_MIN, false, "error -2147483648\n", 1}),
    LabelName());

TEST_F(RunTrashTest, ListWithNoPathCallsNeitherOwnerCheckNorShell) {
  fake().files[u"list"] = "\r\n\n\r\n";
  fake().windows = {123};
  EXPECT_EQ(trash({u"123"}), 0);
  EXPECT_EQ(fake().output, "ok 0\n");
  EXPECT_EQ(fake().count("_wcstoui64"), 0);
  EXPECT_EQ(fake().count("IsWindow"), 0);
  EXPECT_EQ(fake().count("SHFileOperationW"), 0);
  EXPECT_EQ(fake().live_blocks, 0);
}

TEST_F(RunTrashTest, UnreadableListIsAReadErrorBeforeAnythingElse) {
  fake().windows = {123};
  EXPECT_EQ(trash({u"123"}), 2);
  EXPECT_EQ(fake().output, "error read\n");
  EXPECT_EQ(fake().count("IsWindow"), 0);
  EXPECT_EQ(fake().count("SHFileOperationW"), 0);
}

TEST_F(RunTrashTest, ListWithAZeroByteIsAReadErrorAndTrashesNothing) {
  fake().files[u"list"] = std::string("C:\\work\\project\0.bak\n", 21);
  EXPECT_EQ(trash(), 2);
  EXPECT_EQ(fake().output, "error read\n");
  EXPECT_EQ(fake().count("SHFileOperationW"), 0);
  EXPECT_EQ(fake().live_blocks, 0);
}

}  // namespace
