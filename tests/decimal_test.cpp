#include "platform/text/decimal.h"

#include <gtest/gtest.h>

#include "support/label_name.h"

#include <string>

namespace {

struct ParseCase {
  const char* label;
  std::u16string text;
  std::uint64_t value;
  std::size_t consumed;  // how far *end moves
};

class ParseTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseTest, ParsesLikeTheRuntimeLibrary) {
  const ParseCase& c = GetParam();
  char16_t* end = nullptr;
  EXPECT_EQ(text::parse_unsigned(c.text.c_str(), &end, 10), c.value);
  EXPECT_EQ(static_cast<std::size_t>(end - c.text.c_str()), c.consumed);
}

INSTANTIATE_TEST_SUITE_P(
    Base10, ParseTest,
    ::testing::Values(
        ParseCase{"plain", u"3083562", 3083562, 7}, ParseCase{"zero", u"0", 0, 1},
        ParseCase{"empty", u"", 0, 0}, ParseCase{"no_digits", u"abc", 0, 0},
        ParseCase{"sign_only", u"-", 0, 0}, ParseCase{"digits_then_text", u"123abc", 123, 3},
        ParseCase{"leading_white_space", u" \t\n\v\f\r42", 42, 8}, ParseCase{"plus", u"+7", 7, 2},
        ParseCase{"minus_wraps", u"-1", UINT64_MAX, 2},
        ParseCase{"largest", u"18446744073709551615", UINT64_MAX, 20},
        ParseCase{"one_past_largest", u"18446744073709551616", UINT64_MAX, 20},
        ParseCase{"far_above", u"999999999999999999999999x", UINT64_MAX, 24},
        ParseCase{"minus_overflow_saturates", u"-99999999999999999999", UINT64_MAX, 21},
        ParseCase{"hex_prefix_is_not_a_number_in_base_10", u"0x10", 0, 1}),
    LabelName());

}  // namespace
