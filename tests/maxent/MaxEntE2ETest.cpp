// End-to-end: SVMaxEnt.8bf loaded by the test host, its dialog driven by scripts; the written
// image is compared bit for bit with the kernels' own result, and the settings with the
// registry.
#include <gtest/gtest.h>

#include <string>

#include "MaxEntRun.h"
#include "PluginRunSupport.h"

namespace {

// The first dialog of a program under emulated 32-bit Wine on a busy machine may take longer
// than the default wait to show.
const char kOpen[] = "window \"Maximum Entropy Deconvolution\" 60000\n";

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
  const TTestBlock input = StarFieldBlock(270, 250, GetParam().IsGray, GetParam().BitDepth);
  const TOutcome outcome = RunPlugin(
      input, std::string(kOpen) + "set edtIterations 6\nclick btnPreview\n"
                                  "wait-enabled btnCancel 60000\nclick btnOK\n"
                                  "wait-closed 60000\n", 4);
  EXPECT_EQ(outcome.Result, 0);
  EXPECT_TRUE(outcome.InputUntouched);
  EXPECT_TRUE(outcome.GuardsIntact);
  EXPECT_TRUE(outcome.Image.Data == ReferenceFullRun(input, MaxEntRun(6)));
}

TEST(MaxEntE2ETest, StopLeavesTheImageAndCancelReturnsIt) {
  const TTestBlock input = StarFieldBlock(600, 520, true, 16);
  const TOutcome outcome = RunPlugin(
      input, std::string(kOpen) + "set edtIterations 2000\nclick btnOK\nsleep 300\n"
                                  "click btnStop\nwait-enabled btnCancel 60000\n"
                                  "expect-text lblStatus Idle\nclick btnCancel\nwait-closed\n");
  EXPECT_EQ(outcome.Result, userCanceledErr);
  EXPECT_TRUE(outcome.Image.Data == input.Bytes);
}

struct TSettingsCase {
  const char* Name;
  const char* Script;
  TPSFKind Kind;
  float Sigma;
  int Iterations;
  DWORD SavedKind;
  double SavedWidth;
};

class MaxEntSettingsTest : public testing::TestWithParam<TSettingsCase> {};

INSTANTIATE_TEST_SUITE_P(
    Runs, MaxEntSettingsTest,
    testing::Values(
        // 2.00 is stored exactly, 1.30 as the double of the single the run used.
        TSettingsCase{"HalfDownToEven", "set edtIterations 10.5\n", pkGaussian, 2.0f, 10, 0, 2.0},
        TSettingsCase{"HalfUpToEven", "set edtIterations 11.5\n", pkGaussian, 2.0f, 12, 0, 2.0},
        TSettingsCase{"ExponentialOfSize1_3",
                      "set grpPSF Exponential\nset edtSigma 1.3\nset edtIterations 3\n",
                      pkExponential, 1.3f, 3, 1, 1.2999999523162842}),
    [](const testing::TestParamInfo<TSettingsCase>& info) { return info.param.Name; });

TEST_P(MaxEntSettingsTest, RunsAndSavesWhatTheControlsHeld) {
  const TSettingsCase& settings = GetParam();
  TProductKey key(true);
  const TTestBlock input = StarFieldBlock(200, 180, true, 8);
  const TOutcome outcome = RunPlugin(
      input, std::string(kOpen) + settings.Script + "click btnOK\nwait-closed 60000\n");
  EXPECT_EQ(outcome.Result, 0);
  EXPECT_TRUE(outcome.Image.Data ==
              ReferenceFullRun(input, MaxEntRun(settings.Iterations, settings.Kind,
                                                settings.Sigma)));
  DWORD kind = 99, iterations = 0;
  double width = 0;
  EXPECT_TRUE(TProductKey::ReadDword("MEPSF", kind));
  EXPECT_EQ(kind, settings.SavedKind);
  EXPECT_TRUE(TProductKey::ReadDword("MEIterations", iterations));
  EXPECT_EQ(iterations, static_cast<DWORD>(settings.Iterations));
  EXPECT_TRUE(TProductKey::ReadDouble("MECurveWidth", width));
  EXPECT_EQ(width, settings.SavedWidth);
  EXPECT_EQ(TProductKey::ValueCount(), 3);
}

}  // namespace
