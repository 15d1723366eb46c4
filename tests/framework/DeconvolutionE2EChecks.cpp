#include "DeconvolutionE2EChecks.h"

std::string OpenDialog(const TDeconvolutionPlugin& plugin) {
  return std::string("window \"") + plugin.Caption + "\"\n";
}

void CheckFullRun(const TDeconvolutionPlugin& plugin, const TTestBlock& input,
                  const std::string& script, int padBytes, const TRunParameters& reference) {
  const TOutcome outcome = RunPlugin(plugin.Path, input, OpenDialog(plugin) + script, padBytes);
  EXPECT_EQ(outcome.Result, 0);
  EXPECT_TRUE(outcome.InputUntouched);
  EXPECT_TRUE(outcome.GuardsIntact);
  EXPECT_TRUE(outcome.Image.Data == ReferenceFullRun(input, reference));
}

void CheckSettingsRun(const TDeconvolutionPlugin& plugin, const TSettingsCase& settings) {
  TProductKey key(true);
  const TTestBlock input = StarFieldBlock(200, 180, true, 8);
  const TOutcome outcome = RunPlugin(
      plugin.Path, input, OpenDialog(plugin) + settings.Script + "click btnOK\nwait-closed 60000\n");
  EXPECT_EQ(outcome.Result, 0);
  EXPECT_TRUE(outcome.Image.Data ==
              ReferenceFullRun(input, plugin.Run(settings.Iterations, settings.Kind, settings.Sigma)));
  DWORD kind = 99, iterations = 0;
  double width = 0;
  EXPECT_TRUE(TProductKey::ReadDword(plugin.PSFName, kind));
  EXPECT_EQ(kind, settings.SavedKind);
  EXPECT_TRUE(TProductKey::ReadDword(plugin.IterationsName, iterations));
  EXPECT_EQ(iterations, static_cast<DWORD>(settings.Iterations));
  EXPECT_TRUE(TProductKey::ReadDouble(plugin.WidthName, width));
  EXPECT_EQ(width, settings.SavedWidth);
  EXPECT_EQ(TProductKey::ValueCount(), 3);
}

std::vector<TSettingsCase> SettingsCases(float sigma, const TSettingsCase& changedPSF) {
  // A half pasted over the text stays as it is (the bar only follows it); the run rounds it.
  return {TSettingsCase{"HalfDownToEven",
                        "set edtIterations 10\nset edtIterations 10.5\n"
                        "expect-text edtIterations 10.5\n",
                        pkGaussian, sigma, 10, 0, sigma},
          TSettingsCase{"HalfUpToEven",
                        "set edtIterations 12\nset edtIterations 11.5\n"
                        "expect-text edtIterations 11.5\n",
                        pkGaussian, sigma, 12, 0, sigma},
          changedPSF};
}
