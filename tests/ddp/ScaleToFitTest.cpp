// Tests of the fit-to-box nearest-neighbour copies.
#include "ddp/ScaleToFit.h"

#include "tests/framework/BitHash.h"
#include "tests/framework/Generators.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <memory>
#include <tuple>
#include <utility>

namespace {

using TSize = std::pair<int, int>;

// Every pixel names its position: x + 1000 y + 1 is exact in single precision for these sizes
// and never 0, the value of a copy pixel that nothing was written to.
std::unique_ptr<TDataContainer> Positions(int w, int h) {
  auto plane = std::make_unique<TDataContainer>(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) plane->SetValue(x, y, static_cast<float>(x + 1000 * y + 1));
  return plane;
}

std::unique_ptr<TDataContainerRGB> Colours(const TDataContainer& gray) {
  auto rgb = std::make_unique<TDataContainerRGB>(gray.Width, gray.Height);
  for (int y = 0; y < gray.Height; ++y)
    for (int x = 0; x < gray.Width; ++x) {
      const float v = gray.GetValue(x, y);
      rgb->SetPixel(x, y, {v, -v, v + 0.5f});
    }
  return rgb;
}

// Source column and row that copy pixel (i, j) took.
TSize Origin(const TDataContainer& copy, int i, int j) {
  const int v = static_cast<int>(copy.GetValue(i, j)) - 1;
  return {v % 1000, v / 1000};
}

// (source size, box size, copy size).
class FitSizeTest : public ::testing::TestWithParam<std::tuple<TSize, TSize, TSize>> {};

TEST_P(FitSizeTest, LongerSideFitsTheBoxAndRGBCopiesLikeGray) {
  const auto [source, box, expected] = GetParam();
  auto gray = Positions(source.first, source.second);
  auto rgb = Colours(*gray);
  auto copy = ScaleToFit(*gray, box.first, box.second);
  auto copyRGB = ScaleToFitRGB(*rgb, box.first, box.second);
  ASSERT_TRUE(copy && copyRGB);
  EXPECT_EQ(TSize(copy->Width, copy->Height), expected);
  EXPECT_EQ(TSize(copyRGB->Width, copyRGB->Height), expected);
  for (int j = 0; j < copy->Height; ++j)
    for (int i = 0; i < copy->Width; ++i) {
      const float v = copy->GetValue(i, j);
      TPixelRGB p;
      copyRGB->GetPixel(i, j, p);
      ASSERT_EQ(p.R, v) << i << "," << j;
      ASSERT_EQ(p.G, -v) << i << "," << j;
      ASSERT_EQ(p.B, v + 0.5f) << i << "," << j;
      if (source == expected) {
        ASSERT_EQ(v, gray->GetValue(i, j)) << i << "," << j;
      }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, FitSizeTest,
    ::testing::Values(std::make_tuple(TSize{401, 401}, TSize{401, 401}, TSize{401, 401}),
                      std::make_tuple(TSize{300, 300}, TSize{401, 401}, TSize{401, 401}),
                      std::make_tuple(TSize{400, 1600}, TSize{401, 401}, TSize{100, 401}),
                      std::make_tuple(TSize{1000, 600}, TSize{401, 401}, TSize{401, 241}),
                      std::make_tuple(TSize{600, 1000}, TSize{401, 401}, TSize{241, 401}),
                      std::make_tuple(TSize{802, 1}, TSize{401, 401}, TSize{401, 0}),
                      std::make_tuple(TSize{802, 3}, TSize{401, 401}, TSize{401, 2}),    // 1.5 -> 2
                      std::make_tuple(TSize{802, 5}, TSize{401, 401}, TSize{401, 2}),    // 2.5 -> 2
                      std::make_tuple(TSize{1, 1}, TSize{401, 401}, TSize{401, 401}),
                      std::make_tuple(TSize{200, 100}, TSize{300, 50}, TSize{300, 150}),  // width rules
                      std::make_tuple(TSize{100, 100}, TSize{300, 50}, TSize{300, 300}),  // square too
                      std::make_tuple(TSize{100, 200}, TSize{50, 300}, TSize{150, 300})));

TEST(ScaleToFitTest, ReductionTakesSinglePrecisionStepPositionsRoundedTiesToEven) {
  auto copy = ScaleToFit(*Positions(1000, 600), 401, 401);
  ASSERT_TRUE(copy);
  // Every column of a row comes from one source row, every row of a column from one source
  // column, advancing by 2 or 3 (steps 1000/401 and 600/241).
  for (int j = 0; j < 241; ++j)
    for (int i = 0; i < 401; ++i) {
      const TSize o = Origin(*copy, i, j);
      ASSERT_EQ(o.first, Origin(*copy, i, 0).first);
      ASSERT_EQ(o.second, Origin(*copy, 0, j).second);
      const int advance = i > 0 ? o.first - Origin(*copy, i - 1, j).first : 2;
      ASSERT_TRUE(advance == 2 || advance == 3) << i;
    }
  EXPECT_EQ(Origin(*copy, 1, 0).first, 2);
  EXPECT_EQ(Origin(*copy, 400, 0).first, 998);
  EXPECT_EQ(Origin(*copy, 0, 240).second, 598);
  // 321 x 1000/401 = 800.499 exactly, but the position reached by 321 single-precision
  // additions lies past 800.5.
  EXPECT_EQ(Origin(*copy, 321, 0).first, 801);
}

// Enlarged copies: the positions pass the source's last column and row before the copy's last
// ones are reached (a 100 x 100 source leaves 4 of them); those repeat the last sampled ones.
// (source side, source column and row at the copy's last column and row).
class EnlargeTest : public ::testing::TestWithParam<std::tuple<int, int>> {};

TEST_P(EnlargeTest, EveryCopyPixelHoldsANearbySourcePixelUpToTheEdge) {
  const auto [side, lastShown] = GetParam();
  auto copy = ScaleToFit(*Positions(side, side), 401, 401);
  ASSERT_TRUE(copy);
  ASSERT_EQ(TSize(copy->Width, copy->Height), TSize(401, 401));
  const double step = side / 401.0;
  for (int j = 0; j < 401; ++j)
    for (int i = 0; i < 401; ++i) {
      ASSERT_NE(copy->GetValue(i, j), 0.0f) << i << "," << j;
      const TSize o = Origin(*copy, i, j);
      ASSERT_EQ(o.first, Origin(*copy, i, 0).first);
      ASSERT_EQ(o.second, Origin(*copy, 0, j).second);
      ASSERT_LE(std::abs(o.first - i * step), 1.5) << i;
      ASSERT_LE(std::abs(o.second - j * step), 1.5) << j;
      ASSERT_GE(o.first, i > 0 ? Origin(*copy, i - 1, j).first : 0) << i;
    }
  EXPECT_EQ(Origin(*copy, 400, 400), TSize(lastShown, lastShown));
}

// A 400-pixel side never shows its last column: the position after 400 steps of 400/401 lies
// past 399.
INSTANTIATE_TEST_SUITE_P(Sides, EnlargeTest,
                         ::testing::Values(std::make_tuple(1, 0), std::make_tuple(2, 1), std::make_tuple(100, 99),
                                           std::make_tuple(300, 299), std::make_tuple(400, 398)));

TEST(ScaleToFitTest, EmptySourceGivesEmptyCopy) {
  auto copy = ScaleToFit(*std::make_unique<TDataContainer>(0, 0), 401, 401);
  ASSERT_TRUE(copy);
  EXPECT_EQ(copy->Data, nullptr);
  EXPECT_EQ(copy->Width * copy->Height, 0);
}

}  // namespace

namespace {

// One hash over fitted copies of star fields, reduced, kept and enlarged, gray and RGB. The
// sampling positions are single-precision sums, so the copies depend on every rounding; the
// same constant must come out of every build.
TEST(ScaleToFitTest, CopiesHashToTheSameConstantInEveryBuild) {
  testgen::TFnv1a hash;
  const TSize sizes[] = {{1000, 600}, {600, 1000}, {401, 401}, {300, 300}, {100, 37}, {1, 1}, {1603, 7}, {3, 1201}};
  for (const auto& [w, h] : sizes) {
    auto source = testgen::StarField(w, h, 4242u);
    auto gray = ScaleToFit(*source, 401, 401);
    ASSERT_TRUE(gray);
    hash.AddSamples(*gray);
    auto rgb = ScaleToFitRGB(*Colours(*source), 401, 401);
    ASSERT_TRUE(rgb);
    hash.Add(rgb->Data, sizeof(TPixelRGB) * static_cast<size_t>(rgb->Width) * rgb->Height);
  }
  EXPECT_EQ(hash.Value(), 0xf76eaaed771bd555ull) << std::hex << hash.Value();
}

}  // namespace
