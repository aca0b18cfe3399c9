#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>

#include "base/Numbers.h"

using namespace sv;

TEST(Numbers, IntegersDecimalAndHexadecimal) {
  EXPECT_EQ(ParseInt32("$4078"), 16504);
  EXPECT_EQ(ParseInt32("0x4079"), 16505);
  EXPECT_EQ(ParseInt32("-$10"), -16);
  EXPECT_EQ(ParseInt32("$FFFFFFFF"), -1);
  EXPECT_EQ(ParseInt32("$80000000"), std::numeric_limits<int32_t>::min());
  EXPECT_EQ(ParseInt32("-2147483648"), std::numeric_limits<int32_t>::min());
  EXPECT_EQ(ParseInt32("+2147483647"), 2147483647);
  EXPECT_EQ(ParseInt32("  42"), 42);
  EXPECT_EQ(ParseInt32("$000000001"), 1);  // leading zeros are not digits that overflow
}

TEST(Numbers, IntegerGarbageAndOverflowAreRejected) {
  for (const char* bad : {"", "12x", "99999999999", "2147483648", "$100000000", "C8D0D4", "1e3", "$", "0x", "-",
                          "12 ", "1 2", "true"})
    EXPECT_FALSE(ParseInt32(bad).has_value()) << bad;
}

TEST(Numbers, SixtyFourBitIntegers) {
  EXPECT_EQ(ParseInt64("5000000000"), 5000000000);
  EXPECT_EQ(ParseInt64("-9223372036854775808"), std::numeric_limits<int64_t>::min());
  EXPECT_EQ(ParseInt64("$FFFFFFFFFFFFFFFF"), -1);
  EXPECT_FALSE(ParseInt64("9223372036854775808").has_value());
}

TEST(Numbers, FloatsReadWithPointOrCommaWhateverTheLocale) {
  std::setlocale(LC_ALL, "fr_FR.UTF-8");  // where present, must change nothing
  EXPECT_EQ(ParseFloat("2,5"), 2.5);
  EXPECT_EQ(ParseFloat("2.5"), 2.5);
  EXPECT_EQ(ParseFloat(" -1.25 "), -1.25);
  EXPECT_EQ(ParseFloat("+3"), 3.0);
  EXPECT_EQ(ParseFloat(".5"), 0.5);
  EXPECT_EQ(ParseFloat("1E-7"), 1e-7);
  for (const char* bad : {"", "1,5,0", "1.5.0", "abc", "inf", "nan", "-inf", "0x10", "1e", "2,5x", "e5"})
    EXPECT_FALSE(ParseFloat(bad).has_value()) << bad;
  std::setlocale(LC_ALL, "C");
}

TEST(Numbers, FloatsWrittenShortWithAPoint) {
  EXPECT_EQ(FormatFloat(2.5), "2.5");
  EXPECT_EQ(FormatFloat(0.0), "0");
  EXPECT_EQ(FormatFloat(-0.0), "0");
  EXPECT_EQ(FormatFloat(-1.5), "-1.5");
  EXPECT_EQ(FormatFloat(0.1 + 0.2), "0.3");  // 15 significant digits
  EXPECT_EQ(FormatFloat(1e20), "1E20");
  EXPECT_EQ(FormatFloat(1.5e-7), "1.5E-7");
  EXPECT_EQ(FormatFloat(123456789012345.0), "123456789012345");
  EXPECT_EQ(FormatFloat(std::nan("")), "NAN");
  for (double v : {3.14159, -42.125, 1e-5, 987654.321})
    EXPECT_DOUBLE_EQ(*ParseFloat(FormatFloat(v)), v);
}

TEST(Numbers, RoundHalfToEven) {
  EXPECT_EQ(Round(0.5), 0);
  EXPECT_EQ(Round(1.5), 2);
  EXPECT_EQ(Round(2.5), 2);
  EXPECT_EQ(Round(-0.5), 0);
  EXPECT_EQ(Round(-1.5), -2);
  EXPECT_EQ(Round(-2.5), -2);
  EXPECT_EQ(Round(2.4999), 2);
  EXPECT_EQ(Round(2.5001), 3);
  EXPECT_EQ(Round(std::nan("")), 0);
  EXPECT_EQ(Round(1e300), std::numeric_limits<int64_t>::max());
}
