#include "framework/Utilities.h"

#include "tests/framework/Generators.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <vector>

namespace {

constexpr std::uint8_t kPadByte = 0xA5;

// A host block of w x h pixels with `channels` samples of `depth` bits and `padSamples` extra
// samples at the end of every row, filled with the pad byte.
struct THostBlock {
  THostBlock(int w, int h, int channels, int depth, int padSamples)
      : Width(w), Height(h), Channels(channels), Depth(depth),
        RowBytes((w * channels + padSamples) * (depth / 8)), Bytes(static_cast<size_t>(RowBytes) * h, kPadByte) {}

  std::uint8_t* Sample(int x, int y, int channel) {
    return Bytes.data() + static_cast<size_t>(y) * RowBytes + (x * Channels + channel) * (Depth / 8);
  }
  void Set(int x, int y, int channel, double v) {
    std::uint8_t* p = Sample(x, y, channel);
    if (Depth == 8) *p = static_cast<std::uint8_t>(v);
    if (Depth == 16) {
      const auto s = static_cast<std::uint16_t>(v);
      std::memcpy(p, &s, 2);
    }
    if (Depth == 32) {
      const auto f = static_cast<float>(v);
      std::memcpy(p, &f, 4);
    }
  }
  double Get(int x, int y, int channel) {
    std::uint8_t* p = Sample(x, y, channel);
    if (Depth == 8) return *p;
    if (Depth == 16) {
      std::uint16_t s;
      std::memcpy(&s, p, 2);
      return s;
    }
    float f;
    std::memcpy(&f, p, 4);
    return f;
  }
  bool PaddingIntact() const {
    const int used = Width * Channels * (Depth / 8);
    for (int y = 0; y < Height; ++y)
      for (int i = used; i < RowBytes; ++i)
        if (Bytes[static_cast<size_t>(y) * RowBytes + i] != kPadByte) return false;
    return true;
  }

  int Width, Height, Channels, Depth, RowBytes;
  std::vector<std::uint8_t> Bytes;
};

double MaxSample(int depth) { return depth == 8 ? 255 : depth == 16 ? 65535 : 1; }

// (bit depth, padding samples per row).
class GrayRoundTripTest : public ::testing::TestWithParam<std::tuple<int, int>> {};

TEST_P(GrayRoundTripTest, ReadNormaliseWriteReturnsEverySampleAndKeepsPadding) {
  const auto [depth, pad] = GetParam();
  THostBlock in(7, 5, 1, depth, pad);
  testgen::TRandom random(42);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x)
      in.Set(x, y, 0, depth == 32 ? random.Unit() : random.Below(static_cast<int>(MaxSample(depth)) + 1));
  in.Set(3, 2, 0, MaxSample(depth));
  auto plane = HostToGrayContainer(in.Bytes.data(), depth, 7, 5, in.RowBytes);
  ASSERT_TRUE(plane);
  EXPECT_EQ(plane->GetValue(3, 2), MaxSample(depth));
  const float scale = NormalizeGray(*plane);
  EXPECT_EQ(scale, MaxSample(depth));
  EXPECT_EQ(plane->GetValue(3, 2), 1.0f);

  THostBlock out(7, 5, 1, depth, pad);
  ASSERT_TRUE(GrayContainerToHost(*plane, out.Bytes.data(), depth, out.RowBytes, scale, 0, 0, 7, 5));
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x) ASSERT_EQ(out.Get(x, y, 0), in.Get(x, y, 0)) << x << "," << y;
  EXPECT_TRUE(out.PaddingIntact());
}

INSTANTIATE_TEST_SUITE_P(Depths, GrayRoundTripTest,
                         ::testing::Combine(::testing::Values(8, 16, 32), ::testing::Values(0, 3, 8)));

class RGBRoundTripTest : public ::testing::TestWithParam<std::tuple<int, int>> {};

