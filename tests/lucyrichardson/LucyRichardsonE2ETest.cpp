// End-to-end: SVLucyRichardson.8bf loaded by the test host, its dialog driven by scripts; the
// written image is compared bit for bit with the kernels' own result, and the settings with
// what the registry holds afterwards.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "DialogTestSupport.h"
#include "FilterHost.h"
#include "LucyRichardsonRun.h"
#include "Script.h"
#include "platform/Registry.h"

namespace {

const char kKey[] = "Software\\Vantrel\\Skelvane 3.0 PS";
const char kOpen[] = "window \"Lucy Richardson Deconvolution\"\n";

THostImageFile ToHostImage(const TTestBlock& block) {
  THostImageFile image;
  image.Allocate(block.Width, block.Height, block.IsGray ? 1 : 3, block.BitDepth);
  image.Data = block.Bytes;  // the test blocks have no row padding
  return image;
}

struct TOutcome {
  int16 Result = 0;
  THostImageFile Image;
  bool InputUntouched = false;
  bool GuardsIntact = false;
};

// One run of the library through the host, the dialog answered by script; padBytes of row
// padding in both blocks (hosts pad rows in whole samples).
TOutcome RunPlugin(const TTestBlock& input, const std::string& script, int padBytes = 0) {
  TOutcome outcome;
  TPluginModule plugin;
  std::string error;
  if (!plugin.Load(SV_LUCY_RICHARDSON, error)) {
    ADD_FAILURE() << error;
    return outcome;
  }
  TFilterHost host(ToHostImage(input));
  host.SetPadding(padBytes, padBytes);
  TScriptRunner runner(script, ArtifactDirectory());
  runner.Start();
  const TRunReport report = RunFilter(plugin, host);
  EXPECT_TRUE(runner.Wait(120000));
  EXPECT_TRUE(runner.Succeeded()) << runner.Error();
  outcome.Result = report.Result;
  outcome.Image = host.Image();
  outcome.InputUntouched = host.InputUntouched();
  outcome.GuardsIntact = host.OutputGuardsIntact();
  return outcome;
}

// The product key exists for the lifetime of the object (or, with exists false, is absent).
class TProductKey {
 public:
  explicit TProductKey(bool exists) {
    RegDeleteKeyA(HKEY_CURRENT_USER, kKey);
    if (exists) {
      TRegistry registry;
      registry.OpenKey(kKey, true);
    }
  }
  ~TProductKey() { RegDeleteKeyA(HKEY_CURRENT_USER, kKey); }

  static bool Exists() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
  }
  static bool ReadDword(const char* name, DWORD& value) {
    DWORD size = sizeof value, type = 0;
    return RegGetValueA(HKEY_CURRENT_USER, kKey, name, RRF_RT_ANY, &type, &value, &size) ==
               ERROR_SUCCESS && type == REG_DWORD;
  }
  static bool ReadDouble(const char* name, double& value) {
    unsigned char bytes[16];
    DWORD size = sizeof bytes, type = 0;
    if (RegGetValueA(HKEY_CURRENT_USER, kKey, name, RRF_RT_ANY, &type, bytes, &size) !=
            ERROR_SUCCESS || type != REG_BINARY || size != 8)
      return false;
    std::memcpy(&value, bytes, 8);
    return true;
  }
  static int ValueCount() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return -1;
    DWORD count = 0;
    RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr,
                     nullptr, nullptr, nullptr);
    RegCloseKey(key);
    return static_cast<int>(count);
  }
};

// ---- Every image mode: a preview, then the full run to OK

struct TModeCase {
  const char* Name;
  bool IsGray;
  int BitDepth;
};

class ModeTest : public testing::TestWithParam<TModeCase> {};

INSTANTIATE_TEST_SUITE_P(
    Modes, ModeTest,
    testing::Values(TModeCase{"Gray8", true, 8}, TModeCase{"Gray16", true, 16},
                    TModeCase{"Gray32", true, 32}, TModeCase{"RGB8", false, 8},
                    TModeCase{"RGB16", false, 16}, TModeCase{"RGB32", false, 32}),
    [](const testing::TestParamInfo<TModeCase>& info) { return info.param.Name; });

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

}  // namespace
