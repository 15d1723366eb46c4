// The wait factor: what SKELVANE_WAIT_FACTOR may hold, and the bounds it gives.
#include "WaitFactor.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct TFactorCase {
  const char* Name;
  const char* Text;  // nullptr: the variable is not set
  double Factor;
};

class WaitFactorTest : public testing::TestWithParam<TFactorCase> {};

INSTANTIATE_TEST_SUITE_P(
    Texts, WaitFactorTest,
    testing::Values(TFactorCase{"Unset", nullptr, 1}, TFactorCase{"Empty", "", 1},
                    TFactorCase{"Whole", "4", 4}, TFactorCase{"Fraction", "2.5", 2.5},
                    TFactorCase{"BelowOne", "0.5", 0.5}, TFactorCase{"Zero", "0", 1},
                    TFactorCase{"Negative", "-3", 1}, TFactorCase{"Endless", "inf", 1},
                    TFactorCase{"NotANumber", "nan", 1}, TFactorCase{"BeyondDouble", "1e999", 1},
                    TFactorCase{"TrailingText", "3x", 1}, TFactorCase{"DecimalComma", "2,5", 1},
                    TFactorCase{"LeadingBlank", " 3", 1}, TFactorCase{"Word", "slow", 1}),
    [](const testing::TestParamInfo<TFactorCase>& info) { return std::string(info.param.Name); });

TEST_P(WaitFactorTest, ParsesAPositiveNumberAndTakesOneForAnythingElse) {
  EXPECT_EQ(ParseWaitFactor(GetParam().Text), GetParam().Factor);
}

TEST(WaitFactor, ScaledBoundsRoundUpAndStopAtADay) {
  EXPECT_EQ(ScaleWaitMs(10000, 1), 10000u);
  EXPECT_EQ(ScaleWaitMs(10000, 4), 40000u);
  EXPECT_EQ(ScaleWaitMs(0, 4), 0u);
  EXPECT_EQ(ScaleWaitMs(3, 0.5), 2u);
  // A day, however large the product: no bound comes near the 32-bit one that means for ever.
  EXPECT_EQ(ScaleWaitMs(4000000000u, 1e6), 86400000u);
}

}  // namespace
