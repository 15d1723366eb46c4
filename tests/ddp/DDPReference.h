// What the DDP dialog writes and shows, assembled directly from the kernels.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "DeconvolutionReference.h"
#include "platform/Bitmap24.h"

struct TDDPSettings {
  int EdgeKernelSize = 3;  // "Weak"
  int MidLevel = 50;
  int Background = 0;
};

// The output block after OK, starting from a copy of the input block.
std::vector<uint8_t> ReferenceApply(const TTestBlock& input, const TDDPSettings& settings);

// The preview bitmap: the transform of the copy fitted into 401 x 401.
std::unique_ptr<TBitmap24> ReferenceDDPPreview(const TTestBlock& input,
                                               const TDDPSettings& settings);
