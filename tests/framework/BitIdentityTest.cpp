// One hash over the outputs of a fixed set of operations. The same constant must come out of
// every build (native, win32, win64): the arithmetic is fixed down to the bit.
#include "framework/PSF.h"
#include "framework/Utilities.h"

#include "tests/framework/BitHash.h"
#include "tests/framework/Generators.h"

#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

using testgen::TFnv1a;

void HashTransforms(TFnv1a& hash) {
  const std::pair<int, int> sizes[] = {{1, 1}, {8, 8}, {64, 32}, {1, 16}, {256, 256}, {2048, 4}, {4, 4096}};
  for (const auto& s : sizes) {
    auto plane = testgen::StarField(s.first, s.second, 1234u);
    ASSERT_EQ(plane->ForwardFFT(), 0);
    hash.Add(*plane);
    ASSERT_EQ(plane->InverseFFT(), 0);
    hash.Add(*plane);
  }
}

void HashPSFs(TFnv1a& hash) {
  for (TPSFKind kind : {pkGaussian, pkExponential, pkCauchy, pkMoffat})
    for (float kurtosis : {3.0f, 2.7f}) {
      auto plane = MakePSF(kind, 128, 64, 2.3f, kurtosis);
      ASSERT_TRUE(plane);
      hash.Add(*plane);
      auto thumbnail = PSFBitmap(kind, 64, 64, 0.7f, kurtosis);
      ASSERT_TRUE(thumbnail);
      hash.Add(*thumbnail);
    }
}

// A padded host block from a star field scaled into the depth's range, with extremes in row 0.
std::vector<std::uint8_t> HostBlock(int w, int h, int channels, int depth, int rowBytes) {
  std::vector<std::uint8_t> block(static_cast<size_t>(rowBytes) * h, 0x5A);
  const double top = depth == 8 ? 255 : depth == 16 ? 65535 : 1.25;
  const std::vector<float> extremes = testgen::ExtremeValues();
  for (int c = 0; c < channels; ++c) {
    auto field = testgen::StarField(w, h, 77u + c);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        double v = field->GetValue(x, y) * top;
        if (v > top) v = top;
        std::uint8_t* p = block.data() + static_cast<size_t>(y) * rowBytes + (x * channels + c) * (depth / 8);
        if (depth == 8) *p = static_cast<std::uint8_t>(v);
        if (depth == 16) {
          const auto s = static_cast<std::uint16_t>(v);
          std::memcpy(p, &s, 2);
        }
        if (depth == 32) {
          float f = static_cast<float>(v);
          if (y == 0 && x < static_cast<int>(extremes.size())) f = extremes[x];
          std::memcpy(p, &f, 4);
        }
      }
  }
  return block;
}

void HashConversions(TFnv1a& hash) {
  const int w = 37, h = 23;
  for (int depth : {8, 16, 32}) {
    const int bytes = depth / 8;
    const int grayRow = (w + 3) * bytes, rgbRow = (3 * w + 2) * bytes;

    auto grayIn = HostBlock(w, h, 1, depth, grayRow);
    auto gray = HostToGrayContainer(grayIn.data(), depth, w, h, grayRow);
    ASSERT_TRUE(gray);
    const float grayScale = NormalizeGray(*gray);
    hash.Add(grayScale);
    hash.Add(*gray);
    int ox, oy, pw, ph;
    auto padded = GrayToPadded(*gray, ox, oy, pw, ph);
    hash.Add(*padded);
    auto tile = GrayToTile(*gray, ox, oy, pw, ph);
    hash.Add(*tile);
    hash.Add(*GrayContainerToBitmap(*gray, depth));
    hash.Add(*GrayToPreviewBitmap(*tile, ox, oy, w, h, depth));
    std::vector<std::uint8_t> grayOut(grayIn.size(), 0xC3);
    ASSERT_TRUE(GrayContainerToHost(*gray, grayOut.data(), depth, grayRow, grayScale, 0, 0, w, h));
    hash.Add(grayOut.data(), grayOut.size());

    auto rgbIn = HostBlock(w, h, 3, depth, rgbRow);
    auto rgb = HostToRGBContainer(rgbIn.data(), depth, w, h, rgbRow);
    ASSERT_TRUE(rgb);
    const float rgbScale = NormalizeRGB(*rgb);
    hash.Add(rgbScale);
    hash.Add(rgb->Data, sizeof(TPixelRGB) * w * h);
    hash.Add(*RGBContainerToBitmap(*rgb, depth));
    std::unique_ptr<TDataContainer> channels[3];
    for (int c = 0; c < 3; ++c) channels[c] = RGBChannelToPadded(*rgb, c + 1, ox, oy, pw, ph);
    TDataContainer y(pw, ph), u(pw, ph), v(pw, ph);
    for (int j = 0; j < ph; ++j)
      for (int i = 0; i < pw; ++i) {
        float yy, uu, vv;
        RGBToYUV(channels[0]->GetValue(i, j), channels[1]->GetValue(i, j), channels[2]->GetValue(i, j), yy, uu, vv);
        y.SetValue(i, j, yy);
        u.SetValue(i, j, uu);
        v.SetValue(i, j, vv);
      }
    hash.Add(y);
    hash.Add(u);
    hash.Add(v);
    hash.Add(*YUVToPreviewBitmap(y, u, v, ox, oy, w, h, depth));
    std::vector<std::uint8_t> rgbOut(rgbIn.size(), 0xC3);
    ASSERT_TRUE(YUVToHost(y, u, v, rgbOut.data(), depth, rgbRow, rgbScale, ox, oy, w, h));
    hash.Add(rgbOut.data(), rgbOut.size());
  }
}

TEST(BitIdentityTest, FixedOperationsHashToTheSameConstantInEveryBuild) {
  TFnv1a transforms, psfs, conversions;
  HashTransforms(transforms);
  HashPSFs(psfs);
  HashConversions(conversions);
  TFnv1a all;
  for (std::uint64_t part : {transforms.Value(), psfs.Value(), conversions.Value()}) all.Add(&part, sizeof part);
  std::printf("transforms %016" PRIx64 " psfs %016" PRIx64 " conversions %016" PRIx64 "\n", transforms.Value(),
              psfs.Value(), conversions.Value());
  EXPECT_EQ(all.Value(), 0x38ecbcf27cfd9760ull);
}

}  // namespace
