#include "base/convert.h"

#include <gtest/gtest.h>

#include "base/failure.h"

namespace vex {
namespace {

TEST(LeadingNumber, ReadsTheNumberAtTheStartAndIgnoresTheRest) {
  EXPECT_EQ(leading_number(" 70"), 70);
  EXPECT_EQ(leading_number("\t 12abc"), 12);
  EXPECT_EQ(leading_number("-1"), -1);
  EXPECT_EQ(leading_number("0.5"), 0.5);
  EXPECT_EQ(leading_number(".5x"), 0.5);
  EXPECT_EQ(leading_number("2.5e2 ms"), 250);
  EXPECT_EQ(leading_number("1e"), 1);  // an exponent without digits is not part of the number
}

TEST(LeadingNumber, TextWithoutALeadingNumberIsZero) {
  EXPECT_EQ(leading_number(""), 0);
  EXPECT_EQ(leading_number("yes"), 0);
  EXPECT_EQ(leading_number("-"), 0);
  EXPECT_EQ(leading_number("x12"), 0);
  EXPECT_EQ(leading_number(std::string("\0"
                                       "5",
                                       2)),
            0);
}

TEST(ParseNumber, WholeTextMustBeANumberBlanksAllowedAround) {
  EXPECT_EQ(parse_number(" 123 "), 123);
  EXPECT_EQ(parse_number("-5"), -5);
  EXPECT_FALSE(parse_number("123x"));
  EXPECT_FALSE(parse_number(""));
  EXPECT_FALSE(parse_number(":123"));
  EXPECT_TRUE(is_numeric("  42"));
}

TEST(Rounding, HalvesGoToTheEvenNeighbour) {
  EXPECT_EQ(round_to_i16(2.5), 2);
  EXPECT_EQ(round_to_i16(3.5), 4);
  EXPECT_EQ(round_to_i16(-2.5), -2);
  EXPECT_EQ(round_to_i16(441.5), 442);
  EXPECT_EQ(round_to_i16(12.5), 12);
  EXPECT_EQ(round_to_i32(2147483647.4), 2147483647);
}

TEST(Rounding, OutOfRangeIsOverflow) {
  EXPECT_EQ(round_to_i16(32767.4), 32767);
  EXPECT_EQ(round_to_i16(-32768), -32768);
  for (double v : {32767.5, 32768.0, -32769.0, 99999.0, 1e300}) {
    try {
      round_to_i16(v);
      ADD_FAILURE() << v;
    } catch (const Failure& f) { EXPECT_EQ(f.code(), kOverflow) << v; }
  }
}

TEST(TextToI32, ConversionFailureIs13) {
  EXPECT_EQ(text_to_i32(" 500"), 500);
  for (const char* bad : {"", " ", "abc", "5 5"}) {
    try {
      text_to_i32(bad);
      ADD_FAILURE() << bad;
    } catch (const Failure& f) { EXPECT_EQ(f.code(), kConversionFailed) << bad; }
  }
}

TEST(NumberToText, LeavesAPlaceForTheSign) {
  EXPECT_EQ(num_to_text(70), " 70");
  EXPECT_EQ(num_to_text(0), " 0");
  EXPECT_EQ(num_to_text(-5), "-5");
  EXPECT_EQ(format_000(1), "001");
  EXPECT_EQ(format_000(0), "000");
  EXPECT_EQ(format_000(1234), "1234");
}

TEST(TimeFormat, TwelveHourClockWithoutLeadingZero) {
  auto at = [](int h, int m) {
    std::tm t{};
    t.tm_hour = h;
    t.tm_min = m;
    return format_time_hmm_ampm(t);
  };
  EXPECT_EQ(at(21, 5), "9:05 PM");
  EXPECT_EQ(at(12, 0), "12:00 PM");
  EXPECT_EQ(at(0, 7), "12:07 AM");
  EXPECT_EQ(at(11, 59), "11:59 AM");
  EXPECT_EQ(at(1, 0), "1:00 AM");
}

TEST(Utf8Prefix, NeverCutsACharacterInTwo) {
  EXPECT_EQ(utf8_prefix("abcdef", 3), "abc");
  EXPECT_EQ(utf8_prefix("ab", 3), "ab");
  // "é" is two bytes: a cut after its first byte drops it whole.
  EXPECT_EQ(utf8_prefix("ab\xC3\xA9z", 3), "ab");
  EXPECT_EQ(utf8_prefix("ab\xC3\xA9z", 4), "ab\xC3\xA9");
  // A three-byte character cut after its second byte.
  EXPECT_EQ(utf8_prefix("a\xE2\x82\xAC", 3), "a");
}

}  // namespace
}  // namespace vex