TEST_P(RGBRoundTripTest, YUVSplitAndWriteBackReturnsEveryRowAtItsStride) {
  const auto [depth, pad] = GetParam();
  THostBlock in(5, 4, 3, depth, pad);
  testgen::TRandom random(9);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 5; ++x)
      for (int c = 0; c < 3; ++c)
        in.Set(x, y, c, depth == 32 ? random.Unit() : random.Below(static_cast<int>(MaxSample(depth)) + 1));
  auto rgb = HostToRGBContainer(in.Bytes.data(), depth, 5, 4, in.RowBytes);
  ASSERT_TRUE(rgb);
  const float scale = NormalizeRGB(*rgb);
  TDataContainer y(5, 4), u(5, 4), v(5, 4);
  for (int j = 0; j < 4; ++j)
    for (int i = 0; i < 5; ++i) {
      TPixelRGB p;
      rgb->GetPixel(i, j, p);
      float yy, uu, vv;
      RGBToYUV(p.R, p.G, p.B, yy, uu, vv);
      y.SetValue(i, j, yy);
      u.SetValue(i, j, uu);
      v.SetValue(i, j, vv);
    }
  THostBlock out(5, 4, 3, depth, pad);
  ASSERT_TRUE(YUVToHost(y, u, v, out.Bytes.data(), depth, out.RowBytes, scale, 0, 0, 5, 4));
  // The colour split is not an exact inverse: within a level for integers, 1e-3 for floats.
  for (int j = 0; j < 4; ++j)
    for (int i = 0; i < 5; ++i)
      for (int c = 0; c < 3; ++c)
        ASSERT_NEAR(out.Get(i, j, c), in.Get(i, j, c), depth == 32 ? 1e-3 : MaxSample(depth) * 5e-4 + 1);
  EXPECT_TRUE(out.PaddingIntact());
}

INSTANTIATE_TEST_SUITE_P(Depths, RGBRoundTripTest,
                         ::testing::Combine(::testing::Values(8, 16, 32), ::testing::Values(0, 5)));

// (bit depth, plane value, scale, expected stored sample).
class WriteRuleTest : public ::testing::TestWithParam<std::tuple<int, float, float, double>> {};

