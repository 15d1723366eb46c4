#include "framework/Utilities.h"

#include "tests/framework/Generators.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

namespace {

class PaddedSizeTest : public ::testing::TestWithParam<std::tuple<int, int>> {};

TEST_P(PaddedSizeTest, GivesPowerOfTwoAtLeast64OrUnchangedAbove16384) {
  EXPECT_EQ(PaddedSize(std::get<0>(GetParam())), std::get<1>(GetParam()));
}

INSTANTIATE_TEST_SUITE_P(Sides, PaddedSizeTest,
                         ::testing::Values(std::make_tuple(1, 64), std::make_tuple(64, 64),
                                           std::make_tuple(65, 128), std::make_tuple(100, 128),
                                           std::make_tuple(257, 512), std::make_tuple(8192, 8192),
                                           std::make_tuple(8193, 16384), std::make_tuple(16384, 16384),
                                           std::make_tuple(16385, 16385), std::make_tuple(40000, 40000)));

// Offsets and content of tiles and padded planes: (source w, h, plane w, h, offset x, y).
struct TPlacement {
  int W, H, PlaneW, PlaneH, OffsetX, OffsetY;
  bool Tile;
};

class PlacementTest : public ::testing::TestWithParam<TPlacement> {};

TEST_P(PlacementTest, ImageSitsAtOffsetOnHalfGrayBackground) {
  const TPlacement c = GetParam();
  auto gray = testgen::Ramp(c.W, c.H);
  TDataContainerRGB rgb(c.W, c.H);
  for (int y = 0; y < c.H; ++y)
    for (int x = 0; x < c.W; ++x) rgb.SetPixel(x, y, {1.0f, gray->GetValue(x, y), 3.0f});

  int ox = -1, oy = -1, pw = -1, ph = -1;
  auto fromGray = c.Tile ? GrayToTile(*gray, ox, oy, pw, ph) : GrayToPadded(*gray, ox, oy, pw, ph);
  int rox, roy, rpw, rph;
  auto fromRGB = c.Tile ? RGBChannelToTile(rgb, 2, rox, roy, rpw, rph) : RGBChannelToPadded(rgb, 2, rox, roy, rpw, rph);
  ASSERT_TRUE(fromGray && fromRGB);
  EXPECT_EQ(std::make_tuple(ox, oy, pw, ph), std::make_tuple(c.OffsetX, c.OffsetY, c.PlaneW, c.PlaneH));
  EXPECT_EQ(std::make_tuple(rox, roy, rpw, rph), std::make_tuple(ox, oy, pw, ph));
  ASSERT_EQ(fromGray->Width, pw);
  ASSERT_EQ(fromGray->Height, ph);
  for (int y = 0; y < ph; ++y)
    for (int x = 0; x < pw; ++x) {
      const int sx = x - ox, sy = y - oy;
      const bool inside = sx >= 0 && sy >= 0 && sx < c.W && sy < c.H;
      const float expected = inside ? gray->GetValue(sx, sy) : 0.5f;
      ASSERT_EQ(fromGray->GetValue(x, y), expected) << x << "," << y;
      ASSERT_EQ(fromRGB->GetValue(x, y), expected) << x << "," << y;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, PlacementTest,
                         ::testing::Values(TPlacement{100, 50, 256, 256, 78, 103, true},
                                           TPlacement{300, 100, 256, 256, 0, 78, true},
                                           TPlacement{256, 300, 256, 256, 0, 0, true},
                                           TPlacement{100, 64, 128, 64, 14, 0, false},
                                           TPlacement{101, 1, 128, 64, 13, 31, false},
                                           TPlacement{300, 65, 512, 128, 106, 31, false}));

TEST(UtilitiesTest, RGBChannelSelectsRedGreenBlue) {
  TDataContainerRGB rgb(2, 2);
  rgb.SetPixel(1, 1, {0.1f, 0.2f, 0.3f});
  const float expected[] = {0.1f, 0.2f, 0.3f};
  for (int channel = 1; channel <= 3; ++channel) {
    int ox, oy, w, h;
    auto tile = RGBChannelToTile(rgb, channel, ox, oy, w, h);
    EXPECT_EQ(tile->GetValue(ox + 1, oy + 1), expected[channel - 1]);
  }
}

TEST(UtilitiesTest, DisplayCurveIsLinearBelow32BitsAndSquareRootAt32) {
  const auto linear8 = DisplayCurve(8);
  const auto linear16 = DisplayCurve(16);
  for (int i = 0; i < 256; ++i) {
    EXPECT_EQ(linear8[i], static_cast<float>(i));
    EXPECT_EQ(linear16[i], static_cast<float>(i));
  }
  const auto curve = DisplayCurve(32);
  const std::pair<int, int> points[] = {{0, 0},    {1, 16},   {2, 23},   {16, 64},  {64, 128},
                                        {128, 181}, {192, 221}, {254, 254}, {255, 255}};
  for (const auto& pt : points) EXPECT_EQ(std::nearbyint(curve[pt.first]), pt.second) << pt.first;
  for (int i = 0; i < 256; ++i) {
    EXPECT_EQ(std::nearbyint(curve[i]), std::nearbyint(std::sqrt(255.0 * i))) << i;
    EXPECT_NE(std::fabs(curve[i] - std::floor(curve[i])), 0.5f);
  }
}

// (plane value, bit depth, expected display byte).
class RenderTest : public ::testing::TestWithParam<std::tuple<float, int, int>> {};

TEST_P(RenderTest, GrayBitmapRendersThroughClampLevelAndCurve) {
  const auto [v, depth, expected] = GetParam();
  TDataContainer plane(1, 1);
  plane.SetValue(0, 0, v);
  auto bitmap = GrayContainerToBitmap(plane, depth);
  ASSERT_TRUE(bitmap);
  std::uint8_t r, g, b;
  bitmap->GetPixel(0, 0, r, g, b);
  EXPECT_EQ(r, expected);
  EXPECT_EQ(g, expected);
  EXPECT_EQ(b, expected);
}

INSTANTIATE_TEST_SUITE_P(Values, RenderTest,
                         ::testing::Values(std::make_tuple(1.5f, 8, 255), std::make_tuple(-0.2f, 8, 0),
                                           std::make_tuple(testgen::NaN(), 8, 0),
                                           std::make_tuple(testgen::NaN(), 32, 0),
                                           std::make_tuple(0.5f, 8, 128), std::make_tuple(0.5f, 16, 128),
                                           std::make_tuple(0.5f, 32, 181), std::make_tuple(1.0f, 32, 255),
                                           std::make_tuple(-std::numeric_limits<float>::infinity(), 32, 0)));

TEST(UtilitiesTest, RGBBitmapStoresBlueGreenRedAtRowStart) {
  TDataContainerRGB rgb(3, 2);
  rgb.SetPixel(0, 0, {0.2f, 0.4f, 0.6f});
  rgb.SetPixel(2, 1, {1.0f, 0.0f, 0.5f});
  auto bitmap = RGBContainerToBitmap(rgb, 8);
  ASSERT_TRUE(bitmap);
  ASSERT_EQ(bitmap->Width(), 3);
  ASSERT_EQ(bitmap->RowBytes(), 12);
  const std::uint8_t* row0 = bitmap->Row(0);
  EXPECT_EQ(row0[0], 153);
  EXPECT_EQ(row0[1], 102);
  EXPECT_EQ(row0[2], 51);
  const std::uint8_t* row1 = bitmap->Row(1);
  EXPECT_EQ(row1[6], 128);
  EXPECT_EQ(row1[7], 0);
  EXPECT_EQ(row1[8], 255);
}

TEST(UtilitiesTest, YUVRoundTripKeepsGrayAndPrimariesClose) {
  for (float c : {0.0f, 0.25f, 0.5f, 1.0f}) {
    float y, u, v, r, g, b;
    RGBToYUV(c, c, c, y, u, v);
    YUVToRGB(y, u, v, r, g, b);
    EXPECT_NEAR(r, c, 1e-6);
    EXPECT_NEAR(g, c, 1e-6);
    EXPECT_NEAR(b, c, 1e-6);
  }
  const TPixelRGB primaries[] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  for (const TPixelRGB& p : primaries) {
    float y, u, v, r, g, b;
    RGBToYUV(p.R, p.G, p.B, y, u, v);
    YUVToRGB(y, u, v, r, g, b);
    EXPECT_NEAR(r, p.R, 4e-4);
    EXPECT_NEAR(g, p.G, 4e-4);
    EXPECT_NEAR(b, p.B, 4e-4);
  }
  float y, u, v, r, g, b;
  RGBToYUV(1, 0, 0, y, u, v);
  YUVToRGB(y, u, v, r, g, b);
  EXPECT_NEAR(r, 1.0001, 5e-5);
  EXPECT_NEAR(g, -0.00025, 5e-5);
  EXPECT_NEAR(b, 0.0003, 5e-5);
}

TEST(UtilitiesTest, PreviewBitmapsShowTheWindowAndClampAfterColourConversion) {
  auto y = testgen::Constant(8, 8, 0.0f);
  auto u = testgen::Constant(8, 8, 0.0f);
  auto v = testgen::Constant(8, 8, 0.0f);
  y->SetValue(3, 2, 0.5f);
  // Luminance above 1 with chrominance that brings red back into range.
  y->SetValue(4, 2, 1.2f);
  v->SetValue(4, 2, -0.2f);
  auto bitmap = YUVToPreviewBitmap(*y, *u, *v, 3, 2, 2, 1, 8);
  ASSERT_TRUE(bitmap);
  ASSERT_EQ(bitmap->Width(), 2);
  std::uint8_t r, g, b;
  bitmap->GetPixel(0, 0, r, g, b);
  EXPECT_EQ(std::make_tuple(r, g, b), std::make_tuple(128, 128, 128));
  bitmap->GetPixel(1, 0, r, g, b);
  // R = 1.2 - 0.228 = 0.972 -> 248; G = 1.2 + 0.1162 clamps to 255; B = 1.2 clamps to 255.
  EXPECT_EQ(std::make_tuple(r, g, b), std::make_tuple(248, 255, 255));

  auto gray = GrayToPreviewBitmap(*y, 3, 2, 2, 1, 32);
  ASSERT_TRUE(gray);
  gray->GetPixel(0, 0, r, g, b);
  EXPECT_EQ(r, 181);
}

TEST(UtilitiesTest, BitmapOfUncreatableSizeIsNoBitmap) {
  TDataContainer empty(0, 5);
  EXPECT_EQ(GrayContainerToBitmap(empty, 8), nullptr);
  auto y = testgen::Constant(4, 4, 0.0f);
  EXPECT_EQ(YUVToPreviewBitmap(*y, *y, *y, 0, 0, -1, 4, 8), nullptr);
}

TEST(Bitmap24Test, RowsArePaddedToFourBytesAndTopDown) {
  auto bitmap = TBitmap24::Create(5, 3);
  ASSERT_TRUE(bitmap);
  EXPECT_EQ(bitmap->RowBytes(), 16);
  bitmap->Fill(1, 2, 3);
  bitmap->SetPixel(4, 2, 10, 20, 30);
  EXPECT_EQ(bitmap->Bits() + 2 * 16, bitmap->Row(2));
  const std::uint8_t* p = bitmap->Row(2) + 12;
  EXPECT_EQ(std::make_tuple(p[0], p[1], p[2]), std::make_tuple(30, 20, 10));
  EXPECT_EQ(bitmap->Row(0)[15], 0);  // padding untouched
  std::uint8_t r, g, b;
  bitmap->GetPixel(0, 1, r, g, b);
  EXPECT_EQ(std::make_tuple(r, g, b), std::make_tuple(1, 2, 3));
  EXPECT_EQ(TBitmap24::Create(0, 3), nullptr);
  EXPECT_EQ(TBitmap24::Create(1 << 30, 1 << 30), nullptr);
}

}  // namespace
