// Tests of the DDP transform over gray and RGB planes.
#include "ddp/DDPTransform.h"

#include "tests/framework/Generators.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <tuple>
#include <utility>

namespace {

using TSize = std::pair<int, int>;

std::uint32_t Bits(float v) {
  std::uint32_t b;
  std::memcpy(&b, &v, sizeof b);
  return b;
}

std::unique_ptr<TDataContainerRGB> Merge(const TDataContainer& r, const TDataContainer& g, const TDataContainer& b) {
  auto rgb = std::make_unique<TDataContainerRGB>(r.Width, r.Height);
  for (int y = 0; y < r.Height; ++y)
    for (int x = 0; x < r.Width; ++x) rgb->SetPixel(x, y, {r.GetValue(x, y), g.GetValue(x, y), b.GetValue(x, y)});
  return rgb;
}

// The transform in double: direct window sums over clamped positions, no intermediate rounding.
double Reference(const TDataContainer& s, int x, int y, int k, int mid, int background) {
  const int r = k / 2;
  double sum = 0.0;
  for (int dy = -r; dy <= r; ++dy)
    for (int dx = -r; dx <= r; ++dx)
      sum += s.GetValue(std::clamp(x + dx, 0, s.Width - 1), std::clamp(y + dy, 0, s.Height - 1));
  const double mean = sum / ((2 * r + 1) * (2 * r + 1));
  const double v = s.GetValue(x, y) / (mid / 100.0 + mean) + background / 100.0;
  return std::clamp(v, 0.0, 1.0);
}

// (plane size, window size): planes narrower or lower than the window among them.
class DDPReferenceTest : public ::testing::TestWithParam<std::tuple<TSize, int>> {};

TEST_P(DDPReferenceTest, MatchesDoubleReferenceAndRGBChannelsMatchGray) {
  const auto [size, k] = GetParam();
  const auto [w, h] = size;
  auto stars = testgen::StarField(w, h, 7, 3);
  auto ramp = testgen::Ramp(w, h);
  auto flat = testgen::Constant(w, h, 0.2f);
  auto rgb = Merge(*stars, *ramp, *flat);
  for (const auto& [mid, background] : {TSize{50, 0}, TSize{1, 0}, TSize{100, 10}}) {
    auto result = DDPTransform(*stars, k, mid, background);
    auto resultRGB = DDPTransform(*rgb, k, mid, background);
    auto fromRamp = DDPTransform(*ramp, k, mid, background);
    auto fromFlat = DDPTransform(*flat, k, mid, background);
    ASSERT_TRUE(result && resultRGB && fromRamp && fromFlat);
    ASSERT_EQ(std::make_pair(result->Width, result->Height), size);
    ASSERT_EQ(std::make_pair(resultRGB->Width, resultRGB->Height), size);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        ASSERT_NEAR(result->GetValue(x, y), Reference(*stars, x, y, k, mid, background), 1e-5)
            << x << "," << y << " mid " << mid;
        ASSERT_NEAR(fromRamp->GetValue(x, y), Reference(*ramp, x, y, k, mid, background), 1e-5)
            << x << "," << y << " mid " << mid;
        TPixelRGB p;
        resultRGB->GetPixel(x, y, p);
        ASSERT_EQ(Bits(p.R), Bits(result->GetValue(x, y))) << x << "," << y;
        ASSERT_EQ(Bits(p.G), Bits(fromRamp->GetValue(x, y))) << x << "," << y;
        ASSERT_EQ(Bits(p.B), Bits(fromFlat->GetValue(x, y))) << x << "," << y;
      }
  }
}

std::string ReferenceCaseName(const ::testing::TestParamInfo<std::tuple<TSize, int>>& info) {
  const TSize size = std::get<0>(info.param);
  return std::to_string(size.first) + "x" + std::to_string(size.second) + "_k" +
         std::to_string(std::get<1>(info.param));
}

INSTANTIATE_TEST_SUITE_P(Sizes, DDPReferenceTest,
                         ::testing::Combine(::testing::Values(TSize{1, 1}, TSize{2, 3}, TSize{6, 1}, TSize{17, 11}),
                                            ::testing::Values(0, 3, 5, 7)),
                         ReferenceCaseName);

// The single-precision window sum, rounded after every addition in window order (rows outer,
// columns inner), decides the bits: samples of 1e-8 added after a 1 vanish, added before it
// they count. The centre pixel's window is the whole 7 x 7 plane; the 1 sits at its (x, y).
TEST(DDPTransformTest, WindowSumOrderAndRoundingFixTheResultBits) {
  const std::tuple<int, int, std::uint32_t> cases[] = {
      {0, 0, 0x34b08e0cu}, {6, 0, 0x34b08e0au}, {0, 6, 0x34b08e08u}, {6, 6, 0x34b08e08u}};
  for (const auto& [x, y, bits] : cases) {
    auto plane = testgen::Constant(7, 7, 1e-8f);
    plane->SetValue(x, y, 1.0f);
    auto result = DDPTransform(*plane, 7, 1, 0);
    ASSERT_TRUE(result);
    EXPECT_EQ(Bits(result->GetValue(3, 3)), bits) << x << "," << y;
  }

  // A 1 x 1 plane: n copies of 0.1 summed in single precision, so B differs from S.
  auto tiny = testgen::Constant(1, 1, 0.1f);
  const std::pair<int, std::uint32_t> expected[] = {{0, 0x3e2aaaabu}, {3, 0x3e2aaaabu}, {7, 0x3e2aaaacu}};
  for (const auto& [k, bits] : expected) {
    auto result = DDPTransform(*tiny, k, 50, 0);
    ASSERT_TRUE(result);
    EXPECT_EQ(Bits(result->GetValue(0, 0)), bits) << k;
  }
}

