// End-to-end: SVStatistics.8bf loaded by the test host; however the dialog closes, the host is
// told that the user cancelled and its image stays as it was.
#include <gtest/gtest.h>

#include <string>

#include "PluginRunSupport.h"

namespace {

struct TCloseCase {
  const char* Name;
  bool IsGray;
  int BitDepth;
  const char* Close;
};

class StatisticsCloseTest : public testing::TestWithParam<TCloseCase> {};

INSTANTIATE_TEST_SUITE_P(
    Closes, StatisticsCloseTest,
    testing::Values(TCloseCase{"OKOnGray8", true, 8, "click btnOK\n"},
                    TCloseCase{"OKOnRGB16", false, 16, "click btnOK\n"},
                    TCloseCase{"CloseBoxOnRGB32", false, 32, "close\n"}),
    [](const testing::TestParamInfo<TCloseCase>& info) { return info.param.Name; });

TEST_P(StatisticsCloseTest, TheHostAppliesNothing) {
  const TTestBlock input = StarFieldBlock(200, 150, GetParam().IsGray, GetParam().BitDepth);
  const TOutcome outcome =
      RunPlugin(SV_STATISTICS, input,
                std::string("window \"Statistics - \"\n") + GetParam().Close + "wait-closed\n", 4);
  EXPECT_EQ(outcome.Result, userCanceledErr);
  EXPECT_TRUE(outcome.InputUntouched);
  EXPECT_TRUE(outcome.Image.Data == input.Bytes);
}

TEST(StatisticsE2ETest, ALargeImageOpensWithoutTheSizeWarning) {
  TProductKey key(false);  // a deconvolution would warn every time
  const TTestBlock input = StarFieldBlock(3, 2048, false, 8);
  const TOutcome outcome = RunPlugin(
      SV_STATISTICS, input, "window \"Statistics - \"\nclick btnOK\nwait-closed\n");
  EXPECT_EQ(outcome.Result, userCanceledErr);
  EXPECT_FALSE(TProductKey::Exists());
}

}  // namespace
