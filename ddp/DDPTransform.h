// Digital development: every sample divided by a mid-level plus its local mean, lifted by a background.
#pragma once

#include <memory>

#include "framework/DataContainer.h"
#include "framework/DataContainerRGB.h"

// The result plane R, of Source's size: per sample (per channel for RGB)
//   R = S / (m + B) + g, limited to 0..1 (not-a-number gives 0),
// where B is the mean of the EdgeKernelSize x EdgeKernelSize window around the sample, edge
// samples repeated outward, m = MidLevelPosition / 100 and g = BackgroundPosition / 100.
// EdgeKernelSize is 0 (no window: B = S), 3, 5 or 7; the window radius is EdgeKernelSize / 2,
// so 1 acts as 0, and values below 0 are taken as 0.
// The window sum is a single-precision value rounded after every addition, rows of the window
// outer and columns inner; B is that sum divided by the sample count, rounded to single. The
// quotient is formed in double and rounded once. These roundings fix the result bits.
// nullptr when Source is absent or the result plane cannot be allocated. Never throws.
std::unique_ptr<TDataContainer> DDPTransform(const TDataContainer& Source, int EdgeKernelSize,
                                             int MidLevelPosition, int BackgroundPosition) noexcept;
std::unique_ptr<TDataContainerRGB> DDPTransform(const TDataContainerRGB& Source, int EdgeKernelSize,
                                                int MidLevelPosition, int BackgroundPosition) noexcept;
