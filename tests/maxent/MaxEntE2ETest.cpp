// End-to-end: SVMaxEnt.8bf loaded by the test host, its dialog driven by scripts; the written
// image is compared bit for bit with the kernels' own result, and the settings with the
// registry.
#include <gtest/gtest.h>

#include <string>

#include "DeconvolutionE2EChecks.h"
#include "MaxEntRun.h"

namespace {

const TDeconvolutionPlugin kMaxEnt = {
    SV_MAX_ENT, "Maximum Entropy Deconvolution", "MEPSF", "MECurveWidth", "MEIterations",
    [](int iterations, TPSFKind kind, float sigma) { return MaxEntRun(iterations, kind, sigma); }};

const std::string kOpen = OpenDialog(kMaxEnt);

TOutcome RunPlugin(const TTestBlock& input, const std::string& script, int padBytes = 0) {
  return ::RunPlugin(SV_MAX_ENT, input, script, padBytes);
}

class MaxEntModeTest : public testing::TestWithParam<TModeCase> {};

INSTANTIATE_TEST_SUITE_P(
    Modes, MaxEntModeTest,
    testing::Values(TModeCase{"Gray8", true, 8}, TModeCase{"Gray32", true, 32},
                    TModeCase{"RGB16", false, 16}),
    ModeName);

TEST_P(MaxEntModeTest, FullRunWritesTheKernelsResult) {
  CheckFullRun(kMaxEnt, StarFieldBlock(270, 250, GetParam().IsGray, GetParam().BitDepth),
               "set edtIterations 6\nclick btnPreview\nwait-enabled btnCancel 60000\n"
               "click btnOK\nwait-closed 60000\n",
               4, MaxEntRun(6));
}

// A blank (NaN) or an infinity spoils nothing: the rest of the image is deconvolved as if they
// were 0, and they stay where they were.
TEST(MaxEntE2ETest, NonFiniteSamplesCountAsZeroAndStayAsTheyWere) {
  const TTestBlock input = WithNonFiniteSamples(StarFieldBlock(270, 250, false, 32));
  const TOutcome outcome = RunPlugin(
      input, std::string(kOpen) + "set edtIterations 6\nclick btnOK\nwait-closed 60000\n", 4);
  EXPECT_EQ(outcome.Result, 0);
  EXPECT_TRUE(outcome.Image.Data ==
              NonFiniteRestored(ReferenceFullRun(WithNonFiniteAsZero(input), MaxEntRun(6)), input));
}

// An image without light comes back black at 32 bits too, where no rounding hides the small
// value the iteration gives a zero sample: on a plane of its own size and on a padded one, whose
// background leaks a little light into the image.
class MaxEntDarkImageTest : public testing::TestWithParam<TModeCase> {};

INSTANTIATE_TEST_SUITE_P(Modes, MaxEntDarkImageTest,
                         testing::Values(TModeCase{"Gray32Padded", true, 32},
                                         TModeCase{"RGB32", false, 32}),
                         ModeName);

TEST_P(MaxEntDarkImageTest, AnAllZeroImageStaysAllZero) {
  TTestBlock input;
  input.IsGray = GetParam().IsGray;
  input.BitDepth = 32;
  input.Width = input.IsGray ? 100 : 64;
  input.Height = input.IsGray ? 80 : 64;
  input.RowBytes = input.Width * (input.IsGray ? 1 : 3) * 4;
  input.Bytes.assign(static_cast<size_t>(input.RowBytes) * input.Height, 0);
  const TOutcome outcome = RunPlugin(
      input, std::string(kOpen) + "set edtIterations 6\nclick btnOK\nwait-closed 60000\n");
  EXPECT_EQ(outcome.Result, 0);
  EXPECT_TRUE(outcome.Image.Data == input.Bytes);
}

TEST(MaxEntE2ETest, StopLeavesTheImageAndCancelReturnsIt) {
  const TTestBlock input = StarFieldBlock(600, 520, true, 16);
  const TOutcome outcome = RunPlugin(
      input, kOpen + "set edtIterations 2000\nclick btnOK\nsleep 300\n"
                     "click btnStop\nwait-enabled btnCancel 60000\n"
                     "expect-text lblStatus Idle\nclick btnCancel\nwait-closed\n");
  EXPECT_EQ(outcome.Result, userCanceledErr);
  EXPECT_TRUE(outcome.Image.Data == input.Bytes);
}

TEST(MaxEntE2ETest, ALargeImageIsWarnedAboutBeforeTheDialogOpens) {
  TProductKey key(false);  // so the warning shows, and nothing is stored
  const TTestBlock input = StarFieldBlock(1, 2048, true, 8);
  const TOutcome outcome = RunPlugin(
      input, std::string("window Warning\nclick OK\nwait-closed\n") + kOpen +
                 "click btnCancel\nwait-closed\n");
  EXPECT_EQ(outcome.Result, userCanceledErr);
  EXPECT_TRUE(outcome.Image.Data == input.Bytes);
}

// 2.00 is stored exactly, 1.30 as the double of the single the run used.
const TSettingsCase kExponentialOfSize1_3 = {
    "ExponentialOfSize1_3", "set grpPSF Exponential\nset edtSigma 1.3\nset edtIterations 3\n",
    pkExponential, 1.3f, 3, 1, 1.2999999523162842};

class MaxEntSettingsTest : public testing::TestWithParam<TSettingsCase> {};

INSTANTIATE_TEST_SUITE_P(Runs, MaxEntSettingsTest,
                         testing::ValuesIn(SettingsCases(2.0f, kExponentialOfSize1_3)),
                         SettingsName);

TEST_P(MaxEntSettingsTest, RunsAndSavesWhatTheControlsHeld) {
  CheckSettingsRun(kMaxEnt, GetParam());
}

}  // namespace
