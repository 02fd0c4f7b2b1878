#include "platform/text/utf8.h"

#include <gtest/gtest.h>

#include "support/label_name.h"

#include <string>

namespace {

using namespace std::string_literals;

std::u16string decode(const std::string& bytes) {
  std::u16string out(text::utf8_to_utf16(bytes.data(), bytes.size(), nullptr), u'?');
  EXPECT_EQ(text::utf8_to_utf16(bytes.data(), bytes.size(), out.data()), out.size());
  return out;
}

struct DecodeCase {
  const char* label;
  std::string bytes;
  std::u16string units;
};

class DecodeTest : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeTest, GivesTheExactUnits) {
  EXPECT_EQ(decode(GetParam().bytes), GetParam().units);
}

INSTANTIATE_TEST_SUITE_P(
    WellFormed, DecodeTest,
    ::testing::Values(DecodeCase{"empty", "", u""},
                      DecodeCase{"ascii_longer_than_a_word", "/home/user/some file.txt",
                                 u"/home/user/some file.txt"},
                      DecodeCase{"zero_byte", "a\0b"s, u"a\0b"s},
                      DecodeCase{"two_byte", "\xC2\x80\xDF\xBF", u"\u0080\u07FF"},
                      DecodeCase{"three_byte", "\xE0\xA0\x80\xED\x9F\xBF\xEE\x80\x80\xEF\xBF\xBF",
                                 u"\u0800\uD7FF\uE000\uFFFF"},
                      DecodeCase{"four_byte", "\xF0\x90\x80\x80\xF4\x8F\xBF\xBF",
                                 u"\U00010000\U0010FFFF"},
                      DecodeCase{"ascii_after_multibyte_crosses_word",
                                 "\xC3\xA9"
                                 "abcdefghij\xC3\xA9",
                                 u"\u00E9abcdefghij\u00E9"}),
    LabelName());

// Each maximal ill-formed subpart becomes exactly one U+FFFD; the bytes after it decode anew.
INSTANTIATE_TEST_SUITE_P(
    IllFormed, DecodeTest,
    ::testing::Values(
        DecodeCase{"stray_continuation",
                   "a\x80"
                   "b",
                   u"a\uFFFDb"},
        DecodeCase{"two_stray_continuations", "\x80\xBF", u"\uFFFD\uFFFD"},
        DecodeCase{"lead_never_valid", "\xC0\xC1\xF5\xFF", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
        DecodeCase{"overlong_two_byte", "\xC0\xAF", u"\uFFFD\uFFFD"},
        DecodeCase{"overlong_three_byte", "\xE0\x80\xAF", u"\uFFFD\uFFFD\uFFFD"},
        DecodeCase{"overlong_four_byte", "\xF0\x8F\xBF\xBF", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
        DecodeCase{"encoded_surrogate", "\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},
        DecodeCase{"above_10ffff", "\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
        DecodeCase{"truncated_three_byte",
                   "\xE2\x82"
                   "a",
                   u"\uFFFD"
                   "a"},
        DecodeCase{"truncated_four_byte_at_end", "a\xF0\x9F\x97", u"a\uFFFD"},
        DecodeCase{"truncated_then_lead", "\xF0\x9F\xC3\xA9", u"\uFFFD\u00E9"},
        DecodeCase{"lone_lead_at_end", "ab\xC3", u"ab\uFFFD"},
        // The example the Unicode standard gives for its recommended practice.
        DecodeCase{"unicode_table_3_8", "\x61\xF1\x80\x80\xE1\x80\xC2\x62\x80\x63\x80\xBF\x64",
                   u"\u0061\uFFFD\uFFFD\uFFFD\u0062\uFFFD\u0063\uFFFD\uFFFD\u0064"}),
    LabelName());

TEST(EncodeTest, RoundTripsEveryPlane) {
  const std::u16string units = u"a\u00E9\u65E5\U0001F5D1\U0010FFFF";
  std::string bytes(3 * units.size(), '\0');
  const long n = text::utf16_to_utf8(units.data(), units.size(), bytes.data());
  ASSERT_GT(n, 0);
  bytes.resize(static_cast<std::size_t>(n));
  EXPECT_EQ(bytes, "a\xC3\xA9\xE6\x97\xA5\xF0\x9F\x97\x91\xF4\x8F\xBF\xBF");
  EXPECT_EQ(decode(bytes), units);
}

TEST(EncodeTest, RefusesUnpairedSurrogates) {
  char out[16];
  for (const std::u16string& bad : {u"\xD800"s, u"a\xDC00"s, u"\xD800z"s, u"\xDBFF\xD800"s}) {
    EXPECT_EQ(text::utf16_to_utf8(bad.data(), bad.size(), out), -1);
  }
}

}  // namespace
