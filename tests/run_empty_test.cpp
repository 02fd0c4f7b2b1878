#include "run_empty.h"

#include <climits>

#include "fake_test_support.h"
#include "support/label_name.h"

namespace {

struct EmptyCase {
  const char* label;
  platform::HRESULT result;
  const char* line;
};

class RunEmptyTest : public FakePlatformTest, public ::testing::WithParamInterface<EmptyCase> {};

TEST_P(RunEmptyTest, ReportsTheShellResultAndAlwaysExitsZero) {
  fake().empty_result = GetParam().result;
  EXPECT_EQ(dustpan::run_empty(), 0);
  EXPECT_EQ(fake().output, GetParam().line);
  ASSERT_EQ(fake().empty_calls.size(), 1u);
  EXPECT_EQ(fake().empty_calls[0].window, nullptr);
  EXPECT_EQ(fake().empty_calls[0].root_path, nullptr);
  EXPECT_EQ(fake().empty_calls[0].flags, 7u);
}

INSTANTIATE_TEST_SUITE_P(
    Results, RunEmptyTest,
    ::testing::Values(EmptyCase{"ok", 0, "ok 0\n"},
                      EmptyCase{"already_empty", static_cast<platform::HRESULT>(0x8000FFFFu),
                                "ok -2147418113\n"},
                      EmptyCase{"positive", 1, "error 1\n"},
                      EmptyCase{"access_denied", static_cast<platform::HRESULT>(0x80004005u),
                                "error -2147467259\n"},
                      EmptyCase{"most_negative", INT32_MIN, "error -2147483648\n"},
                      EmptyCase{"largest", INT32_MAX, "error 2147483647\n"}),
    LabelName());

}  // namespace
