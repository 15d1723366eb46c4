// End-to-end runs of a plug-in library through the test host with a dialog script, and the
// product's registry key as the tests arrange and read it.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "DeconvolutionReference.h"
#include "ImageFile.h"
#include "framework/PSTypes.h"

// An image mode a host hands over: gray or RGB at 8, 16 or 32 bits.
struct TModeCase {
  const char* Name;
  bool IsGray;
  int BitDepth;
};
inline std::string ModeName(const testing::TestParamInfo<TModeCase>& info) {
  return info.param.Name;
}
// Every mode a host may hand over.
inline const TModeCase kAllModes[] = {{"Gray8", true, 8},  {"Gray16", true, 16},
                                      {"Gray32", true, 32}, {"RGB8", false, 8},
                                      {"RGB16", false, 16}, {"RGB32", false, 32}};

struct TOutcome {
  int16 Result = 0;
  THostImageFile Image;
  bool InputUntouched = false;
  bool GuardsIntact = false;
};

// One run of the library at path through the host, the dialog answered by script; padBytes
// of row padding in both blocks (hosts pad rows in whole samples).
TOutcome RunPlugin(const char* path, const TTestBlock& input, const std::string& script,
                   int padBytes = 0);

// A 32-bit block with a NaN (a blank), +inf and -inf put among its samples, in channels 0, 1
// and 2 of an RGB block; and the same block with those samples at 0.
TTestBlock WithNonFiniteSamples(const TTestBlock& block);
TTestBlock WithNonFiniteAsZero(const TTestBlock& block);
// What a run must write for such a block: output (the run on the block with those samples at
// 0) with every non-finite sample of input copied to its place.
std::vector<uint8_t> NonFiniteRestored(std::vector<uint8_t> output, const TTestBlock& input);

// The product key exists for the lifetime of the object (or, with exists false, is absent).
class TProductKey {
 public:
  explicit TProductKey(bool exists);
  ~TProductKey();
  TProductKey(const TProductKey&) = delete;
  TProductKey& operator=(const TProductKey&) = delete;

  static bool Exists();
  static bool ReadDword(const char* name, DWORD& value);
  // An 8-byte REG_BINARY value read as a double.
  static bool ReadDouble(const char* name, double& value);
  // -1 without the key.
  static int ValueCount();
};
