// End-to-end: SVLucyRichardson.8bf loaded by the test host, its dialog driven by scripts; the
// written image is compared bit for bit with the kernels' own result, and the settings with
// what the registry holds afterwards.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "DeconvolutionE2EChecks.h"
#include "LucyRichardsonRun.h"
#include "DialogTestSupport.h"
#include "PluginRunSupport.h"
#include "FilterHost.h"

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

// OK pressed while the edits still hold what was typed (they never lost the focus, as with
// Enter), beyond their bars' ends, which do not move: the run and the stored size take each
// edit's maximum, as the edits would on losing the focus.
TEST(LucyRichardsonE2ETest, HugeValuesStillInTheEditsRunAndAreSavedAsTheMaximum) {
  TProductKey key(true);
  const TTestBlock input = StarFieldBlock(200, 180, true, 8);
  const TOutcome outcome = RunPlugin(
      input, kOpen + "set grpPSF Moffat\nset edtIterations 3\n"
                     "set edtSigma 10\nset edtSigma 99999999999\n"
                     "set edtKurtosis 4.4\nset edtKurtosis 1e4000\n"
                     "expect-text edtSigma 99999999999\nclick btnOK\nwait-closed 60000\n");
  EXPECT_EQ(outcome.Result, 0);
  TRunParameters maximum = LucyRichardsonRun(3, true, pkMoffat, 10.0f);
  maximum.Kurtosis = 4.4f;
  EXPECT_TRUE(outcome.Image.Data == ReferenceFullRun(input, maximum));
  double width = 0;
  EXPECT_TRUE(TProductKey::ReadDouble(kLucyRichardson.WidthName, width));
  EXPECT_EQ(width, 10.0);
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

#if defined(__i386__)
// bytes filled with copies of period, end to end, the last one cut: one copy written sample by
// sample, the rest copied from what is already filled, in blocks that double.
void FillRepeating(std::vector<uint8_t>& bytes, const std::vector<float>& period) {
  size_t filled = std::min(period.size() * sizeof(float), bytes.size());
  std::memcpy(bytes.data(), period.data(), filled);
  while (filled < bytes.size()) {
    const size_t copied = std::min(filled, bytes.size() - filled);
    std::memcpy(bytes.data() + filled, bytes.data(), copied);
    filled += copied;
  }
}

// Whether bytes are still what FillRepeating made of period.
bool RepeatsPeriod(const std::vector<uint8_t>& bytes, const std::vector<float>& period) {
  const size_t periodBytes = period.size() * sizeof(float);
  for (size_t at = 0; at < bytes.size(); at += periodBytes) {
    const size_t count = std::min(periodBytes, bytes.size() - at);
    if (std::memcmp(bytes.data() + at, period.data(), count) != 0) return false;
  }
  return true;
}
#endif

// A 32-bit process has at most 4 GB of address space however much memory the machine has: the
// planes of an RGB 32-bit frame of 8000 x 8000 (padded to 8192 x 8192) do not fit beside the
// host's image and blocks. The image is filled with a pattern by block copies (sample by sample
// it takes seconds under an emulator) and taken over by the host, so that the test itself holds
// no second copy.
TEST(LucyRichardsonE2ETest, AFrameBeyondTheAddressSpaceGetsTheMemoryMessageAndLeavesTheImage) {
#if !defined(__i386__)
  GTEST_SKIP() << "only a 32-bit process runs out of address space before memory";
#else
  TPluginModule plugin;
  std::string error;
  ASSERT_TRUE(plugin.Load(SV_LUCY_RICHARDSON, error)) << error;
  THostImageFile image;
  ASSERT_TRUE(image.Allocate(8000, 8000, 3, 32));
  std::vector<float> period(4099);
  for (size_t i = 0; i < period.size(); ++i) period[i] = float(i) / 4099.0f;
  FillRepeating(image.Data, period);
  TFilterHost host(std::move(image));
  TProductKey key(false);  // so the size warning shows, every time
  // The planes of the image itself do not fit: the dialog says so and offers only Cancel.
  const int result = ShowWithScript(
      std::string("window Warning 120000\nclick OK\nwait-closed\n") +
          "window \"Lucy Richardson Deconvolution\" 120000\n"
          "expect-text lblStatus \"The image could not be loaded: not enough memory.\"\n"
          "expect-enabled btnOK 0\nexpect-enabled btnPreview 0\nclick btnCancel\nwait-closed\n",
      [&] { return RunFilter(plugin, host).Result; });
  EXPECT_EQ(result, userCanceledErr);
  EXPECT_TRUE(host.InputUntouched());
  EXPECT_TRUE(RepeatsPeriod(host.Image().Data, period));
#endif
}

}  // namespace
