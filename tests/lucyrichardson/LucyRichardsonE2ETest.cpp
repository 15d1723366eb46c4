// End-to-end: SVLucyRichardson.8bf loaded by the test host, its dialog driven by scripts; the
// written image is compared bit for bit with the kernels' own result, and the settings with
// what the registry holds afterwards.
#include <gtest/gtest.h>

#include <string>

#include "LucyRichardsonRun.h"
#include "PluginRunSupport.h"
#include "DialogTestSupport.h"
#include "DialogWatchdog.h"
#include "Script.h"
#include "FilterHost.h"

namespace {

// The first dialog of a program under emulated 32-bit Wine on a busy machine may take longer
// than the default wait to show.
const char kOpen[] = "window \"Lucy Richardson Deconvolution\" 60000\n";

TOutcome RunPlugin(const TTestBlock& input, const std::string& script, int padBytes = 0) {
  return ::RunPlugin(SV_LUCY_RICHARDSON, input, script, padBytes);
}

// ---- Every image mode: a preview, then the full run to OK

class ModeTest : public testing::TestWithParam<TModeCase> {};

INSTANTIATE_TEST_SUITE_P(
    Modes, ModeTest,
    testing::Values(TModeCase{"Gray8", true, 8}, TModeCase{"Gray16", true, 16},
                    TModeCase{"Gray32", true, 32}, TModeCase{"RGB8", false, 8},
                    TModeCase{"RGB16", false, 16}, TModeCase{"RGB32", false, 32}),
    ModeName);

TEST_P(ModeTest, FullRunWritesTheKernelsResult) {
  const TTestBlock input = StarFieldBlock(300, 260, GetParam().IsGray, GetParam().BitDepth);
  const TOutcome outcome = RunPlugin(
      input, std::string(kOpen) + "click btnPreview\nwait-enabled btnCancel 60000\n"
                                  "click btnOK\nwait-closed 60000\n", 8);
  EXPECT_EQ(outcome.Result, 0);
  EXPECT_TRUE(outcome.InputUntouched);
  EXPECT_TRUE(outcome.GuardsIntact);
  EXPECT_TRUE(outcome.Image.Data == ReferenceFullRun(input, LucyRichardsonRun()));
}

TEST(LucyRichardsonE2ETest, CancelAfterAPreviewLeavesTheImageAsItWas) {
  const TTestBlock input = StarFieldBlock(280, 300, false, 8);
  const TOutcome outcome = RunPlugin(
      input, std::string(kOpen) + "click btnPreview\nwait-enabled btnCancel 60000\n"
                                  "click btnCancel\nwait-closed\n");
  EXPECT_EQ(outcome.Result, userCanceledErr);
  EXPECT_TRUE(outcome.Image.Data == input.Bytes);
}

TEST(LucyRichardsonE2ETest, StopThenOKWritesTheCompletedRun) {
  // Enough iterations on a 1024 x 1024 plane that Stop arrives during the run.
  const TTestBlock input = StarFieldBlock(600, 520, true, 16);
  const TOutcome outcome = RunPlugin(
      input, std::string(kOpen) + "set chkAggressive 0\nset edtIterations 400\nclick btnOK\n"
                                  "sleep 300\nclick btnStop\n"
                                  "wait-enabled btnCancel 60000\nexpect-text lblStatus Idle\n"
                                  "set edtIterations 3\nclick btnOK\nwait-closed 60000\n");
  EXPECT_EQ(outcome.Result, 0);
  EXPECT_TRUE(outcome.Image.Data == ReferenceFullRun(input, LucyRichardsonRun(3, false)));
}

// ---- Settings of a confirmed run

struct TSettingsCase {
  const char* Name;
  const char* Script;  // after the dialog has opened, before OK
  TPSFKind Kind;
  float Sigma;
  int Iterations;
  DWORD SavedKind;
  double SavedWidth;
};

class SettingsTest : public testing::TestWithParam<TSettingsCase> {};

INSTANTIATE_TEST_SUITE_P(
    Runs, SettingsTest,
    testing::Values(
        TSettingsCase{"HalfDownToEven", "set edtIterations 10.5\n",
                      pkGaussian, 1.0f, 10, 0, 1.0},
        TSettingsCase{"HalfUpToEven", "set edtIterations 11.5\n",
                      pkGaussian, 1.0f, 12, 0, 1.0},
        // The size is stored as the double of the single the run used.
        TSettingsCase{"CauchyOfSize1_3",
                      "set grpPSF Cauchy\nset edtSigma 1.3\nset edtIterations 3\n",
                      pkCauchy, 1.3f, 3, 2, 1.2999999523162842}),
    [](const testing::TestParamInfo<TSettingsCase>& info) { return info.param.Name; });

TEST_P(SettingsTest, RunsAndSavesWhatTheControlsHeld) {
  const TSettingsCase& settings = GetParam();
  TProductKey key(true);
  const TTestBlock input = StarFieldBlock(200, 180, true, 8);
  const TOutcome outcome = RunPlugin(
      input, std::string(kOpen) + settings.Script + "click btnOK\nwait-closed 60000\n");
  EXPECT_EQ(outcome.Result, 0);
  EXPECT_TRUE(outcome.Image.Data ==
              ReferenceFullRun(input, LucyRichardsonRun(settings.Iterations, true, settings.Kind,
                                                        settings.Sigma)));
  DWORD kind = 99, iterations = 0;
  double width = 0;
  EXPECT_TRUE(TProductKey::ReadDword("LRPSF", kind));
  EXPECT_EQ(kind, settings.SavedKind);
  EXPECT_TRUE(TProductKey::ReadDword("LRIterations", iterations));
  EXPECT_EQ(iterations, static_cast<DWORD>(settings.Iterations));
  EXPECT_TRUE(TProductKey::ReadDouble("LRCurveWidth", width));
  EXPECT_EQ(width, settings.SavedWidth);
  EXPECT_EQ(TProductKey::ValueCount(), 3);
}

TEST(LucyRichardsonE2ETest, WithoutTheKeyTheRunProceedsAndNothingIsWritten) {
  TProductKey key(false);
  const TTestBlock input = StarFieldBlock(200, 180, false, 16);
  const TOutcome outcome =
      RunPlugin(input, std::string(kOpen) + "set edtIterations 2\nclick btnOK\n"
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

// A 32-bit process has at most 4 GB of address space however much memory the machine has: the
// planes of an RGB 32-bit frame of 8000 x 8000 (padded to 8192 x 8192) do not fit beside the
// host's image and blocks. The image is filled with a pattern
// and taken over by the host, so that the test itself holds no second copy.
TEST(LucyRichardsonE2ETest, AFrameBeyondTheAddressSpaceGetsTheMemoryMessageAndLeavesTheImage) {
#if !defined(__i386__)
  GTEST_SKIP() << "only a 32-bit process runs out of address space before memory";
#else
  TPluginModule plugin;
  std::string error;
  ASSERT_TRUE(plugin.Load(SV_LUCY_RICHARDSON, error)) << error;
  THostImageFile image;
  ASSERT_TRUE(image.Allocate(8000, 8000, 3, 32));
  auto pattern = [](size_t i) { return float(i % 4099) / 4099.0f; };
  float* samples = reinterpret_cast<float*>(image.Data.data());
  const size_t count = image.Data.size() / sizeof(float);
  for (size_t i = 0; i < count; ++i) samples[i] = pattern(i);
  TFilterHost host(std::move(image));
  TProductKey key(false);  // so the size warning shows, every time
  // The planes of the image itself do not fit: the dialog says so and offers only Cancel.
  TScriptRunner runner(std::string("window Warning 120000\nclick OK\nwait-closed\n") +
                           "window \"Lucy Richardson Deconvolution\" 120000\n"
                           "expect-text lblStatus \"The image could not be loaded: not enough "
                           "memory.\"\nexpect-enabled btnOK 0\nexpect-enabled btnPreview 0\n"
                           "click btnCancel\nwait-closed\n",
                       ArtifactDirectory());
  runner.Start();
  TRunReport report;
  {
    TDialogWatchdog watchdog(runner, 120000);
    report = RunFilter(plugin, host);
    watchdog.Disarm();
  }
  EXPECT_TRUE(runner.Wait(120000));
  EXPECT_TRUE(runner.Succeeded()) << runner.Error();
  EXPECT_EQ(report.Result, userCanceledErr);
  EXPECT_TRUE(host.InputUntouched());
  const float* after = reinterpret_cast<const float*>(host.Image().Data.data());
  size_t changed = 0;
  for (size_t i = 0; i < count; ++i) changed += after[i] != pattern(i);
  EXPECT_EQ(changed, 0u);
#endif
}

}  // namespace