TEST_P(WriteRuleTest, ScaleThenLowerBoundThenClampThenRoundTiesToEven) {
  const auto [depth, value, scale, expected] = GetParam();
  TDataContainer plane(1, 1);
  plane.SetValue(0, 0, value);
  THostBlock out(1, 1, 1, depth, 0);
  ASSERT_TRUE(GrayContainerToHost(plane, out.Bytes.data(), depth, out.RowBytes, scale, 0, 0, 1, 1));
  EXPECT_EQ(out.Get(0, 0, 0), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Values, WriteRuleTest,
    ::testing::Values(std::make_tuple(8, 253.5f, 1.0f, 254.0), std::make_tuple(8, 254.5f, 1.0f, 254.0),
                      std::make_tuple(8, 255.7f, 1.0f, 255.0), std::make_tuple(8, -3.0f, 1.0f, 0.0),
                      std::make_tuple(8, testgen::NaN(), 1.0f, 0.0), std::make_tuple(8, 0.5f, 255.0f, 128.0),
                      std::make_tuple(8, 1e30f, 1e30f, 255.0), std::make_tuple(16, 65535.5f, 1.0f, 65535.0),
                      std::make_tuple(16, 2.5f, 1.0f, 2.0), std::make_tuple(16, 70000.0f, 1.0f, 65535.0),
                      std::make_tuple(32, 1.5f, 1.0f, 1.0), std::make_tuple(32, -0.25f, 1.0f, 0.0),
                      std::make_tuple(32, testgen::NaN(), 1.0f, 0.0), std::make_tuple(32, 0.25f, 2.0f, 0.5),
                      std::make_tuple(8, -2.0f, -100.0f, 200.0)));

TEST(ConversionTest, ThirtyTwoBitSamplesReadBitForBit) {
  const std::vector<float> values = testgen::ExtremeValues();
  const int w = static_cast<int>(values.size());
  std::vector<float> block(values);
  block.push_back(testgen::NaN());
  auto plane = HostToGrayContainer(block.data(), 32, w + 1, 1, (w + 1) * 4);
  ASSERT_TRUE(plane);
  for (int x = 0; x <= w; ++x) {
    const float v = plane->GetValue(x, 0);
    EXPECT_EQ(std::memcmp(&v, &block[x], 4), 0) << x;
  }
}

TEST(ConversionTest, AllZeroImageGivesFactorOneAndWritesZeros) {
  THostBlock in(4, 3, 1, 16, 2);
  std::fill(in.Bytes.begin(), in.Bytes.end(), 0);
  auto plane = HostToGrayContainer(in.Bytes.data(), 16, 4, 3, in.RowBytes);
  EXPECT_EQ(NormalizeGray(*plane), 1.0f);
  THostBlock out(4, 3, 1, 16, 2);
  ASSERT_TRUE(GrayContainerToHost(*plane, out.Bytes.data(), 16, out.RowBytes, 1.0f, 0, 0, 4, 3));
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(out.Get(x, y, 0), 0.0);
}

// Samples that are not finite take no part in the maximum and count as 0.
TEST(ConversionTest, NormalizeRGBDividesAllChannelsByTheLargestFiniteMaximum) {
  TDataContainerRGB rgb(2, 1);
  rgb.SetPixel(0, 0, {50.0f, 200.0f, 10.0f});
  rgb.SetPixel(1, 0, {testgen::NaN(), 100.0f, std::numeric_limits<float>::infinity()});
  EXPECT_EQ(NormalizeRGB(rgb), 200.0f);
  TPixelRGB p;
  rgb.GetPixel(0, 0, p);
  EXPECT_EQ(p.R, 0.25f);
  EXPECT_EQ(p.G, 1.0f);
  EXPECT_EQ(p.B, 0.05f);
  rgb.GetPixel(1, 0, p);
  EXPECT_EQ(p.R, 0.0f);
  EXPECT_EQ(p.B, 0.0f);
}

TEST(ConversionTest, NormalizeKeepsNegativeFactorAndTakesNonFiniteSamplesAsZero) {
  TDataContainer plane(5, 1);
  plane.SetValue(0, 0, -4.0f);
  plane.SetValue(1, 0, testgen::NaN());
  plane.SetValue(2, 0, -2.0f);
  plane.SetValue(3, 0, std::numeric_limits<float>::infinity());
  plane.SetValue(4, 0, -std::numeric_limits<float>::infinity());
  EXPECT_EQ(NormalizeGray(plane), -2.0f);
  EXPECT_EQ(testgen::Samples(plane), (std::vector<float>{2.0f, 0.0f, 1.0f, 0.0f, 0.0f}));
}

TEST(ConversionTest, WriteFromOffsetTakesPlaneRegion) {
  auto plane = testgen::Ramp(64, 64);
  plane->SetValue(10, 20, 1.0f);
  THostBlock out(8, 4, 1, 8, 3);
  ASSERT_TRUE(GrayContainerToHost(*plane, out.Bytes.data(), 8, out.RowBytes, 255.0f, 10, 20, 8, 4));
  EXPECT_EQ(out.Get(0, 0, 0), 255.0);
  EXPECT_EQ(out.Get(7, 3, 0), std::nearbyint(static_cast<float>(plane->GetValue(17, 23) * 255.0)));
  EXPECT_TRUE(out.PaddingIntact());
}

TEST(ConversionTest, RegionOutsidePlaneOrTooShortRowsWriteNothing) {
  auto plane = testgen::Constant(8, 8, 0.5f);
  THostBlock out(4, 4, 1, 8, 0);
  const std::vector<std::uint8_t> before = out.Bytes;
  EXPECT_FALSE(GrayContainerToHost(*plane, out.Bytes.data(), 8, out.RowBytes, 255.0f, 5, 0, 4, 4));
  EXPECT_FALSE(GrayContainerToHost(*plane, out.Bytes.data(), 8, 3, 255.0f, 0, 0, 4, 4));
  EXPECT_FALSE(YUVToHost(*plane, *plane, *plane, out.Bytes.data(), 8, out.RowBytes, 1.0f, 0, -1, 4, 4));
  EXPECT_EQ(out.Bytes, before);
  EXPECT_EQ(HostToGrayContainer(out.Bytes.data(), 8, 4, 4, 3), nullptr);
}

TEST(ConversionTest, UnknownDepthCopiesAndWritesNothing) {
  THostBlock in(4, 2, 1, 8, 0);
  auto plane = HostToGrayContainer(in.Bytes.data(), 12, 4, 2, 4);
  ASSERT_TRUE(plane);
  EXPECT_EQ(plane->GetValue(1, 1), 0.0f);
  const std::vector<std::uint8_t> before = in.Bytes;
  EXPECT_TRUE(GrayContainerToHost(*plane, in.Bytes.data(), 12, 4, 1.0f, 0, 0, 4, 2));
  EXPECT_EQ(in.Bytes, before);
}

}  // namespace

namespace {

TEST(ConversionTest, RowSkipIsCountedInWholeSamples) {
  // Two 16-bit samples per row and RowBytes 7: the skip of 3 bytes is one whole sample, so
  // rows start 6 bytes apart.
  const std::uint16_t block[] = {1, 2, 9, 3, 4, 9, 5, 6};
  auto plane = HostToGrayContainer(block, 16, 2, 3, 7);
  ASSERT_TRUE(plane);
  EXPECT_EQ(plane->GetValue(0, 1), 3.0f);
  EXPECT_EQ(plane->GetValue(1, 2), 6.0f);
}

}  // namespace