// (level of a flat plane, window size, mid-level position, background position, result);
// window size 0 is the plain curve S / (m + S) + g.
class DDPFlatTest : public ::testing::TestWithParam<std::tuple<float, int, int, int, float>> {};

TEST_P(DDPFlatTest, FlatRegionGivesLevelOverMidLevelPlusLevel) {
  const auto [level, k, mid, background, expected] = GetParam();
  auto result = DDPTransform(*testgen::Constant(9, 8, level), k, mid, background);
  ASSERT_TRUE(result);
  for (const auto& [x, y] : {TSize{0, 0}, TSize{4, 4}, TSize{8, 7}})
    EXPECT_NEAR(result->GetValue(x, y), expected, 2e-7f) << x << "," << y;
}

INSTANTIATE_TEST_SUITE_P(
    Levels, DDPFlatTest,
    ::testing::Values(std::make_tuple(0.5f, 3, 50, 0, 0.5f), std::make_tuple(0.5f, 7, 1, 0, 0.5f / 0.51f),
                      std::make_tuple(0.2f, 5, 50, 0, 0.2f / 0.7f),
                      std::make_tuple(0.2f, 5, 50, 10, 0.2f / 0.7f + 0.1f),
                      std::make_tuple(0.0f, 0, 50, 37, 0.37f), std::make_tuple(0.0f, 7, 1, 0, 0.0f),
                      std::make_tuple(1.0f, 3, 1, 0, 1.0f / 1.01f)));

class DDPBackgroundTest : public ::testing::TestWithParam<int> {};

TEST_P(DDPBackgroundTest, FullBackgroundGivesOneForNonNegativeSamples) {
  auto plane = testgen::StarField(16, 9, 11);
  plane->SetValue(0, 0, 0.0f);
  plane->SetValue(5, 5, 1.0f);
  for (int mid : {1, 50, 100}) {
    auto result = DDPTransform(*plane, GetParam(), mid, 100);
    ASSERT_TRUE(result);
    for (int y = 0; y < 9; ++y)
      for (int x = 0; x < 16; ++x) ASSERT_EQ(result->GetValue(x, y), 1.0f) << x << "," << y;
  }
}

INSTANTIATE_TEST_SUITE_P(Windows, DDPBackgroundTest, ::testing::Values(0, 3, 5, 7));

// 32-bit images may hold any float: (sample, result) with no window, m = 0.5, g = 0.
class DDPOutOfRangeTest : public ::testing::TestWithParam<std::tuple<float, float>> {};

TEST_P(DDPOutOfRangeTest, NaNAndNegativeGiveZeroAndLargeGivesOne) {
  const auto [sample, expected] = GetParam();
  auto result = DDPTransform(*testgen::Constant(1, 1, sample), 0, 50, 0);
  ASSERT_TRUE(result);
  EXPECT_EQ(Bits(result->GetValue(0, 0)), Bits(expected));
}

INSTANTIATE_TEST_SUITE_P(Samples, DDPOutOfRangeTest,
                         ::testing::Values(std::make_tuple(testgen::NaN(), 0.0f),
                                           std::make_tuple(std::numeric_limits<float>::infinity(), 0.0f),
                                           std::make_tuple(-0.5f, 0.0f),   // zero denominator
                                           std::make_tuple(-0.4f, 0.0f),   // -4
                                           std::make_tuple(-0.6f, 1.0f),   // +6
                                           std::make_tuple(1e30f, 1.0f)));

TEST(DDPTransformTest, NaNSpoilsOnlyTheWindowsThatHoldIt) {
  auto plane = testgen::Constant(7, 1, 0.5f);
  plane->SetValue(3, 0, testgen::NaN());
  auto result = DDPTransform(*plane, 3, 50, 0);
  ASSERT_TRUE(result);
  const float expected[] = {0.5f, 0.5f, 0.0f, 0.0f, 0.0f, 0.5f, 0.5f};
  for (int x = 0; x < 7; ++x) EXPECT_EQ(result->GetValue(x, 0), expected[x]) << x;
}

TEST(DDPTransformTest, AbsentSourceOrRefusedResultGivesNoPlane) {
  auto empty = std::make_unique<TDataContainer>(0, 0);
  TDataContainerRGB emptyRGB(0, 0);
  EXPECT_EQ(DDPTransform(*empty, 3, 50, 0), nullptr);
  EXPECT_EQ(DDPTransform(emptyRGB, 3, 50, 0), nullptr);

  // A source that claims a size no plane can be allocated for: the result is refused before
  // any sample is read.
  auto gray = std::make_unique<TDataContainer>(1, 1);
  TDataContainerRGB rgb(1, 1);
  gray->Width = gray->Height = rgb.Width = rgb.Height = 1 << 30;
  EXPECT_EQ(DDPTransform(*gray, 3, 50, 0), nullptr);
  EXPECT_EQ(DDPTransform(rgb, 3, 50, 0), nullptr);
  gray->Width = gray->Height = rgb.Width = rgb.Height = 1;
}

}  // namespace
