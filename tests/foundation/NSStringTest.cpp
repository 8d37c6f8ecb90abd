#include "foundation/NSString.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>

#include "foundation/NSNumber.h"

namespace {

std::string format(const Ref<NSString>& s) { return s->string(); }

TEST(NSStringFormat, FixedPointAndIntegersAsPrintfWritesThem) {
  EXPECT_EQ(format(NSString::stringWithFormat("%f", 80.0)), "80.000000");
  EXPECT_EQ(format(NSString::stringWithFormat("%f", 1.5)), "1.500000");
  EXPECT_EQ(format(NSString::stringWithFormat("%f", -3.0)), "-3.000000");
  EXPECT_EQ(format(NSString::stringWithFormat("%f", 1.23456789)), "1.234568");
  EXPECT_EQ(format(NSString::stringWithFormat("%f", 2222.0)), "2222.000000");
  EXPECT_EQ(format(NSString::stringWithFormat("%i", 2)), "2");
  EXPECT_EQ(format(NSString::stringWithFormat("%i", -1)), "-1");
  EXPECT_EQ(format(NSString::stringWithFormat("size: %lu", 12ul)), "size: 12");
  EXPECT_EQ(format(NSString::stringWithFormat("%f", 1e300)).size(), 301u + 7u);
}

TEST(NSStringFormat, EveryConversionMatchesTheCLibrary) {
  char expected[256];
  std::snprintf(expected, sizeof expected, "%5.2f|%-4d|%x|%s|%%|%*d|%e|%lld|%c|%.3s", 3.14159, 7,
                255u, "txt", 6, 42, 1e-5, -5ll, 'z', "abcdef");
  EXPECT_EQ(format(NSString::stringWithFormat("%5.2f|%-4d|%x|%s|%%|%*d|%e|%lld|%c|%.3s", 3.14159,
                                              7, 255u, "txt", 6, 42, 1e-5, -5ll, 'z', "abcdef")),
            expected);
}

TEST(NSStringFormat, ObjectsBySelfDescription) {
  auto error = NSString::stringWithUTF8String("disk full");
  EXPECT_EQ(format(NSString::stringWithFormat("Error: %@\nsize: %lu", error, 3ul)),
            "Error: disk full\nsize: 3");
  EXPECT_EQ(format(NSString::stringWithFormat("%@", nullptr)), "(null)");
  EXPECT_EQ(format(NSString::stringWithFormat("%@ %@", NSNumber::numberWithInt(5),
                                              NSNumber::numberWithDouble(0.5))),
            "5 0.5");
  // "%n" would write through an argument: it is copied as text and consumes nothing.
  EXPECT_EQ(format(NSString::stringWithFormat("a%nb%i", 4)), "a%nb4");
}

double doubleOf(const char* s) { return NSString::stringWithUTF8String(s)->doubleValue(); }
int32_t intOf(const char* s) { return NSString::stringWithUTF8String(s)->intValue(); }

TEST(NSStringNumbers, DoubleValueReadsTheLeadingDecimalNumber) {
  EXPECT_EQ(doubleOf("80.000000"), 80.0);
  EXPECT_EQ(doubleOf("  \t-6.000000"), -6.0);
  EXPECT_EQ(doubleOf("+2.5"), 2.5);
  EXPECT_EQ(doubleOf("1.5e3Hz"), 1500.0);
  EXPECT_EQ(doubleOf("7e"), 7.0);  // an exponent without digits is not part of the number
  EXPECT_EQ(doubleOf(".5"), 0.5);
  EXPECT_EQ(doubleOf("5."), 5.0);
  EXPECT_EQ(doubleOf("1.234568"), 1.234568);
  EXPECT_EQ(doubleOf("-"), 0.0);
  EXPECT_EQ(doubleOf("."), 0.0);
  EXPECT_EQ(doubleOf("abc"), 0.0);
  EXPECT_EQ(doubleOf(""), 0.0);
  // Only decimal numbers: no infinities, NaNs or hexadecimal.
  EXPECT_EQ(doubleOf("inf"), 0.0);
  EXPECT_EQ(doubleOf("nan"), 0.0);
  EXPECT_EQ(doubleOf("0x10"), 0.0);
  EXPECT_EQ(doubleOf("1e999"), HUGE_VAL);
  EXPECT_EQ(doubleOf("-1e999"), -HUGE_VAL);
}

TEST(NSStringNumbers, IntValueStopsAtTheFirstNonDigit) {
  EXPECT_EQ(intOf("2"), 2);
  EXPECT_EQ(intOf("2.0"), 2);
  EXPECT_EQ(intOf("1.9"), 1);
  EXPECT_EQ(intOf(" -7"), -7);
  EXPECT_EQ(intOf("+3x"), 3);
  EXPECT_EQ(intOf("abc"), 0);
  EXPECT_EQ(intOf("-"), 0);
  EXPECT_EQ(intOf("2147483647"), INT32_MAX);
  EXPECT_EQ(intOf("-2147483648"), INT32_MIN);
  EXPECT_EQ(intOf("99999999999999999999999"), INT32_MAX);
  EXPECT_EQ(intOf("-99999999999999999999999"), INT32_MIN);
}

TEST(NSNumberValues, IntValueCutsToTheIntegerPartWithinRange) {
  EXPECT_EQ(NSNumber::numberWithDouble(2.9)->intValue(), 2);
  EXPECT_EQ(NSNumber::numberWithDouble(-1.5)->intValue(), -1);
  EXPECT_EQ(NSNumber::numberWithDouble(1e20)->intValue(), INT32_MAX);
  EXPECT_EQ(NSNumber::numberWithDouble(-1e20)->intValue(), INT32_MIN);
  EXPECT_EQ(NSNumber::numberWithDouble(NAN)->intValue(), 0);
  EXPECT_EQ(NSNumber::numberWithLongLong(4294967297ll)->intValue(), INT32_MAX);
  EXPECT_EQ(NSNumber::numberWithDouble(1e30)->longLongValue(), LLONG_MAX);
  EXPECT_EQ(NSNumber::numberWithBool(true)->doubleValue(), 1.0);
}

TEST(NSNumberValues, EqualityByValueAcrossKinds) {
  EXPECT_TRUE(NSNumber::numberWithInt(1)->isEqualToNumber(NSNumber::numberWithDouble(1.0)));
  EXPECT_FALSE(NSNumber::numberWithInt(1)->isEqualToNumber(NSNumber::numberWithDouble(1.5)));
  // 2^53 + 1 has no double of its own; it must not equal the double 2^53.
  EXPECT_FALSE(NSNumber::numberWithLongLong((1ll << 53) + 1)
                   ->isEqualToNumber(NSNumber::numberWithDouble(9007199254740992.0)));
  EXPECT_TRUE(NSNumber::numberWithDouble(NAN)->isEqualToNumber(NSNumber::numberWithDouble(NAN)));
}

}  // namespace