namespace {

TEST_P(WriteRuleTest, RGBWriterAppliesTheSameRuleToEveryChannel) {
  const auto [depth, value, scale, expected] = GetParam();
  TDataContainerRGB plane(1, 1);
  plane.SetPixel(0, 0, {value, value, value});
  THostBlock out(1, 1, 3, depth, 0);
  ASSERT_TRUE(RGBContainerToHost(plane, out.Bytes.data(), depth, out.RowBytes, scale, 0, 0, 1, 1));
  for (int c = 0; c < 3; ++c) EXPECT_EQ(out.Get(0, 0, c), expected) << c;
}

INSTANTIATE_TEST_SUITE_P(Halves, WriteRuleTest,
                         ::testing::Values(std::make_tuple(8, 127.5f, 1.0f, 128.0),
                                           std::make_tuple(8, 126.5f, 1.0f, 126.0),
                                           std::make_tuple(16, 3.5f, 1.0f, 4.0)));

class RGBWriteBackTest : public ::testing::TestWithParam<std::tuple<int, int>> {};

TEST_P(RGBWriteBackTest, ReadNormaliseWriteReturnsEveryChannelInOrderAndKeepsPadding) {
  const auto [depth, pad] = GetParam();
  THostBlock in(6, 4, 3, depth, pad);
  testgen::TRandom random(23);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x)
      for (int c = 0; c < 3; ++c)
        in.Set(x, y, c, depth == 32 ? random.Unit() : random.Below(static_cast<int>(MaxSample(depth)) + 1));
  in.Set(4, 1, 2, MaxSample(depth));
  auto plane = HostToRGBContainer(in.Bytes.data(), depth, 6, 4, in.RowBytes);
  ASSERT_TRUE(plane);
  const float scale = NormalizeRGB(*plane);
  THostBlock out(6, 4, 3, depth, pad);
  ASSERT_TRUE(RGBContainerToHost(*plane, out.Bytes.data(), depth, out.RowBytes, scale, 0, 0, 6, 4));
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x)
      for (int c = 0; c < 3; ++c) ASSERT_EQ(out.Get(x, y, c), in.Get(x, y, c)) << x << "," << y << "," << c;
  EXPECT_TRUE(out.PaddingIntact());
}

INSTANTIATE_TEST_SUITE_P(Depths, RGBWriteBackTest,
                         ::testing::Combine(::testing::Values(8, 16, 32), ::testing::Values(0, 1, 7)));

TEST(ConversionTest, RGBWriteFromOffsetTakesPlaneRegion) {
  TDataContainerRGB plane(9, 7);
  plane.SetPixel(3, 2, {10.0f, 20.0f, 30.0f});
  plane.SetPixel(6, 5, {40.0f, 50.0f, 60.0f});
  THostBlock out(4, 4, 3, 8, 2);
  ASSERT_TRUE(RGBContainerToHost(plane, out.Bytes.data(), 8, out.RowBytes, 1.0f, 3, 2, 4, 4));
  EXPECT_EQ(out.Get(0, 0, 0), 10.0);
  EXPECT_EQ(out.Get(0, 0, 2), 30.0);
  EXPECT_EQ(out.Get(3, 3, 1), 50.0);
  EXPECT_EQ(out.Get(1, 0, 0), 0.0);
  EXPECT_TRUE(out.PaddingIntact());
}

TEST(ConversionTest, RGBRegionOutsidePlaneNullBlockOrTooShortRowsWriteNothing) {
  TDataContainerRGB plane(4, 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) plane.SetPixel(x, y, {0.5f, 0.5f, 0.5f});
  THostBlock out(4, 4, 3, 16, 0);
  const std::vector<std::uint8_t> before = out.Bytes;
  EXPECT_FALSE(RGBContainerToHost(plane, out.Bytes.data(), 16, out.RowBytes, 255.0f, 1, 0, 4, 4));
  EXPECT_FALSE(RGBContainerToHost(plane, out.Bytes.data(), 16, out.RowBytes, 255.0f, 0, -1, 4, 4));
  EXPECT_FALSE(RGBContainerToHost(plane, out.Bytes.data(), 16, out.RowBytes - 2, 255.0f, 0, 0, 4, 4));
  EXPECT_FALSE(RGBContainerToHost(plane, nullptr, 16, out.RowBytes, 255.0f, 0, 0, 4, 4));
  EXPECT_TRUE(RGBContainerToHost(plane, out.Bytes.data(), 12, out.RowBytes, 255.0f, 0, 0, 4, 4));
  EXPECT_EQ(out.Bytes, before);
}

}  // namespace
