// What a deconvolution dialog's runs must produce, assembled directly from the framework's
// kernels and the plug-in's iteration, and deterministic host blocks to run them (and dialogs) on.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "framework/PSF.h"
#include "platform/Bitmap24.h"

// A host pixel block: rows RowBytes apart, samples interleaved (1 or 3 per pixel).
struct TTestBlock {
  int Width = 0;
  int Height = 0;
  bool IsGray = true;
  int BitDepth = 8;
  int RowBytes = 0;
  std::vector<uint8_t> Bytes;
  void* Data() { return Bytes.data(); }
};

// A dialog (TfrmDDP, TfrmStatistics, ...) on a block, as the start handler hands it over:
// Output starts as a copy of the input.
template <class TDialog>
struct TDialogOnBlock {
  TTestBlock Input;
  std::vector<uint8_t> Output;
  TDialog Form;

  explicit TDialogOnBlock(TTestBlock input) : Input(std::move(input)), Output(Input.Bytes) {
    Form.SetImage(Input.Data(), Output.data(), static_cast<uint8_t>(Input.BitDepth), Input.Width,
                  Input.Height, Input.IsGray, Input.RowBytes);
  }
};

// A seeded star field on a sky background with a gentle gradient, blurred a little, in the
// depth's range (32-bit samples inside 0..1); padBytes of padding after every row.
TTestBlock StarFieldBlock(int width, int height, bool isGray, int bitDepth, int padBytes = 0);

class TDataContainer;

// The plug-in's iteration on the luminance (or gray) plane Y against the PSF plane.
using TIteration = std::function<void(TDataContainer& Y, TDataContainer& PSF)>;

struct TRunParameters {
  TPSFKind Kind = pkGaussian;
  float Sigma = 1.0f;
  float Kurtosis = 2.5f;
  TIteration Iteration;
};

// The output block after a full run, starting from a copy of the input block.
std::vector<uint8_t> ReferenceFullRun(const TTestBlock& input, const TRunParameters& run);

// The bitmap a preview run shows: the 256 x 256 window at (left, top) when both sides are at
// least 256, else the whole image centred in a tile; only the image's region (at most
// 256 x 256) is returned.
std::unique_ptr<TBitmap24> ReferencePreview(const TTestBlock& input, int left, int top,
                                            const TRunParameters& run);

// The unprocessed view of the same window (what the dialog shows before a preview).
std::unique_ptr<TBitmap24> ReferenceOriginal(const TTestBlock& input, int left, int top);

// Whether the region of picture at its top left equals bitmap, pixel for pixel.
bool SameTopLeft(const TBitmap24& picture, const TBitmap24& bitmap);
