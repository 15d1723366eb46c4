// Tests of the Lucy-Richardson iteration over planes.
#include "lucyrichardson/LucyRichardsonThread.h"

#include <gtest/gtest.h>

#include "framework/PSF.h"
#include "framework/Utilities.h"
#include "tests/framework/BitHash.h"
#include "tests/framework/Generators.h"
#include "tests/framework/SampleFrame.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <utility>
#include <vector>

#include "framework/DataContainer.h"

namespace {

using Plane = std::unique_ptr<TDataContainer>;

Plane MakePlane(int width, int height, float value = 0.0f)
{
  auto plane = std::make_unique<TDataContainer>(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) plane->SetValue(x, y, value);
  return plane;
}

Plane Clone(const TDataContainer& source)
{
  auto plane = std::make_unique<TDataContainer>(source.Width, source.Height);
  for (int i = 0; i < source.Width * source.Height; ++i) plane->Data[i] = source.Data[i];
  return plane;
}

using testgen::Samples;

// A Gaussian of the given sigma centred at (0, 0) with circular wrap-around, summing to 1.
Plane GaussianPSF(int width, int height, double sigma)
{
  auto plane = MakePlane(width, height);
  double sum = 0.0;
  std::vector<double> values(width * height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const double dx = std::min(x, width - x), dy = std::min(y, height - y);
      values[x + y * width] = std::exp(-(dx * dx + dy * dy) / (2.0 * sigma * sigma));
      sum += values[x + y * width];
    }
  for (int i = 0; i < width * height; ++i) plane->Data[i] = static_cast<float>(values[i] / sum);
  return plane;
}

// Fixed-seed star field: stars of brightness 0.3..1 on a dark background of 0.02.
struct TStar { int X, Y; };
std::vector<TStar> StarPositions(int width, int height, int count, uint32_t seed)
{
  std::vector<TStar> stars;
  for (int i = 0; i < count; ++i) {
    seed = seed * 1664525u + 1013904223u;
    const int x = 4 + static_cast<int>((seed >> 8) % static_cast<uint32_t>(width - 8));
    seed = seed * 1664525u + 1013904223u;
    const int y = 4 + static_cast<int>((seed >> 8) % static_cast<uint32_t>(height - 8));
    stars.push_back({x, y});
  }
  return stars;
}

Plane StarField(int width, int height, const std::vector<TStar>& stars)
{
  auto plane = MakePlane(width, height, 0.02f);
  for (size_t i = 0; i < stars.size(); ++i)
    plane->SetValue(stars[i].X, stars[i].Y, 0.3f + 0.7f * static_cast<float>(i % 4) / 3.0f);
  return plane;
}

// Direct circular convolution (correlate = false) or correlation (true) in double.
std::vector<double> Circular(const std::vector<double>& image, const std::vector<double>& psf,
                             int width, int height, bool correlate)
{
  std::vector<double> out(width * height, 0.0);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      double sum = 0.0;
      for (int ky = 0; ky < height; ++ky)
        for (int kx = 0; kx < width; ++kx) {
          const int sx = correlate ? (x + kx) % width : (x - kx + width) % width;
          const int sy = correlate ? (y + ky) % height : (y - ky + height) % height;
          sum += image[sx + sy * width] * psf[kx + ky * width];
        }
      out[x + y * width] = sum;
    }
  return out;
}

std::vector<double> Blur(const TDataContainer& image, const TDataContainer& psf)
{
  return Circular(std::vector<double>(image.Data, image.Data + image.Width * image.Height),
                  std::vector<double>(psf.Data, psf.Data + psf.Width * psf.Height), image.Width,
                  image.Height, false);
}

// The 64 x 64 field of the stars blurred by psf: the observation a run sharpens.
Plane BlurredStarField(const std::vector<TStar>& stars, const TDataContainer& psf)
{
  const auto blurred = Blur(*StarField(64, 64, stars), psf);
  auto observed = MakePlane(64, 64);
  for (int i = 0; i < 64 * 64; ++i) observed->Data[i] = static_cast<float>(blurred[i]);
  return observed;
}

