// The real telescope frames of samples/ as host blocks, for tests that pin results on real data.
#pragma once

#include "ImageFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace testgen {

// A frame of samples/ as it was read (16-bit gray); fails the calling test when it cannot be.
inline THostImageFile SampleFrame(const char* file) {
  THostImageFile image;
  std::string error;
  EXPECT_TRUE(ReadImageFile(std::string(SKELVANE_SAMPLES_DIR) + "/" + file, image, &error)) << error;
  return image;
}

// The frame as an 8- or 16-bit gray block whose sky is clipped to black: the darkest
// clippedShare of the samples become 0, the rest is spread linearly over 1 .. the depth's
// maximum, ties to even.
inline THostImageFile ClippedSky(const THostImageFile& frame, double clippedShare, int depth) {
  std::vector<double> sorted;
  for (int y = 0; y < frame.Height; ++y)
    for (int x = 0; x < frame.Width; ++x) sorted.push_back(frame.Sample(x, y, 0));
  std::sort(sorted.begin(), sorted.end());
  const double sky = sorted[static_cast<size_t>(clippedShare * (sorted.size() - 1))];
  const double top = sorted.back();
  THostImageFile image;
  image.Allocate(frame.Width, frame.Height, 1, depth);
  const double range = depth == 8 ? 254.0 : 65534.0;
  for (int y = 0; y < frame.Height; ++y)
    for (int x = 0; x < frame.Width; ++x) {
      const double v = frame.Sample(x, y, 0);
      image.SetSample(x, y, 0, v <= sky ? 0.0 : 1.0 + range * (v - sky) / (top - sky));
    }
  return image;
}

}  // namespace testgen
