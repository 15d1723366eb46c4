// End-to-end: SVLucyRichardson.8bf loaded by the test host, its dialog driven by scripts; the
// written image is compared bit for bit with the kernels' own result, and the settings with
// what the registry holds afterwards.
#include <gtest/gtest.h>

#include <string>

#include "DeconvolutionE2EChecks.h"
#include "LucyRichardsonRun.h"

namespace {

const TDeconvolutionPlugin kLucyRichardson = {
    SV_LUCY_RICHARDSON, "Lucy Richardson Deconvolution", "LRPSF", "LRCurveWidth", "LRIterations",
    [](int iterations, TPSFKind kind, float sigma) {
      return LucyRichardsonRun(iterations, true, kind, sigma);
    }};

const std::string kOpen = OpenDialog(kLucyRichardson);

TOutcome RunPlugin(const TTestBlock& input, const std::string& script, int padBytes = 0) {
  return ::RunPlugin(SV_LUCY_RICHARDSON, input, script, padBytes);
}

// ---- Every image mode: a preview, then the full run to OK

class ModeTest : public testing::TestWithParam<TModeCase> {};

INSTANTIATE_TEST_SUITE_P(Modes, ModeTest, testing::ValuesIn(kAllModes), ModeName);

TEST_P(ModeTest, FullRunWritesTheKernelsResult) {
  CheckFullRun(kLucyRichardson, StarFieldBlock(300, 260, GetParam().IsGray, GetParam().BitDepth),
               "click btnPreview\nwait-enabled btnCancel 60000\nclick btnOK\nwait-closed 60000\n",
               8, LucyRichardsonRun());
}

// A blank (NaN) or an infinity spoils nothing: the rest of the image is deconvolved as if they
// were 0, and they stay where they were.
TEST(LucyRichardsonE2ETest, NonFiniteSamplesCountAsZeroAndStayAsTheyWere) {
  const TTestBlock input = WithNonFiniteSamples(StarFieldBlock(300, 260, true, 32));
  const TOutcome outcome = RunPlugin(input, std::string(kOpen) + "click btnOK\nwait-closed 60000\n", 8);
  EXPECT_EQ(outcome.Result, 0);
  EXPECT_TRUE(outcome.Image.Data ==
              NonFiniteRestored(ReferenceFullRun(WithNonFiniteAsZero(input), LucyRichardsonRun()), input));
}

TEST(LucyRichardsonE2ETest, CancelAfterAPreviewLeavesTheImageAsItWas) {
  const TTestBlock input = StarFieldBlock(280, 300, false, 8);
  const TOutcome outcome = RunPlugin(
      input, kOpen + "click btnPreview\nwait-enabled btnCancel 60000\n"
                     "click btnCancel\nwait-closed\n");
  EXPECT_EQ(outcome.Result, userCanceledErr);
  EXPECT_TRUE(outcome.Image.Data == input.Bytes);
}

TEST(LucyRichardsonE2ETest, StopThenOKWritesTheCompletedRun) {
  // Enough iterations on a 1024 x 1024 plane that Stop arrives during the run.
  const TTestBlock input = StarFieldBlock(600, 520, true, 16);
  const TOutcome outcome = RunPlugin(
      input, kOpen + "set chkAggressive 0\nset edtIterations 400\nclick btnOK\n"
                     "sleep 300\nclick btnStop\n"
                     "wait-enabled btnCancel 60000\nexpect-text lblStatus Idle\n"
                     "set edtIterations 3\nclick btnOK\nwait-closed 60000\n");
  EXPECT_EQ(outcome.Result, 0);
  EXPECT_TRUE(outcome.Image.Data == ReferenceFullRun(input, LucyRichardsonRun(3, false)));
}

// ---- Settings of a confirmed run

// The size is stored as the double of the single the run used.
const TSettingsCase kCauchyOfSize1_3 = {
    "CauchyOfSize1_3", "set grpPSF Cauchy\nset edtSigma 1.3\nset edtIterations 3\n", pkCauchy,
    1.3f, 3, 2, 1.2999999523162842};

class SettingsTest : public testing::TestWithParam<TSettingsCase> {};

INSTANTIATE_TEST_SUITE_P(Runs, SettingsTest,
                         testing::ValuesIn(SettingsCases(1.0f, kCauchyOfSize1_3)), SettingsName);

TEST_P(SettingsTest, RunsAndSavesWhatTheControlsHeld) {
  CheckSettingsRun(kLucyRichardson, GetParam());
}

TEST(LucyRichardsonE2ETest, WithoutTheKeyTheRunProceedsAndNothingIsWritten) {
  TProductKey key(false);
  const TTestBlock input = StarFieldBlock(200, 180, false, 16);
  const TOutcome outcome =
      RunPlugin(input, kOpen + "set edtIterations 2\nclick btnOK\n"
                               "wait-closed 60000\n");
  EXPECT_EQ(outcome.Result, 0);
  EXPECT_TRUE(outcome.Image.Data == ReferenceFullRun(input, LucyRichardsonRun(2)));
  EXPECT_FALSE(TProductKey::Exists());
}

TEST(LucyRichardsonE2ETest, AFrameTooLargeToTransformIsRefusedAndCanBeCancelled) {
  TProductKey key(false);  // so the size warning shows
  const TTestBlock input = StarFieldBlock(16385, 2, true, 8);
  const TOutcome outcome = RunPlugin(
      input, std::string("window Warning\nclick OK\nwait-closed\n") + kOpen +
                 "click btnOK\nwindow Error\nclick OK\nwait-closed\n" + kOpen +
                 "wait-enabled btnCancel\nclick btnCancel\nwait-closed\n");
  EXPECT_EQ(outcome.Result, userCanceledErr);
  EXPECT_TRUE(outcome.Image.Data == input.Bytes);
}

}  // namespace
