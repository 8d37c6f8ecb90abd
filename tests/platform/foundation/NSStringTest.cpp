#include "foundation/NSString.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdio>

#include "foundation/NSNumber.h"

namespace {

TEST(NSStringFormat, ConversionsAsPrintfWritesThemAndObjectsByDescription) {
  EXPECT_EQ(NSString::stringWithFormat("%f %f %f %i", 80.0, 1.23456789, -3.0, 2)->string(),
            "80.000000 1.234568 -3.000000 2");
  char expected[256];
  std::snprintf(expected, sizeof expected, "%5.2f|%-4d|%x|%s|%%|%*d|%e|%lld|%c|%.3s|%lu", 3.14159, 7,
                255u, "txt", 6, 42, 1e-5, -5ll, 'z', "abcdef", 12ul);
  EXPECT_EQ(NSString::stringWithFormat("%5.2f|%-4d|%x|%s|%%|%*d|%e|%lld|%c|%.3s|%lu", 3.14159, 7,
                                       255u, "txt", 6, 42, 1e-5, -5ll, 'z', "abcdef", 12ul)->string(),
            expected);
  EXPECT_EQ(NSString::stringWithFormat("%f", 1e300)->string().size(), 308u);  // no truncation
  EXPECT_EQ(NSString::stringWithFormat("Error: %@\nsize: %lu %@ %@", NSString::stringWithUTF8String("full"),
                                       3ul, nullptr, NSNumber::numberWithDouble(0.5))->string(),
            "Error: full\nsize: 3 (null) 0.5");
  // "%n" would write through an argument: it is copied as text and takes none.
  EXPECT_EQ(NSString::stringWithFormat("a%nb%i", 4)->string(), "a%nb4");
}

TEST(NSStringNumbers, DoubleValueReadsOnlyTheLeadingDecimalNumber) {
  const std::pair<const char*, double> cases[] = {
      {"80.000000", 80}, {" \t-6.000000", -6}, {"+2.5", 2.5}, {"1.5e3Hz", 1500}, {"7e", 7},
      {".5", 0.5},       {"5.", 5},            {"-", 0},      {".", 0},         {"abc", 0},
      {"", 0},           {"inf", 0},           {"nan", 0},    {"0x10", 0},      {"1e999", HUGE_VAL},
      {"-1e999", -HUGE_VAL}};
  for (const auto& [text, value] : cases)
    EXPECT_EQ(NSString::stringWithUTF8String(text)->doubleValue(), value) << text;
}

TEST(NSStringNumbers, IntValueStopsAtTheFirstNonDigitAndSaturates) {
  const std::pair<const char*, int32_t> cases[] = {
      {"2.0", 2},   {"1.9", 1}, {" -7", -7}, {"+3x", 3}, {"abc", 0}, {"-", 0},
      {"2147483647", INT32_MAX}, {"-2147483648", INT32_MIN},
      {"99999999999999999999", INT32_MAX}, {"-99999999999999999999", INT32_MIN}};
  for (const auto& [text, value] : cases)
    EXPECT_EQ(NSString::stringWithUTF8String(text)->intValue(), value) << text;
}

TEST(NSNumberValues, IntegerPartsSaturateAndEqualityIsByValue) {
  EXPECT_EQ(NSNumber::numberWithDouble(-1.5)->intValue(), -1);
  EXPECT_EQ(NSNumber::numberWithDouble(-1e20)->intValue(), INT32_MIN);
  EXPECT_EQ(NSNumber::numberWithLongLong(4294967297ll)->intValue(), INT32_MAX);
  EXPECT_EQ(NSNumber::numberWithDouble(1e30)->longLongValue(), LLONG_MAX);
  EXPECT_TRUE(NSNumber::numberWithInt(1)->isEqualToNumber(NSNumber::numberWithDouble(1.0).get()));
  // 2^53 + 1 has no double of its own; it must not equal the double 2^53.
  EXPECT_FALSE(NSNumber::numberWithLongLong((1ll << 53) + 1)
                   ->isEqualToNumber(NSNumber::numberWithDouble(9007199254740992.0).get()));
}

}  // namespace
