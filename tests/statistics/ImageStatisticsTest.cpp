// Tests of the per-channel figures and of the list rows and caption made from them.
#include "statistics/ImageStatistics.h"

#include "tests/framework/BitHash.h"
#include "tests/framework/Generators.h"
#include "tests/statistics/StatisticsTestBlock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <utility>
#include <vector>

namespace {

using stattest::TTestBlock;
using TRowTexts = std::vector<std::string>;  // caption, then the five column texts

const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

std::vector<TRowTexts> Texts(const TStatisticsTable& table) {
  std::vector<TRowTexts> rows;
  for (const TStatisticsRow& row : table.Rows) {
    TRowTexts texts{row.Caption};
    texts.insert(texts.end(), row.SubItems.begin(), row.SubItems.end());
    rows.push_back(texts);
  }
  return rows;
}

struct TRowsCase {
  const char* Name;
  int Width, Height;
  bool IsGray;
  int BitDepth;
  std::vector<float> Samples;
  std::vector<TRowTexts> Rows;
};

class StatisticsRowsTest : public ::testing::TestWithParam<TRowsCase> {};

TEST_P(StatisticsRowsTest, RowsShowTheFiguresAndTheCaptionTheSize) {
  const TRowsCase& c = GetParam();
  const TTestBlock block(c.Width, c.Height, c.IsGray, c.BitDepth, c.Samples);
  const TStatisticsTable table = ComputeStatistics(block.Image(), '.');
  EXPECT_TRUE(table.Succeeded);
  EXPECT_EQ(Texts(table), c.Rows);
  EXPECT_EQ(table.Caption,
            "Statistics - [" + std::to_string(c.Width) + " x " + std::to_string(c.Height) + "]");
}

const float k2To49 = 562949953421312.0f;

INSTANTIATE_TEST_SUITE_P(
    Images, StatisticsRowsTest,
    ::testing::Values(
        TRowsCase{"Gray8Uniform100", 3, 2, true, 8, std::vector<float>(6, 100.0f),
                  {{"*", "100", "100", "100.000", "0.000", "600"}}},
        TRowsCase{"Gray8ZeroAnd255", 2, 1, true, 8, {0, 255}, {{"*", "0", "255", "127.500", "127.500", "255"}}},
        TRowsCase{"Gray8AllZero", 4, 3, true, 8, {}, {{"*", "0", "0", "0.000", "0.000", "0"}}},
        TRowsCase{"Gray8SinglePixel", 1, 1, true, 8, {7}, {{"*", "7", "7", "7.000", "0.000", "7"}}},
        TRowsCase{"Gray16Maximum", 2, 2, true, 16, std::vector<float>(4, 65535.0f),
                  {{"*", "65535", "65535", "65535.000", "0.000", "262140"}}},
        // Deviation 0.2795 and sum 2.5 round half away from zero as text; extremes whole.
        TRowsCase{"Gray32UnitRange", 2, 2, true, 32, {0.25f, 0.5f, 0.75f, 1.0f},
                  {{"*", "0", "1", "0.625", "0.280", "3"}}},
        TRowsCase{"Gray32Negative", 2, 1, true, 32, {-1.5f, 2.5f}, {{"*", "-2", "3", "0.500", "2.000", "1"}}},
        TRowsCase{"RGB8PureRed", 1, 1, false, 8, {255, 0, 0},
                  {{"R", "255.000", "255.000", "255.000", "0.000", "255.000"},
                   {"G", "0.000", "0.000", "0.000", "0.000", "0.000"},
                   {"B", "0.000", "0.000", "0.000", "0.000", "0.000"}}},
        TRowsCase{"RGB16", 2, 1, false, 16, {65535, 0, 1000, 65535, 32768, 3000},
                  {{"R", "65535.000", "65535.000", "65535.000", "0.000", "131070.000"},
                   {"G", "0.000", "32768.000", "16384.000", "16384.000", "32768.000"},
                   {"B", "1000.000", "3000.000", "2000.000", "1000.000", "4000.000"}}},
        // Red: the sum is stored rounded per sample, 312.5 -> 312, 624.5 -> 624. Green: all
        // negative, and the maximum is the largest of them. Blue: SumSq 156.25 -> 156 -> 312.
        TRowsCase{"RGB32PerSampleRounding", 2, 1, false, 32, {0.03125f, -1.0f, 0.5f, 0.03125f, -3.0f, 0.25f},
                  {{"R", "0.031", "0.031", "0.031", "0.000", "0.062"},
                   {"G", "-3.000", "-1.000", "-2.000", "1.000", "-4.000"},
                   {"B", "0.250", "0.500", "0.375", "0.125", "0.750"}}},
        // NaN and infinite samples (blanks) are left out: a channel's figures are those of its
        // finite samples, mean and deviation over their number; a channel of blanks only has
        // no row.
        TRowsCase{"RGB32BlanksInGreenAndBlue", 2, 1, false, 32, {0.5f, kNaN, kInf, 1.0f, 0.0f, 1.0f},
                  {{"R", "0.500", "1.000", "0.750", "0.250", "1.500"},
                   {"G", "0.000", "0.000", "0.000", "0.000", "0.000"},
                   {"B", "1.000", "1.000", "1.000", "0.000", "1.000"}}},
        TRowsCase{"RGB32AllBlankGreen", 2, 1, false, 32, {0.25f, kNaN, -kInf, 0.75f, kInf, 0.5f},
                  {{"R", "0.250", "0.750", "0.500", "0.250", "1.000"},
                   {"B", "0.500", "0.500", "0.500", "0.000", "0.500"}}},
        TRowsCase{"Gray32BlanksAndInfinities", 3, 2, true, 32, {2.0f, kNaN, 4.0f, kInf, -kInf, 6.0f},
                  {{"*", "2", "6", "4.000", "1.633", "12"}}},
        // 2^49 * 10000 fits the signed 64-bit sum; 2^50 * 10000 does not; the squared
        // deviations of 0 and 2^49 do not either.
        TRowsCase{"Gray32LargestSum", 1, 1, true, 32, {k2To49},
                  {{"*", "562949953421312", "562949953421312", "562949953421312.000", "0.000",
                    "562949953421312"}}},
        TRowsCase{"Gray32SumOutOfRange", 1, 1, true, 32, {2 * k2To49}, {}},
        TRowsCase{"Gray32SumSqOutOfRange", 2, 1, true, 32, {0, k2To49}, {}}),
    [](const ::testing::TestParamInfo<TRowsCase>& info) { return std::string(info.param.Name); });

TEST(StatisticsTest, DecimalSeparatorIsTheCallers) {
  const TTestBlock gray(2, 1, true, 8, {0, 255});
  EXPECT_EQ(Texts(ComputeStatistics(gray.Image(), ',')),
            (std::vector<TRowTexts>{{"*", "0", "255", "127,500", "127,500", "255"}}));
  const TTestBlock rgb(1, 1, false, 32, {0.5f, 0.25f, 1.0f});
  EXPECT_EQ(Texts(ComputeStatistics(rgb.Image(), ',')).at(1),
            (TRowTexts{"G", "0,250", "0,250", "0,250", "0,000", "0,250"}));
}

TEST(StatisticsTest, FixedPointTextRoundsTheExactDecimalHalfAwayFromZero) {
  // 469 twos and 1531 ones: mean 1.2345 exactly, which no binary fraction is, shown 1.235
  // (and -1.235 when negated).
  std::vector<float> samples(2000, 1.0f);
  for (int i = 0; i < 469; ++i) samples[static_cast<std::size_t>(i) * 4] = 2.0f;
  const TTestBlock gray(40, 50, true, 8, samples);
  const TStatisticsTable table = ComputeStatistics(gray.Image(), '.');
  ASSERT_EQ(table.Rows.size(), 1u);
  EXPECT_EQ(table.Rows[0].SubItems[2], "1.235");
  EXPECT_EQ(table.Rows[0].SubItems[4], "2469");

  for (float& s : samples) s = -s;
  const TTestBlock negative(40, 50, true, 32, samples);
  const TStatisticsTable negativeTable = ComputeStatistics(negative.Image(), '.');
  ASSERT_EQ(negativeTable.Rows.size(), 1u);
  EXPECT_EQ(negativeTable.Rows[0].SubItems[2], "-1.235");
}

TEST(StatisticsTest, StoresRoundTiesToEven) {
  // 32 pixels: Sum / N = 312.5 and 937.5 units, stored as 312 and 938.
  const std::pair<int, int64_t> cases[] = {{1, 312}, {3, 938}};
  for (const auto& [ones, mean] : cases) {
    std::vector<float> samples(32, 0.0f);
    for (int i = 0; i < ones; ++i) samples[static_cast<std::size_t>(i)] = 1.0f;
    const TTestBlock gray(8, 4, true, 8, samples);
    const std::vector<TChannelFigures> figures = ComputeChannelFigures(gray.Image());
    ASSERT_EQ(figures.size(), 1u);
    EXPECT_TRUE(figures[0].Valid);
    EXPECT_EQ(figures[0].Sum, ones * 10000);
    EXPECT_EQ(figures[0].Mean, mean);
  }
  const TTestBlock halves(2, 1, true, 32, {0.03125f, 0.03125f});
  const std::vector<TChannelFigures> figures = ComputeChannelFigures(halves.Image());
  ASSERT_EQ(figures.size(), 1u);
  EXPECT_EQ(figures[0].Sum, 624);
  EXPECT_EQ(figures[0].Mean, 312);
  EXPECT_EQ(figures[0].SumSq, 0);
}

TEST(StatisticsTest, LargeImageCaptionCarriesItsSize) {
  const TTestBlock gray = TTestBlock::Constant(3000, 2000, true, 8, 1.0f);
  const TStatisticsTable table = ComputeStatistics(gray.Image(), '.');
  EXPECT_EQ(table.Caption, "Statistics - [3000 x 2000]");
  ASSERT_EQ(table.Rows.size(), 1u);
  EXPECT_EQ(table.Rows[0].SubItems[4], "6000000");
}

// Blocks the readers cannot read give the failure result of both methods.
struct TUnreadableCase {
  const char* Name;
  void (*Spoil)(TStatisticsImage&);
};

class UnreadableImageTest : public ::testing::TestWithParam<TUnreadableCase> {};

TEST_P(UnreadableImageTest, GivesNoRowsTheBareCaptionAndNoSeries) {
  for (bool isGray : {true, false}) {
    const TTestBlock block = TTestBlock::Constant(4, 3, isGray, 16, 1000.0f);
    TStatisticsImage image = block.Image();
    GetParam().Spoil(image);
    const TStatisticsTable table = ComputeStatistics(image, '.');
    EXPECT_FALSE(table.Succeeded);
    EXPECT_TRUE(table.Rows.empty());
    EXPECT_EQ(table.Caption, "Statistics");
    EXPECT_TRUE(ComputeChannelFigures(image).empty());
    const THistogram histogram = BuildHistogram(image);
    EXPECT_TRUE(histogram.Series.empty());
    EXPECT_TRUE(histogram.Scales.empty());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Blocks, UnreadableImageTest,
    ::testing::Values(TUnreadableCase{"NullBlock", [](TStatisticsImage& i) { i.Data = nullptr; }},
                      TUnreadableCase{"Depth0", [](TStatisticsImage& i) { i.BitDepth = 0; }},
                      TUnreadableCase{"Depth24", [](TStatisticsImage& i) { i.BitDepth = 24; }},
                      TUnreadableCase{"NoColumns", [](TStatisticsImage& i) { i.Width = 0; }},
                      TUnreadableCase{"NoRows", [](TStatisticsImage& i) { i.Height = 0; }},
                      TUnreadableCase{"NegativeWidth", [](TStatisticsImage& i) { i.Width = -4; }},
                      TUnreadableCase{"NegativeHeight", [](TStatisticsImage& i) { i.Height = -3; }},
                      TUnreadableCase{"RowBytesBelowOneRow",
                                      [](TStatisticsImage& i) { i.RowBytes = i.Width * (i.IsGray ? 2 : 6) - 1; }},
                      TUnreadableCase{"NegativeRowBytes", [](TStatisticsImage& i) { i.RowBytes = -i.RowBytes; }}),
    [](const ::testing::TestParamInfo<TUnreadableCase>& info) { return std::string(info.param.Name); });

TEST(StatisticsTest, RowBytesOfExactlyOneRowIsEnough) {
  const TTestBlock block(3, 2, false, 16, std::vector<float>(18, 500.0f), 0);
  EXPECT_EQ(ComputeStatistics(block.Image(), '.').Rows.size(), 3u);
  EXPECT_EQ(BuildHistogram(block.Image()).Series.size(), 4u);
}

// Integer images against exact integer sums and a long double deviation.
struct TReferenceCase {
  bool IsGray;
  int BitDepth;
  int Width, Height;
};

class StatisticsReferenceTest : public ::testing::TestWithParam<TReferenceCase> {};

TEST_P(StatisticsReferenceTest, FiguresMatchDirectComputation) {
  const TReferenceCase& c = GetParam();
  const int channels = c.IsGray ? 1 : 3;
  const int top = c.BitDepth == 8 ? 256 : 65536;
  testgen::TRandom random(1234u + static_cast<std::uint32_t>(c.BitDepth));
  std::vector<float> samples(static_cast<std::size_t>(c.Width) * c.Height * channels);
  for (float& s : samples) s = static_cast<float>(random.Below(top));
  const TTestBlock block(c.Width, c.Height, c.IsGray, c.BitDepth, samples);
  const std::vector<TChannelFigures> figures = ComputeChannelFigures(block.Image());
  ASSERT_EQ(figures.size(), static_cast<std::size_t>(channels));

  const int64_t n = static_cast<int64_t>(c.Width) * c.Height;
  for (int ch = 0; ch < channels; ++ch) {
    int64_t total = 0;
    float low = 2.0E32f, high = 0.0f;
    for (std::size_t i = static_cast<std::size_t>(ch); i < samples.size(); i += static_cast<std::size_t>(channels)) {
      total += static_cast<int64_t>(samples[i]);
      low = std::min(low, samples[i]);
      high = std::max(high, samples[i]);
    }
    // Mean: total * 10000 / n, rounded to nearest, ties to even, in integers.
    const int64_t units = total * 10000;
    int64_t mean = units / n;
    const int64_t twice = 2 * (units % n);
    if (twice > n || (twice == n && mean % 2 != 0)) ++mean;
    long double squares = 0;
    for (std::size_t i = static_cast<std::size_t>(ch); i < samples.size(); i += static_cast<std::size_t>(channels)) {
      const long double d = (static_cast<long double>(samples[i]) * 10000 - mean) / 10000;
      squares += d * d;
    }
    const long double deviation = std::sqrt(squares / n) * 10000;

    const TChannelFigures& f = figures[static_cast<std::size_t>(ch)];
    EXPECT_TRUE(f.Valid);
    EXPECT_EQ(f.Minimum, low);
    EXPECT_EQ(f.Maximum, high);
    EXPECT_EQ(f.Sum, units);
    EXPECT_EQ(f.Mean, mean);
    EXPECT_NEAR(static_cast<double>(f.StdDev), static_cast<double>(deviation), 1.0) << "channel " << ch;
  }
}

INSTANTIATE_TEST_SUITE_P(Images, StatisticsReferenceTest,
                         ::testing::Values(TReferenceCase{true, 8, 37, 23}, TReferenceCase{false, 8, 41, 19},
                                           TReferenceCase{true, 16, 29, 31}, TReferenceCase{false, 16, 64, 48}));

}  // namespace

namespace {

// One hash over the figures, the list texts and the histogram series of fixed star fields at
// every depth, gray and RGB, with padded rows. The arithmetic is fixed down to the bit, so the
// same constant must come out of every build; a tolerance would not show a difference.
TEST(StatisticsTest, FiguresAndHistogramsHashToTheSameConstantInEveryBuild) {
  testgen::TFnv1a hash;
  for (const auto& [w, h] : {std::pair<int, int>{37, 23}, std::pair<int, int>{300, 200}})
    for (int depth : {8, 16, 32})
      for (bool gray : {true, false}) {
        const int channels = gray ? 1 : 3;
        const double top = depth == 8 ? 255 : depth == 16 ? 65535 : 1.25;
        std::vector<float> samples(static_cast<std::size_t>(w) * h * channels);
        for (int c = 0; c < channels; ++c) {
          auto field = testgen::StarField(w, h, 31u + c);
          for (int i = 0; i < w * h; ++i)
            samples[static_cast<std::size_t>(i) * channels + c] =
                static_cast<float>(std::min(field->Data[i] * top, top));
        }
        const TTestBlock block(w, h, gray, depth, samples, 5);
        for (const TChannelFigures& f : ComputeChannelFigures(block.Image())) {
          hash.Add(&f.Minimum, sizeof f.Minimum);
          hash.Add(&f.Maximum, sizeof f.Maximum);
          for (const std::int64_t figure : {f.Sum, f.Mean, f.SumSq, f.StdDev}) hash.Add(&figure, sizeof figure);
        }
        for (const TRowTexts& row : Texts(ComputeStatistics(block.Image(), '.')))
          for (const std::string& text : row) hash.Add(text.c_str(), text.size() + 1);
        const THistogram histogram = BuildHistogram(block.Image());
        for (float scale : histogram.Scales) hash.Add(scale);
        for (const THistogramSeries& series : histogram.Series)
          for (const TChartPoint& point : series.Points) {
            hash.Add(&point.X, sizeof point.X);
            hash.Add(&point.Y, sizeof point.Y);
          }
      }
  EXPECT_EQ(hash.Value(), 0x247462a443205f81ull) << std::hex << hash.Value();
}

}  // namespace
