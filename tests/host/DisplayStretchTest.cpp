#include "DisplayStretch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace {

// A horizontal ramp: sample c of pixel x holds base(x, c) = x * 3 + c, scaled into the depth
// by a power of two so that every depth holds exactly the same ratios.
THostImageFile Ramp(int width, int height, int channels, int depth) {
  THostImageFile image;
  EXPECT_TRUE(image.Allocate(width, height, channels, depth));
  const double scale = depth == 8 ? 1 : depth == 16 ? 256 : 1.0 / 256;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      for (int c = 0; c < channels; ++c) image.SetSample(x, y, c, (x * 3 + c) * scale);
  return image;
}

// Where the right half of a comparison starts.
int Right(const THostImageFile& input) { return input.Width + kCompareGapPx; }

struct TShape {
  int Channels;
  int Depth;
};

class CompareSideBySideShapes : public testing::TestWithParam<TShape> {};

TEST_P(CompareSideBySideShapes, IdenticalHalvesAndTheSamePictureAtEveryDepth) {
  const TShape& p = GetParam();
  const THostImageFile input = Ramp(30, 4, p.Channels, p.Depth);
  const THostImageFile picture = CompareSideBySide(input, input);
  ASSERT_EQ(picture.Width, 2 * 30 + kCompareGapPx);
  ASSERT_EQ(picture.Height, 4);
  ASSERT_EQ(picture.Channels, p.Channels);
  ASSERT_EQ(picture.Depth, 8);
  for (int y = 0; y < 4; ++y)
    for (int c = 0; c < p.Channels; ++c) {
      for (int x = 0; x < 30; ++x)
        ASSERT_EQ(picture.Sample(x, y, c), picture.Sample(Right(input) + x, y, c)) << x;
      for (int x = 0; x < kCompareGapPx; ++x) EXPECT_EQ(picture.Sample(30 + x, y, c), 128);
    }
  // The darkest samples show black and the brightest white, whatever the depth stores.
  EXPECT_EQ(picture.Sample(0, 0, 0), 0);
  EXPECT_EQ(picture.Sample(29, 0, p.Channels - 1), 255);
  const THostImageFile reference = CompareSideBySide(Ramp(30, 4, p.Channels, 8), Ramp(30, 4, p.Channels, 8));
  EXPECT_TRUE(picture.Data == reference.Data);
}

INSTANTIATE_TEST_SUITE_P(GrayAndRGB, CompareSideBySideShapes,
                         testing::Values(TShape{1, 8}, TShape{1, 16}, TShape{1, 32}, TShape{3, 8},
                                         TShape{3, 16}, TShape{3, 32}),
                         [](const testing::TestParamInfo<TShape>& info) {
                           return std::string(info.param.Channels == 1 ? "Gray" : "RGB") +
                                  std::to_string(info.param.Depth);
                         });

TEST(CompareSideBySide, OutputIsShownUnderTheInputsStretch) {
  // The output holds only the darker half of the input's values (pixel x shows input pixel
  // x / 2) and one value above anything in the input. A stretch of its own would spread that
  // over the whole range; the input's must show each value exactly as the left half does.
  const THostImageFile input = Ramp(40, 1, 1, 16);
  THostImageFile output = input;
  for (int x = 0; x < 40; ++x) output.SetSample(x, 0, 0, input.Sample(x / 2, 0, 0));
  output.SetSample(39, 0, 0, 65535);
  const THostImageFile picture = CompareSideBySide(input, output);
  for (int x = 0; x < 39; ++x)
    EXPECT_EQ(picture.Sample(Right(input) + x, 0, 0), picture.Sample(x / 2, 0, 0)) << x;
  EXPECT_EQ(picture.Sample(Right(input) + 39, 0, 0), 255);
  EXPECT_LT(picture.Sample(Right(input) + 38, 0, 0), 200);
}

TEST(CompareSideBySide, RealFrameShowsSkyGrainDarkAndStarsWhite) {
  // A 16-bit frame of a few stars on a sky of about 300 counts, with a darker overscan strip
  // (about 213) along its left and top edges.
  THostImageFile frame;
  std::string error;
  ASSERT_TRUE(ReadImageFile(std::string(SKELVANE_SAMPLES_DIR) + "/saao-a8280271.fits", frame, &error))
      << error;
  const THostImageFile picture = CompareSideBySide(frame, frame);
  std::vector<int> sky;
  for (int y = 120; y < 180; ++y)  // an empty patch of sky
    for (int x = 200; x < 260; ++x) sky.push_back(static_cast<int>(picture.Sample(x, y, 0)));
  std::sort(sky.begin(), sky.end());
  const int low = sky[sky.size() / 20], median = sky[sky.size() / 2], high = sky[sky.size() * 19 / 20];
  // Dark gray, neither crushed to black nor washed out, and its grain spans many levels.
  EXPECT_GT(median, 25);
  EXPECT_LT(median, 100);
  EXPECT_GT(high - low, 20);
  for (int y = 100; y < 400; y += 50) EXPECT_EQ(picture.Sample(3, y, 0), 0) << y;
  EXPECT_EQ(picture.Sample(340, 397, 0), 255);  // the brightest star
  EXPECT_EQ(picture.Sample(Right(frame) + 340, 397, 0), 255);
}

