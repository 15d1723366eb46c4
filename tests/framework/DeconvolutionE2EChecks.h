// The end-to-end checks both deconvolution plug-ins pass, each run by the plug-in's own test
// with its library, its caption, its registry names and its reference run.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "DeconvolutionReference.h"
#include "PluginRunSupport.h"

// One deconvolution plug-in as its end-to-end tests drive it.
struct TDeconvolutionPlugin {
  const char* Path;     // the library
  const char* Caption;  // of its dialog
  // Registry names of the PSF kind, its size and the iteration count.
  const char* PSFName;
  const char* WidthName;
  const char* IterationsName;
  // The reference of a full run with the dialog's other settings at their opening values.
  std::function<TRunParameters(int iterations, TPSFKind kind, float sigma)> Run;
};

// The script's opening line: wait for the plug-in's dialog.
std::string OpenDialog(const TDeconvolutionPlugin& plugin);

// A run of script (after the dialog has opened) that ends with OK: the host gets success, the
// input block and the guard bytes around the output are untouched, and the output is the
// reference run, bit for bit.
void CheckFullRun(const TDeconvolutionPlugin& plugin, const TTestBlock& input,
                  const std::string& script, int padBytes, const TRunParameters& reference);

// A confirmed run with the settings a script gives the controls, and what it saves.
struct TSettingsCase {
  const char* Name;
  const char* Script;  // after the dialog has opened, before OK
  TPSFKind Kind;
  float Sigma;
  int Iterations;
  DWORD SavedKind;
  double SavedWidth;
};
inline std::string SettingsName(const testing::TestParamInfo<TSettingsCase>& info) {
  return info.param.Name;
}

// The cases of every deconvolution dialog: the iteration count rounded half to even (10.5 to
// 10, 11.5 to 12) with the Gaussian PSF of size sigma the dialog opens with (stored exactly),
// then changedPSF, a run with another PSF.
std::vector<TSettingsCase> SettingsCases(float sigma, const TSettingsCase& changedPSF);

// With the product key present, the settings' run on a gray 8-bit frame writes the reference
// run of what the controls held and leaves exactly the three settings in the key.
void CheckSettingsRun(const TDeconvolutionPlugin& plugin, const TSettingsCase& settings);