// Runs without a stop request; the number of progress calls.
int RunKernel(TDataContainer& o, TDataContainer& p, int iterations, bool aggressive)
{
  int progressCalls = 0;
  EXPECT_TRUE(Deconvolve(o, p, iterations, aggressive, [] { return false; },
                         [&] { ++progressCalls; }));
  return progressCalls;
}

// Result of a run on copies of the given planes.
std::vector<float> RunOnCopy(const TDataContainer& o, const TDataContainer& p, int iterations,
                             bool aggressive)
{
  auto oc = Clone(o), pc = Clone(p);
  RunKernel(*oc, *pc, iterations, aggressive);
  return Samples(*oc);
}

// Width of the star at (x, y): the intensity-weighted mean squared distance from it
// over a 7 x 7 window, above the background.
double StarWidth(const TDataContainer& plane, int x, int y, float background)
{
  double weight = 0.0, moment = 0.0;
  for (int dy = -3; dy <= 3; ++dy)
    for (int dx = -3; dx <= 3; ++dx) {
      const double v = std::max(0.0, double(plane.GetValue(x + dx, y + dy)) - background);
      weight += v;
      moment += v * (dx * dx + dy * dy);
    }
  return moment / weight;
}

class VariantTest : public ::testing::TestWithParam<bool> {};
INSTANTIATE_TEST_SUITE_P(Variants, VariantTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Aggressive" : "Standard"; });

TEST(DeconvolveTest, OneIterationEqualInBothVariantsAndTwoDiffer)
{
  const auto stars = StarPositions(32, 32, 6, 7);
  auto observed = StarField(32, 32, stars);
  auto psf = GaussianPSF(32, 32, 1.2);
  EXPECT_EQ(RunOnCopy(*observed, *psf, 1, false), RunOnCopy(*observed, *psf, 1, true));
  EXPECT_NE(RunOnCopy(*observed, *psf, 2, false), RunOnCopy(*observed, *psf, 2, true));
}

class NoIterationTest : public ::testing::TestWithParam<std::tuple<int, bool>> {};
INSTANTIATE_TEST_SUITE_P(Counts, NoIterationTest,
                         ::testing::Combine(::testing::Values(0, -3),
                                            ::testing::Values(false, true)));

TEST_P(NoIterationTest, LeavesPlaneUnchangedWithoutProgress)
{
  const auto [iterations, aggressive] = GetParam();
  auto observed = StarField(16, 16, StarPositions(16, 16, 3, 11));
  const auto before = Samples(*observed);
  auto psf = GaussianPSF(16, 16, 1.0);
  EXPECT_EQ(RunKernel(*observed, *psf, iterations, aggressive), 0);
  EXPECT_EQ(Samples(*observed), before);
}

TEST(DeconvolveTest, ZeroDivisorTakesTheObservedValue)
{
  // P = 0.5 at x = 0 and x = 1 makes E (*) P exactly 0 at x = 1 and x = 3. With the divisor
  // taken as 1 the ratio is (2, -1, 0, 0); its correlation with P is (0.5, -0.5, 0, 1), so the
  // update gives (0.5, 0.5, 0, 0). Every value is exact in the 4-point transform.
  auto observed = MakePlane(4, 1);
  observed->Data[0] = 1.0f;
  observed->Data[1] = -1.0f;
  auto psf = MakePlane(4, 1);
  psf->Data[0] = psf->Data[1] = 0.5f;
  RunKernel(*observed, *psf, 1, false);
  EXPECT_EQ(Samples(*observed), (std::vector<float>{0.5f, 0.5f, 0.0f, 0.0f}));
}

TEST_P(VariantTest, AllZeroPSFGivesZero)
{
  auto observed = StarField(16, 16, StarPositions(16, 16, 3, 5));
  auto psf = MakePlane(16, 16);
  RunKernel(*observed, *psf, 3, GetParam());
  for (float v : Samples(*observed)) EXPECT_EQ(v, 0.0f);
}

TEST_P(VariantTest, DeltaPSFReturnsTheObservation)
{
  auto observed = StarField(32, 16, StarPositions(32, 16, 5, 3));
  const auto before = Samples(*observed);
  auto psf = MakePlane(32, 16);
  psf->Data[0] = 1.0f;
  RunKernel(*observed, *psf, 5, GetParam());
  const auto after = Samples(*observed);
  for (size_t i = 0; i < before.size(); ++i) EXPECT_NEAR(after[i], before[i], 1e-5f) << i;
}

TEST(DeconvolveTest, StandardVariantPreservesFluxOnNormalisedPSF)
{
  auto psf = GaussianPSF(64, 64, 2.0);
  auto observed = BlurredStarField(StarPositions(64, 64, 12, 21), *psf);
  double flux = 0.0;
  for (float v : Samples(*observed)) flux += v;
  RunKernel(*observed, *psf, 10, false);
  double after = 0.0;
  for (float v : Samples(*observed)) after += v;
  EXPECT_NEAR(after, flux, flux * 1e-4);
}

TEST_P(VariantTest, BlurredStarFieldIsSharpenedAfterTwentyIterations)
{
  const auto stars = StarPositions(64, 64, 10, 99);
  auto psf = GaussianPSF(64, 64, 1.5);
  auto observed = BlurredStarField(stars, *psf);
  auto before = Clone(*observed);
  EXPECT_EQ(RunKernel(*observed, *psf, 20, GetParam()), 20);
  for (const TStar& s : stars) {
    EXPECT_GT(observed->GetValue(s.X, s.Y), 1.5f * before->GetValue(s.X, s.Y));
    EXPECT_LT(StarWidth(*observed, s.X, s.Y, 0.02f), 0.7 * StarWidth(*before, s.X, s.Y, 0.02f));
  }
}

TEST(DeconvolveTest, OneIterationMatchesDirectConvolutionAndCorrelation)
{
  const int w = 8, h = 4;
  auto observed = MakePlane(w, h);
  for (int i = 0; i < w * h; ++i) observed->Data[i] = 0.1f + static_cast<float>((i * 37) % 11) / 10.0f;
  // An asymmetric, unnormalised PSF, so that convolution and correlation differ.
  auto psf = MakePlane(w, h);
  psf->SetValue(0, 0, 0.5f);
  psf->SetValue(1, 0, 0.3f);
  psf->SetValue(0, 1, 0.15f);
  psf->SetValue(w - 1, h - 1, 0.25f);
  const std::vector<double> o(observed->Data, observed->Data + w * h);
  const std::vector<double> p(psf->Data, psf->Data + w * h);
  const auto convolved = Circular(o, p, w, h, false);
  std::vector<double> ratio(w * h);
  for (int i = 0; i < w * h; ++i) ratio[i] = o[i] / convolved[i];
  const auto correlated = Circular(ratio, p, w, h, true);

  RunKernel(*observed, *psf, 1, false);
  for (int i = 0; i < w * h; ++i)
    EXPECT_NEAR(observed->Data[i], o[i] * correlated[i], 2e-6 * o[i] * correlated[i]) << i;
}

// Stop requested while iteration k runs (here: by the progress call of iteration k - 1).
class StopTest : public ::testing::TestWithParam<std::tuple<int, bool>> {};
INSTANTIATE_TEST_SUITE_P(Iterations, StopTest,
                         ::testing::Combine(::testing::Values(1, 3, 5),
                                            ::testing::Values(false, true)));

TEST_P(StopTest, UpdateOfIterationKCompletesWithoutItsProgressCall)
{
  const auto [k, aggressive] = GetParam();
  auto observed = StarField(32, 32, StarPositions(32, 32, 4, 17));
  auto psf = GaussianPSF(32, 32, 1.3);
  const auto unchanged = Samples(*observed);
  const auto afterK = RunOnCopy(*observed, *psf, k, aggressive);

  std::atomic<bool> stop{k == 1};
  int calls = 0;
  Deconvolve(*observed, *psf, 5, aggressive, [&] { return stop.load(); }, [&] {
    ++calls;
    if (calls == k - 1) stop = true;
  });
  EXPECT_EQ(calls, k - 1);
  // The aggressive variant writes each update into the plane; the standard one writes the
  // estimate only after the last iteration, which a stopped run never reaches.
  EXPECT_EQ(Samples(*observed), aggressive ? afterK : unchanged);
}

TEST_P(VariantTest, ExceptionFromProgressEndsTheRunQuietly)
{
  const bool aggressive = GetParam();
  auto observed = StarField(32, 32, StarPositions(32, 32, 4, 23));
  auto psf = GaussianPSF(32, 32, 1.3);
  const auto unchanged = Samples(*observed);
  const auto afterTwo = RunOnCopy(*observed, *psf, 2, aggressive);
  int calls = 0;
  bool result = true;
  EXPECT_NO_THROW(result = Deconvolve(*observed, *psf, 6, aggressive, [] { return false; }, [&] {
    if (++calls == 2) throw std::runtime_error("progress failed");
  }));
  EXPECT_FALSE(result);
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(Samples(*observed), aggressive ? afterTwo : unchanged);
}

// A run that lacks a plane would compute garbage from zeros: it reports no result and leaves
// the observation as it was. An absent plane is one whose allocation was refused.
TEST_P(VariantTest, AbsentPlaneGivesNoResultAndLeavesTheObservation)
{
  auto observed = StarField(16, 16, StarPositions(16, 16, 3, 5));
  const auto before = Samples(*observed);
  auto psf = GaussianPSF(16, 16, 1.0);
  // Hides the PSF's spectrum plane for the run, as a refused allocation would leave it.
  TComplex* spectrum = std::exchange(psf->Complex, nullptr);
  int calls = 0;
  EXPECT_FALSE(Deconvolve(*observed, *psf, 3, GetParam(), nullptr, [&] { ++calls; }));
  psf->Complex = spectrum;
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(Samples(*observed), before);
  EXPECT_TRUE(Deconvolve(*observed, *psf, 3, GetParam(), nullptr, nullptr));
}

} // namespace

