// Tests of the in-place readers of host pixel blocks.
#include "statistics/PixelAccess.h"

#include "tests/statistics/StatisticsTestBlock.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

using stattest::TTestBlock;

// Sample i of a test block: distinct, exact at every depth and never the padding's value.
float SampleValue(int i) { return static_cast<float>(3 * i + 1); }

class PixelAccessDepthTest : public ::testing::TestWithParam<int> {};

TEST_P(PixelAccessDepthTest, ReadersFindEverySampleOfPaddedUnalignedRows) {
  const int depth = GetParam();
  const int width = 5, height = 3;
  std::vector<float> rgb(width * height * 3), gray(width * height);
  for (std::size_t i = 0; i < rgb.size(); ++i) rgb[i] = SampleValue(static_cast<int>(i));
  for (std::size_t i = 0; i < gray.size(); ++i) gray[i] = SampleValue(static_cast<int>(i));
  const TTestBlock rgbBlock(width, height, false, depth, rgb, 5);
  const TTestBlock grayBlock(width, height, true, depth, gray, 1);
  const TStatisticsImage& c = rgbBlock.Image();
  const TStatisticsImage& g = grayBlock.Image();
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const int pixel = y * width + x;
      float r, gr, b;
      GetPixelRGB(c.Data, c.RowBytes, c.BitDepth, x, y, r, gr, b);
      EXPECT_EQ(r, SampleValue(3 * pixel)) << x << "," << y;
      EXPECT_EQ(gr, SampleValue(3 * pixel + 1)) << x << "," << y;
      EXPECT_EQ(b, SampleValue(3 * pixel + 2)) << x << "," << y;
      EXPECT_EQ(GetPixelGray(g.Data, g.RowBytes, g.BitDepth, x, y), SampleValue(pixel)) << x << "," << y;
    }
}

INSTANTIATE_TEST_SUITE_P(Depths, PixelAccessDepthTest, ::testing::Values(8, 16, 32));

TEST(PixelAccessTest, MultiByteSamplesAreLittleEndianAndFloatsKeepTheirBits) {
  const std::uint8_t words[] = {0x34, 0x12, 0xFF, 0xFF};
  EXPECT_EQ(GetPixelGray(words, 4, 16, 0, 0), 4660.0f);
  EXPECT_EQ(GetPixelGray(words, 4, 16, 1, 0), 65535.0f);

  const std::uint32_t nanBits = 0x7FC01234u;  // a NaN with a payload
  const std::uint8_t floats[] = {0x00, 0x00, 0xC0, 0x3F, 0x34, 0x12, 0xC0, 0x7F};
  EXPECT_EQ(GetPixelGray(floats, 8, 32, 0, 0), 1.5f);
  const float nan = GetPixelGray(floats, 8, 32, 1, 0);
  std::uint32_t bits;
  std::memcpy(&bits, &nan, sizeof bits);
  EXPECT_EQ(bits, nanBits);
}

TEST(PixelAccessTest, RowsStartExactlyRowBytesApartEvenWhenNotAWholeSample) {
  // 16-bit gray, RowBytes 3: row 1 starts at byte 3, one byte into what a whole-sample
  // stride would take as padding.
  const std::uint8_t block[] = {0x01, 0x00, 0xAA, 0x02, 0x01};
  EXPECT_EQ(GetPixelGray(block, 3, 16, 0, 0), 1.0f);
  EXPECT_EQ(GetPixelGray(block, 3, 16, 0, 1), 258.0f);
}

TEST(PixelAccessTest, UnknownDepthOrNullBlockReadsZero) {
  const std::uint8_t block[] = {9, 9, 9, 9};
  for (std::uint8_t depth : {0, 1, 24, 64}) {
    float r = 7, g = 7, b = 7;
    GetPixelRGB(block, 4, depth, 0, 0, r, g, b);
    EXPECT_EQ(r + g + b, 0.0f) << int(depth);
    EXPECT_EQ(GetPixelGray(block, 4, depth, 0, 0), 0.0f) << int(depth);
  }
  float r = 7, g = 7, b = 7;
  GetPixelRGB(nullptr, 4, 8, 0, 0, r, g, b);
  EXPECT_EQ(r + g + b, 0.0f);
  EXPECT_EQ(GetPixelGray(nullptr, 4, 8, 3, 2), 0.0f);
}

}  // namespace
