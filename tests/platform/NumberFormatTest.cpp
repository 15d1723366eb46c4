#include "NumberFormat.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

struct TFormatCase {
  long double Value;
  const char* Pattern;
  char Separator;
  const char* Expected;
};

class FormatNumberTest : public ::testing::TestWithParam<TFormatCase> {};

TEST_P(FormatNumberTest, GivesPatternText) {
  const TFormatCase& c = GetParam();
  EXPECT_EQ(FormatNumber(c.Value, c.Pattern, c.Separator), c.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Patterns, FormatNumberTest,
    ::testing::Values(
        TFormatCase{1.5L, "0.00", '.', "1.50"}, TFormatCase{1.5L, "0.00", ',', "1,50"},
        TFormatCase{0.0L, "0.00", '.', "0.00"}, TFormatCase{0.25L, "0.00", '.', "0.25"},
        TFormatCase{-3.14159L, "0.00", '.', "-3.14"}, TFormatCase{100.0L, "0.00", '.', "100.00"},
        TFormatCase{1234567.891L, "0.00", '.', "1234567.89"},  // no grouping
        TFormatCase{0.125L, "0.00", '.', "0.13"},               // exact half: away from zero
        TFormatCase{-0.125L, "0.00", '.', "-0.13"},
        TFormatCase{0.994999L, "0.00", '.', "0.99"}, TFormatCase{9.999L, "0.00", '.', "10.00"},
        TFormatCase{-0.001L, "0.00", '.', "0.00"},  // rounds to zero: no sign
        TFormatCase{0.1L + 0.2L, "0.00", '.', "0.30"},
        TFormatCase{2.0005L, "0.000", '.', "2.001"}, TFormatCase{65535.0L, "0.000", ',', "65535,000"},
        TFormatCase{2.5L, "0", '.', "3"}, TFormatCase{-2.5L, "0", '.', "-3"},
        TFormatCase{0.4L, "0", '.', "0"}, TFormatCase{123456789012.0L, "0", '.', "123456789012"},
        TFormatCase{1e20L, "0", '.', "100000000000000000000"},
        TFormatCase{std::numeric_limits<long double>::infinity(), "0.00", '.', "INF"},
        TFormatCase{-std::numeric_limits<long double>::infinity(), "0", '.', "-INF"},
        TFormatCase{std::numeric_limits<long double>::quiet_NaN(), "0.000", '.', "NAN"}));

struct TParseCase {
  const char* Text;
  char Separator;
  bool Ok;
  long double Expected;
};

class TryParseFloatTest : public ::testing::TestWithParam<TParseCase> {};

TEST_P(TryParseFloatTest, ParsesWholeTextOrFails) {
  const TParseCase& c = GetParam();
  long double value = -777.0L;
  EXPECT_EQ(TryParseFloat(c.Text, c.Separator, value), c.Ok) << c.Text;
  if (c.Ok) EXPECT_EQ(value, c.Expected) << c.Text;
  else EXPECT_EQ(value, -777.0L) << "a failed parse leaves the value alone";
}

INSTANTIATE_TEST_SUITE_P(
    Texts, TryParseFloatTest,
    ::testing::Values(
        TParseCase{"1.5", '.', true, 1.5L}, TParseCase{"1,5", ',', true, 1.5L},
        TParseCase{"1,5", '.', false, 0}, TParseCase{"1.5", ',', false, 0},
        TParseCase{"-2", '.', true, -2.0L}, TParseCase{"+7.25", '.', true, 7.25L},
        TParseCase{"500", '.', true, 500.0L}, TParseCase{"  3.0  ", '.', true, 3.0L},
        TParseCase{".5", '.', true, 0.5L}, TParseCase{"5.", '.', true, 5.0L},
        TParseCase{"0.1", '.', true, 0.1L}, TParseCase{"10.00", '.', true, 10.0L},
        TParseCase{"1e3", '.', true, 1000.0L}, TParseCase{"2.5E-1", '.', true, 0.25L},
        TParseCase{"", '.', false, 0}, TParseCase{"   ", '.', false, 0},
        TParseCase{"abc", '.', false, 0}, TParseCase{"1.2.3", '.', false, 0},
        TParseCase{"1-2", '.', false, 0}, TParseCase{"--1", '.', false, 0},
        TParseCase{"+", '.', false, 0}, TParseCase{".", '.', false, 0},
        TParseCase{"1e", '.', false, 0}, TParseCase{"1e+", '.', false, 0},
        TParseCase{"12a", '.', false, 0}, TParseCase{"1 2", '.', false, 0}));

TEST(TryParseFloat, DecimalTextRoundsLikeTheCompiler) {
  // One exact mantissa times or over one exact power of ten: correctly rounded.
  long double value = 0;
  ASSERT_TRUE(TryParseFloat("2.675", '.', value));
  EXPECT_EQ(value, 2.675L);
  ASSERT_TRUE(TryParseFloat("123456789.123456789", '.', value));
  EXPECT_EQ(value, 123456789.123456789L);
  ASSERT_TRUE(TryParseFloat("1e5000", '.', value));
  EXPECT_TRUE(std::isinf(value));
}

struct TIntCase {
  const char* Text;
  bool Ok;
  int32_t Expected;
};

class TryParseIntegerTest : public ::testing::TestWithParam<TIntCase> {};

TEST_P(TryParseIntegerTest, ParsesWholeTextOrFails) {
  const TIntCase& c = GetParam();
  int32_t value = -777;
  EXPECT_EQ(TryParseInteger(c.Text, value), c.Ok) << c.Text;
  EXPECT_EQ(value, c.Ok ? c.Expected : -777) << c.Text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, TryParseIntegerTest,
    ::testing::Values(TIntCase{"42", true, 42}, TIntCase{"-42", true, -42}, TIntCase{"+5", true, 5},
                      TIntCase{" 7 ", true, 7}, TIntCase{"2147483647", true, 2147483647},
                      TIntCase{"-2147483648", true, INT32_MIN}, TIntCase{"2147483648", false, 0},
                      TIntCase{"99999999999999999999", false, 0}, TIntCase{"10.00", false, 0},
                      TIntCase{"", false, 0}, TIntCase{"-", false, 0}, TIntCase{"1e3", false, 0},
                      TIntCase{"abc", false, 0}));

}  // namespace