TEST(CompareSideBySide, GrayBesideRGBRepeatsIntoAllChannelsAndPadsTheLowerHalf) {
  const THostImageFile gray = Ramp(10, 3, 1, 16);
  const THostImageFile rgb = Ramp(6, 2, 3, 16);
  const THostImageFile picture = CompareSideBySide(gray, rgb);
  ASSERT_EQ(picture.Width, 10 + kCompareGapPx + 6);
  ASSERT_EQ(picture.Height, 3);
  ASSERT_EQ(picture.Channels, 3);
  for (int x = 0; x < 10; ++x) {
    EXPECT_EQ(picture.Sample(x, 1, 0), picture.Sample(x, 1, 1));
    EXPECT_EQ(picture.Sample(x, 1, 0), picture.Sample(x, 1, 2));
  }
  // The RGB half keeps its channels apart and is black below its last row.
  EXPECT_LT(picture.Sample(Right(gray) + 1, 0, 0), picture.Sample(Right(gray) + 1, 0, 2));
  for (int x = 0; x < 6; ++x)
    for (int c = 0; c < 3; ++c) EXPECT_EQ(picture.Sample(Right(gray) + x, 2, c), 0);
}

TEST(CompareSideBySide, MalformedImageGivesEmptyPicture) {
  THostImageFile broken = Ramp(4, 4, 1, 16);
  broken.Data.pop_back();
  EXPECT_TRUE(CompareSideBySide(broken, Ramp(4, 4, 1, 16)).Data.empty());
  EXPECT_TRUE(CompareSideBySide(Ramp(4, 4, 1, 16), THostImageFile()).Data.empty());
}

TEST(DisplayStretch, SquareRootLiftsFaintValuesBetweenThePercentiles) {
  THostImageFile image;
  ASSERT_TRUE(image.Allocate(101, 1, 1, 16));
  for (int x = 0; x <= 100; ++x) image.SetSample(x, 0, 0, 1000 + 10 * x);
  const TDisplayStretch stretch = StretchFromPercentiles(image, 10, 90, TStretchCurve::SquareRoot);
  EXPECT_EQ(stretch.Black, 1100);
  EXPECT_EQ(stretch.White, 1900);
  EXPECT_EQ(stretch.Level(1000), 0);
  EXPECT_EQ(stretch.Level(1100), 0);
  // A quarter of the way up shows at half brightness; linear shows it at a quarter.
  EXPECT_DOUBLE_EQ(stretch.Level(1300), 127.5);
  EXPECT_EQ(stretch.Level(1900), 255);
  EXPECT_EQ(stretch.Level(std::numeric_limits<double>::infinity()), 255);
  EXPECT_EQ(stretch.Level(std::nan("")), 0);
  double previous = -1;
  for (double v = 1100; v <= 1900; v += 7) {
    EXPECT_GT(stretch.Level(v), previous);
    previous = stretch.Level(v);
  }
}

TEST(DisplayStretch, NaNSamplesDoNotMoveThePercentiles) {
  THostImageFile clean, holed;
  ASSERT_TRUE(clean.Allocate(50, 1, 1, 32));
  ASSERT_TRUE(holed.Allocate(100, 1, 1, 32));
  for (int x = 0; x < 50; ++x) {
    clean.SetSample(x, 0, 0, x * 0.01);
    holed.SetSample(2 * x, 0, 0, x * 0.01);
    holed.SetSample(2 * x + 1, 0, 0, std::nan(""));
  }
  const TDisplayStretch a = StretchFromPercentiles(clean, 5, 95, TStretchCurve::Linear);
  const TDisplayStretch b = StretchFromPercentiles(holed, 5, 95, TStretchCurve::Linear);
  EXPECT_EQ(a.Black, b.Black);
  EXPECT_EQ(a.White, b.White);
  EXPECT_EQ(ApplyStretch(holed, b).Sample(1, 0, 0), 0);
}

TEST(DisplayStretch, FlatImageDoesNotDivideByZero) {
  THostImageFile flat;
  ASSERT_TRUE(flat.Allocate(3, 3, 1, 16));
  for (int i = 0; i < 9; ++i) flat.SetSample(i % 3, i / 3, 0, 500);
  const THostImageFile view = ApplyStretch(flat, CompareStretch(flat));
  ASSERT_EQ(view.Data.size(), 9u);
  for (uint8_t level : view.Data) EXPECT_EQ(level, 0);
}

}  // namespace
