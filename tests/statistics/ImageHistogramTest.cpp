// Tests of the 256-bin histograms and of the chart series made from them.
#include "statistics/ImageStatistics.h"

#include "tests/framework/Generators.h"
#include "tests/statistics/StatisticsTestBlock.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <utility>
#include <vector>

namespace {

using stattest::TTestBlock;

std::vector<double> Counts(const THistogramSeries& series) {
  std::vector<double> counts;
  for (const TChartPoint& p : series.Points) counts.push_back(p.Y);
  return counts;
}

// 256 zero counts with the given bins set.
std::vector<double> Bins(std::initializer_list<std::pair<int, double>> set) {
  std::vector<double> counts(256, 0.0);
  for (const auto& [bin, count] : set) counts[static_cast<std::size_t>(bin)] = count;
  return counts;
}

bool SameColour(const TChartColour& a, const TChartColour& b) { return a.R == b.R && a.G == b.G && a.B == b.B; }

THistogramSeries GraySeries(const TTestBlock& block) {
  const THistogram histogram = BuildHistogram(block.Image());
  EXPECT_EQ(histogram.Scales.size(), 1u);
  EXPECT_EQ(histogram.Series.size(), 1u);
  return histogram.Series.empty() ? THistogramSeries{} : histogram.Series[0];
}

TEST(HistogramTest, Gray8FullRangeHasScale1AndOneSampleAtEveryValue) {
  std::vector<float> samples(256);
  for (int v = 0; v < 256; ++v) samples[static_cast<std::size_t>(v)] = static_cast<float>(v);
  const TTestBlock block(16, 16, true, 8, samples);
  const THistogram histogram = BuildHistogram(block.Image());
  ASSERT_EQ(histogram.Series.size(), 1u);
  EXPECT_EQ(histogram.Scales[0], 1.0f);
  const THistogramSeries& series = histogram.Series[0];
  EXPECT_TRUE(SameColour(series.Colour, {0, 0, 0}));
  ASSERT_EQ(series.Points.size(), 256u);
  for (int i = 0; i < 256; ++i) {
    EXPECT_EQ(series.Points[static_cast<std::size_t>(i)].X, i);
    EXPECT_EQ(series.Points[static_cast<std::size_t>(i)].Y, 1.0);
  }
}

TEST(HistogramTest, Gray16EveryValueFallsInTheNearestOf256Levels) {
  std::vector<float> samples(65536);
  for (int v = 0; v < 65536; ++v) samples[static_cast<std::size_t>(v)] = static_cast<float>(v);
  const TTestBlock block(256, 256, true, 16, samples);
  std::vector<double> expected(256, 0.0);
  for (int v = 0; v < 65536; ++v) ++expected[static_cast<std::size_t>((2 * 255 * v + 65535) / (2 * 65535))];
  EXPECT_EQ(Counts(GraySeries(block)), expected);
}

TEST(HistogramTest, UniformImageIsOneBarAtItsValue) {
  const TTestBlock block = TTestBlock::Constant(5, 3, true, 8, 100.0f);
  const THistogram histogram = BuildHistogram(block.Image());
  ASSERT_EQ(histogram.Series.size(), 1u);
  EXPECT_EQ(histogram.Scales[0], 2.55f);
  EXPECT_EQ(Counts(histogram.Series[0]), Bins({{255, 15}}));
  EXPECT_NEAR(histogram.Series[0].Points[255].X, 100.0, 1e-4);
}

TEST(HistogramTest, AllZeroImageTakesMaximum1) {
  for (int depth : {8, 16, 32}) {
    const TTestBlock block = TTestBlock::Constant(4, 2, false, depth, 0.0f);
    const THistogram histogram = BuildHistogram(block.Image());
    EXPECT_EQ(histogram.Scales, (std::vector<float>{255, 255, 255})) << depth;
    ASSERT_EQ(histogram.Series.size(), 4u);
    for (const THistogramSeries& series : histogram.Series) {
      EXPECT_EQ(Counts(series), Bins({{0, 8}})) << depth;
      EXPECT_EQ(series.Points[51].X, 0.2) << depth;
    }
  }
}

TEST(HistogramTest, RGBIntensityIsTheMeanOfTheChannelHistograms) {
  const TTestBlock block(1, 1, false, 8, {255, 0, 0});
  const THistogram histogram = BuildHistogram(block.Image());
  EXPECT_EQ(histogram.Scales, (std::vector<float>{1, 255, 255}));
  ASSERT_EQ(histogram.Series.size(), 4u);
  const TChartColour colours[4] = {{0, 0, 0}, {255, 0, 0}, {0, 128, 0}, {0, 0, 255}};
  for (int s = 0; s < 4; ++s) {
    EXPECT_TRUE(SameColour(histogram.Series[static_cast<std::size_t>(s)].Colour, colours[s])) << s;
    EXPECT_EQ(histogram.Series[static_cast<std::size_t>(s)].Points.size(), 256u) << s;
  }
  EXPECT_EQ(Counts(histogram.Series[0]), Bins({{0, 2.0f / 3.0f}, {255, 1.0f / 3.0f}}));
  EXPECT_EQ(Counts(histogram.Series[1]), Bins({{255, 1}}));
  EXPECT_EQ(Counts(histogram.Series[2]), Bins({{0, 1}}));
  EXPECT_EQ(Counts(histogram.Series[3]), Bins({{0, 1}}));
  EXPECT_DOUBLE_EQ(histogram.Series[0].Points[100].X, 100 / (511.0 / 3));
  EXPECT_EQ(histogram.Series[1].Points[100].X, 100.0);
  EXPECT_DOUBLE_EQ(histogram.Series[2].Points[100].X, 100 / 255.0);
}

TEST(HistogramTest, RGB8ChannelsMatchDirectCounts) {
  testgen::TRandom random(77u);
  const int width = 23, height = 17;
  std::vector<float> samples(width * height * 3);
  for (float& s : samples) s = static_cast<float>(random.Below(256));
  for (int c = 0; c < 3; ++c) samples[static_cast<std::size_t>(30 + c)] = 255.0f;  // scale 1 everywhere
  std::array<std::vector<double>, 3> direct;
  for (auto& counts : direct) counts.assign(256, 0.0);
  for (std::size_t i = 0; i < samples.size(); ++i) ++direct[i % 3][static_cast<std::size_t>(samples[i])];

  const TTestBlock block(width, height, false, 8, samples);
  const THistogram histogram = BuildHistogram(block.Image());
  ASSERT_EQ(histogram.Series.size(), 4u);
  for (int c = 0; c < 3; ++c) EXPECT_EQ(Counts(histogram.Series[static_cast<std::size_t>(c) + 1]), direct[c]) << c;
  for (int i = 0; i < 256; ++i) {
    const auto bin = static_cast<std::size_t>(i);
    EXPECT_EQ(histogram.Series[0].Points[bin].Y,
              static_cast<float>((direct[0][bin] + direct[1][bin] + direct[2][bin]) / 3))
        << i;
    EXPECT_EQ(histogram.Series[0].Points[bin].X, i);
  }
}

TEST(HistogramTest, ScaledHalvesRoundToEvenBins) {
  // Maximum 510 gives the scale 0.5: 1 -> 0.5 -> 0, 3 -> 1.5 -> 2, 5 -> 2.5 -> 2.
  const TTestBlock block(4, 1, true, 16, {1, 3, 5, 510});
  EXPECT_EQ(Counts(GraySeries(block)), Bins({{0, 1}, {2, 2}, {255, 1}}));
}

struct TSpecialCase {
  const char* Name;
  std::vector<float> Samples;
  float Scale;
  std::vector<double> Counts;
};

class HistogramSpecialValuesTest : public ::testing::TestWithParam<TSpecialCase> {};

TEST_P(HistogramSpecialValuesTest, CountsOnlyInsideThe256Bins) {
  const TSpecialCase& c = GetParam();
  const TTestBlock block(static_cast<int>(c.Samples.size()), 1, true, 32, c.Samples);
  const THistogram histogram = BuildHistogram(block.Image());
  ASSERT_EQ(histogram.Series.size(), 1u);
  EXPECT_EQ(histogram.Scales[0], c.Scale);
  EXPECT_EQ(Counts(histogram.Series[0]), c.Counts);
  for (const TChartPoint& p : histogram.Series[0].Points) EXPECT_TRUE(std::isfinite(p.X));
}

const float kInf = std::numeric_limits<float>::infinity();
const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kMax = std::numeric_limits<float>::max();

INSTANTIATE_TEST_SUITE_P(
    Floats, HistogramSpecialValuesTest,
    ::testing::Values(
        // -0.001 scales to -0.255 and -0.0 to -0: both round to bin 0; 0.5 -> 127.5 -> 128.
        TSpecialCase{"NegativeNaNAndInfinities", {-1.0f, -0.001f, -0.0f, kNaN, kInf, -kInf, 0.5f, 1.0f}, 255.0f,
                     Bins({{0, 2}, {128, 1}, {255, 1}})},
        TSpecialCase{"AllNegative", {-1.0f, -2.0f}, 255.0f, Bins({})},
        TSpecialCase{"OnlyInfinityAboveZero", {kInf, 0.0f}, 255.0f, Bins({{0, 1}})},
        TSpecialCase{"DenormalMaximum", {std::numeric_limits<float>::denorm_min(), 0.0f}, 255.0f, Bins({{0, 2}})},
        TSpecialCase{"LargestFloat", {kMax, 0.0f}, static_cast<float>(255.0 / kMax), Bins({{0, 1}, {255, 1}})}),
    [](const ::testing::TestParamInfo<TSpecialCase>& info) { return std::string(info.param.Name); });

}  // namespace
