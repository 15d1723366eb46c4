// Host input blocks for the statistics tests, laid out sample by sample as the host lays them.
#pragma once

#include "statistics/ImageStatistics.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace stattest {

// Width x Height pixels at BitDepth, samples given in block order (R, G, B per pixel for RGB).
// Each row is followed by padBytes bytes of 0xFF, which read as 255, 65535 or NaN, so a read
// of the padding shows in the figures; the block starts at an odd address, so no multi-byte
// sample is aligned.
class TTestBlock {
public:
  TTestBlock(int width, int height, bool isGray, int bitDepth, const std::vector<float>& samples, int padBytes = 3) {
    const int channels = isGray ? 1 : 3;
    const int sampleBytes = bitDepth / 8;
    const int rowBytes = width * channels * sampleBytes + padBytes;
    FBytes.assign(1 + static_cast<std::size_t>(rowBytes) * static_cast<std::size_t>(height), 0xFF);
    std::size_t i = 0;
    for (int y = 0; y < height; ++y)
      for (int s = 0; s < width * channels; ++s, ++i)
        Write(&FBytes[1 + static_cast<std::size_t>(y) * rowBytes + static_cast<std::size_t>(s) * sampleBytes],
              bitDepth, i < samples.size() ? samples[i] : 0.0f);
    FImage.Data = FBytes.data() + 1;
    FImage.RowBytes = rowBytes;
    FImage.BitDepth = static_cast<std::uint8_t>(bitDepth);
    FImage.Width = width;
    FImage.Height = height;
    FImage.IsGray = isGray;
  }

  TTestBlock(const TTestBlock&) = delete;
  TTestBlock& operator=(const TTestBlock&) = delete;

  // Every sample the same value.
  static TTestBlock Constant(int width, int height, bool isGray, int bitDepth, float value) {
    return TTestBlock(width, height, isGray, bitDepth,
                      std::vector<float>(static_cast<std::size_t>(width) * height * (isGray ? 1 : 3), value));
  }

  const TStatisticsImage& Image() const { return FImage; }

private:
  static void Write(std::uint8_t* p, int bitDepth, float value) {
    std::uint32_t bits = 0;
    if (bitDepth == 32) std::memcpy(&bits, &value, sizeof bits);
    else bits = static_cast<std::uint32_t>(value);
    for (int b = 0; b < bitDepth / 8; ++b) p[b] = static_cast<std::uint8_t>(bits >> (8 * b));
  }

  std::vector<std::uint8_t> FBytes;
  TStatisticsImage FImage;
};

}  // namespace stattest
