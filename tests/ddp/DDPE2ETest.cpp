// End-to-end: SVDDP.8bf loaded by the test host, its dialog driven by scripts; the written
// image is compared bit for bit with the kernels' own result.
#include <gtest/gtest.h>

#include <string>

#include "DDPReference.h"
#include "PluginRunSupport.h"

namespace {

const char kOpen[] = "window \"Digital Development Process\"\n";

class DDPModeTest : public testing::TestWithParam<TModeCase> {};

INSTANTIATE_TEST_SUITE_P(Modes, DDPModeTest, testing::ValuesIn(kAllModes), ModeName);

TEST_P(DDPModeTest, OKWritesTheTransformOfTheWholeImage) {
  const TTestBlock input = StarFieldBlock(450, 380, GetParam().IsGray, GetParam().BitDepth);
  const TOutcome outcome = RunPlugin(
      SV_DDP, input, std::string(kOpen) + "set cmbEdge Strong\nset trkMidLevel 30\n"
                                          "set edtBackground 5\nclick btnOK\nwait-closed 60000\n",
      8);
  EXPECT_EQ(outcome.Result, 0);
  EXPECT_TRUE(outcome.InputUntouched);
  EXPECT_TRUE(outcome.GuardsIntact);
  EXPECT_TRUE(outcome.Image.Data == ReferenceApply(input, {7, 30, 5}));
}

// A blank (NaN) or an infinity spoils nothing: the rest of the image is transformed as if they
// were 0, and they stay where they were.
class DDPNonFiniteTest : public testing::TestWithParam<TModeCase> {};

INSTANTIATE_TEST_SUITE_P(Modes, DDPNonFiniteTest,
                         testing::Values(TModeCase{"Gray32", true, 32}, TModeCase{"RGB32", false, 32}),
                         ModeName);

TEST_P(DDPNonFiniteTest, NonFiniteSamplesCountAsZeroAndStayAsTheyWere) {
  const TTestBlock input = WithNonFiniteSamples(StarFieldBlock(150, 120, GetParam().IsGray, 32));
  const TOutcome outcome = RunPlugin(
      SV_DDP, input, std::string(kOpen) + "set cmbEdge Medium\nclick btnOK\nwait-closed 60000\n", 8);
  EXPECT_EQ(outcome.Result, 0);
  EXPECT_TRUE(outcome.Image.Data ==
              NonFiniteRestored(ReferenceApply(WithNonFiniteAsZero(input), {5, 50, 0}), input));
}

TEST(DDPE2ETest, CancelAfterChangingTheSettingsLeavesTheImage) {
  const TTestBlock input = StarFieldBlock(120, 90, false, 16);
  const TOutcome outcome =
      RunPlugin(SV_DDP, input, std::string(kOpen) + "set trkBackground 60\nset cmbEdge None\n"
                                                    "click btnCancel\nwait-closed\n");
  EXPECT_EQ(outcome.Result, userCanceledErr);
  EXPECT_TRUE(outcome.Image.Data == input.Bytes);
}

TEST(DDPE2ETest, OneByOneImageGetsOneTransformedPixel) {
  const TTestBlock input = StarFieldBlock(1, 1, true, 8);
  const TOutcome outcome =
      RunPlugin(SV_DDP, input, std::string(kOpen) + "click btnOK\nwait-closed\n");
  EXPECT_EQ(outcome.Result, 0);
  EXPECT_TRUE(outcome.Image.Data == ReferenceApply(input, TDDPSettings{}));
}

TEST(DDPE2ETest, ALargeImageOpensWithoutTheSizeWarning) {
  TProductKey key(false);  // a deconvolution would warn every time
  const TTestBlock input = StarFieldBlock(2048, 2, true, 8);
  const TOutcome outcome =
      RunPlugin(SV_DDP, input, std::string(kOpen) + "click btnCancel\nwait-closed\n");
  EXPECT_EQ(outcome.Result, userCanceledErr);
  EXPECT_FALSE(TProductKey::Exists());
}

}  // namespace
