// Writes the frames the deliverables are compared on, all from one real frame: the frame as
// it is (16-bit gray), an RGB crop whose three channels differ (each a mirror of the crop) and
// a 32-bit float crop scaled to 0..1.
//
//   TestFrames FRAME.fits SIDE OUTDIR   writes OUTDIR/gray16.fits, rgb16.ppm and float32.pfm
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "ImageFile.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: TestFrames FRAME.fits SIDE OUTDIR\n");
    return 2;
  }
  THostImageFile frame;
  std::string error;
  if (!ReadImageFile(argv[1], frame, &error) || frame.Channels != 1) {
    std::fprintf(stderr, "TestFrames: %s: %s\n", argv[1], error.empty() ? "not gray" : error.c_str());
    return 1;
  }
  const int side = std::min({std::atoi(argv[2]), frame.Width, frame.Height});
  const std::string out = argv[3];
  // The crop is centred, where the galaxy is.
  const int left = (frame.Width - side) / 2, top = (frame.Height - side) / 2;
  double peak = 0;
  for (int y = 0; y < frame.Height; ++y)
    for (int x = 0; x < frame.Width; ++x) peak = std::max(peak, frame.Sample(x, y, 0));
  THostImageFile rgb, single;
  if (side <= 0 || !rgb.Allocate(side, side, 3, 16) || !single.Allocate(side, side, 1, 32)) {
    std::fprintf(stderr, "TestFrames: bad side %s\n", argv[2]);
    return 1;
  }
  for (int y = 0; y < side; ++y)
    for (int x = 0; x < side; ++x) {
      rgb.SetSample(x, y, 0, frame.Sample(left + x, top + y, 0));
      rgb.SetSample(x, y, 1, frame.Sample(left + side - 1 - x, top + y, 0));
      rgb.SetSample(x, y, 2, frame.Sample(left + x, top + side - 1 - y, 0));
      single.SetSample(x, y, 0, peak > 0 ? frame.Sample(left + x, top + y, 0) / peak : 0.0);
    }
  if (!WriteImageFile(out + "/gray16.fits", frame, &error) ||
      !WriteImageFile(out + "/rgb16.ppm", rgb, &error) ||
      !WriteImageFile(out + "/float32.pfm", single, &error)) {
    std::fprintf(stderr, "TestFrames: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