namespace {

// The galaxy frame deconvolved as the dialog's full run does it with its default settings
// (Gaussian of size 1, 10 aggressive iterations): normalised, on its padded plane, written back
// into a 16-bit block at its factor and into an 8-bit block at 255. One hash over the result
// plane and both blocks: a change of the arithmetic anywhere (a product formed in single
// precision, another rounding of the write-back) changes it, where a tolerance against a
// reference would not see it. The same constant must come out of every build.
TEST(DeconvolveTest, ResultOnARealFrameIsTheSameInEveryBuild)
{
  const THostImageFile frame = testgen::SampleFrame("m51-simple.fits");
  const int w = frame.Width, h = frame.Height;
  const int rowBytes = static_cast<int>(frame.RowBytes());
  auto image = HostToGrayContainer(frame.Data.data(), 16, w, h, rowBytes);
  ASSERT_TRUE(image);
  const float factor = NormalizeGray(*image);
  int ox, oy, pw, ph;
  auto padded = GrayToPadded(*image, ox, oy, pw, ph);
  auto psf = MakePSF(pkGaussian, pw, ph, 1.0f, 2.5f);
  ASSERT_TRUE(Deconvolve(*padded, *psf, 10, true, nullptr, nullptr));
  std::vector<std::uint8_t> out16(frame.Data.size()), out8(static_cast<size_t>(w) * h);
  ASSERT_TRUE(GrayContainerToHost(*padded, out16.data(), 16, rowBytes, factor, ox, oy, w, h));
  ASSERT_TRUE(GrayContainerToHost(*padded, out8.data(), 8, w, 255.0f, ox, oy, w, h));
  testgen::TFnv1a hash;
  hash.AddSamples(*padded);
  hash.Add(out16.data(), out16.size());
  hash.Add(out8.data(), out8.size());
  EXPECT_EQ(hash.Value(), 0x5a24e655ad1cfbc6ull) << std::hex << hash.Value();
}

}  // namespace
