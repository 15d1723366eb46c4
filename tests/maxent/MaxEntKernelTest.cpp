// Tests of the maximum-entropy iteration over planes.
#include "maxent/MaxEntThread.h"
#include "maxent/ExpLog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <ostream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "framework/DataContainer.h"
#include "framework/PSF.h"
#include "framework/Utilities.h"
#include "tests/framework/BitHash.h"
#include "tests/framework/Generators.h"
#include "tests/framework/SampleFrame.h"

namespace {

using Plane = std::unique_ptr<TDataContainer>;

Plane Clone(const TDataContainer& source)
{
  auto plane = std::make_unique<TDataContainer>(source.Width, source.Height);
  for (int i = 0; i < source.Width * source.Height; ++i) plane->Data[i] = source.Data[i];
  return plane;
}

using testgen::Samples;

std::vector<double> Doubles(const TDataContainer& plane)
{
  return std::vector<double>(plane.Data, plane.Data + plane.Width * plane.Height);
}

// The sample bits, so that signed zeros and NaN compare exactly.
std::vector<std::uint32_t> Bits(const TDataContainer& plane)
{
  std::vector<std::uint32_t> bits(plane.Width * plane.Height);
  std::memcpy(bits.data(), plane.Data, bits.size() * sizeof(float));
  return bits;
}

// A Gaussian of peak 1 centred at (0, 0), wrapping around; the run scales it to unit sum.
Plane GaussianPSF(int width, int height, double sigma)
{
  auto plane = testgen::Constant(width, height, 0.0f);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const double dx = std::min(x, width - x), dy = std::min(y, height - y);
      const double r2 = dx * dx + dy * dy;
      plane->SetValue(x, y, static_cast<float>(std::exp(-r2 / (2 * sigma * sigma))));
    }
  return plane;
}

// An asymmetric PSF, so that convolution and correlation differ; lobe adds a negative sample.
Plane SmallPSF(int width, int height, float lobe = 0.0f)
{
  auto plane = testgen::Constant(width, height, 0.0f);
  plane->SetValue(0, 0, 0.5f);
  plane->SetValue(1, 0, 0.3f);
  plane->SetValue(0, 1, 0.15f);
  plane->SetValue(width - 1, height - 1, 0.25f);
  plane->SetValue(2 % width, 1, lobe);
  return plane;
}

// Samples of 0.1 .. 1.1 in a fixed irregular pattern.
Plane Pattern(int width, int height)
{
  auto plane = testgen::Constant(width, height, 0.0f);
  for (int i = 0; i < width * height; ++i)
    plane->Data[i] = 0.1f + static_cast<float>((i * 37) % 11) / 10.0f;
  return plane;
}

// Direct circular correlation (sum over k of p[k] v[x + k]) or convolution (p[k] v[x - k]).
std::vector<double> Circular(const std::vector<double>& v, const std::vector<double>& p,
                             int width, int height, bool correlate)
{
  std::vector<double> out(width * height, 0.0);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      for (int ky = 0; ky < height; ++ky)
        for (int kx = 0; kx < width; ++kx) {
          const int sx = correlate ? (x + kx) % width : (x - kx + width) % width;
          const int sy = correlate ? (y + ky) % height : (y - ky + height) % height;
          out[x + y * width] += v[sx + sy * width] * p[kx + ky * width];
        }
  return out;
}

double Total(const std::vector<double>& v)
{
  double total = 0.0;
  for (double x : v) total += x;
  return total;
}

// The iteration in double with direct sums, and how often each logarithm guard fired.
struct TReference {
  std::vector<double> Result;
  int NonPositiveModels = 0;
  int NegativeSamples = 0;
};

TReference ReferenceRun(const TDataContainer& image, const TDataContainer& psf, int iterations)
{
  const int w = image.Width, h = image.Height, n = w * h;
  std::vector<double> observed = Doubles(image), p = Doubles(psf);
  for (double& v : observed)
    if (v == 0.0 || !std::isfinite(v)) v = kMaxEntZeroSample;
  const double s = Total(p);
  for (double& v : p) v /= s;
  std::vector<double> l(n, 0.0), e(n, 0.0);
  double scale = 1.0;
  TReference reference;
  for (int iteration = 0; iteration < iterations; ++iteration) {
    e = Circular(l, p, w, h, true);
    for (double& v : e) v = std::exp(v);
    const double t = Total(e);
    for (double& v : e) v /= t;
    const std::vector<double> m = Circular(e, p, w, h, false);
    scale = Total(observed) / Total(m);
    for (int i = 0; i < n; ++i) {
      reference.NonPositiveModels += m[i] <= 0.0;
      reference.NegativeSamples += observed[i] < 0.0;
      l[i] += (observed[i] >= 0.0 ? std::log(observed[i] / scale) : 0.0) -
              (m[i] > 0.0 ? std::log(m[i]) : 0.0);
    }
  }
  for (double& v : e) v = std::max(0.0, v * scale);
  reference.Result = e;
  return reference;
}

// Runs without a stop request; the number of progress calls.
int RunKernel(TDataContainer& image, TDataContainer& psf, int iterations)
{
  int progressCalls = 0;
  EXPECT_TRUE(MaximumEntropyDeconvolve(image, psf, iterations, [] { return false; },
                                       [&] { ++progressCalls; }));
  return progressCalls;
}

Plane RunOnCopy(const TDataContainer& image, const TDataContainer& psf, int iterations)
{
  auto result = Clone(image), p = Clone(psf);
  RunKernel(*result, *p, iterations);
  return result;
}

// A pattern with one zero sample, and what the run's set-up makes of it.
struct TObservation {
  Plane Image;
  std::vector<float> AfterSetUp;
};

TObservation WithZeroSample(int width, int height)
{
  TObservation observation{Pattern(width, height), {}};
  observation.Image->SetValue(3, 2, 0.0f);
  observation.AfterSetUp = Samples(*observation.Image);
  observation.AfterSetUp[3 + 2 * width] = kMaxEntZeroSample;
  return observation;
}

class NoIterationTest : public ::testing::TestWithParam<int> {};
INSTANTIATE_TEST_SUITE_P(Counts, NoIterationTest, ::testing::Values(0, -3));

TEST_P(NoIterationTest, GivesAllZeroWithoutProgress)
{
  auto image = Pattern(16, 8);
  auto psf = GaussianPSF(16, 8, 1.0);
  EXPECT_EQ(RunKernel(*image, *psf, GetParam()), 0);
  EXPECT_EQ(Samples(*image), std::vector<float>(16 * 8, 0.0f));
}

TEST(MaxEntTest, OneIterationGivesFlatResultOfTheMeanObservation)
{
  // The only estimate is exp(0) = 1 scaled to unit sum; the flux factor then makes every
  // sample the mean of the observation, its zero sample counted as kMaxEntZeroSample.
  auto observation = WithZeroSample(16, 8);
  auto psf = GaussianPSF(16, 8, 1.5);
  double mean = 0.0;
  for (float v : observation.AfterSetUp) mean += v / (16.0 * 8.0);
  EXPECT_EQ(RunKernel(*observation.Image, *psf, 1), 1);
  const auto result = Samples(*observation.Image);
  EXPECT_NEAR(result[0], mean, 1e-5 * mean);
  EXPECT_EQ(result, std::vector<float>(result.size(), result[0]));
}

// Zero of either sign, NaN and the infinities all stand for the small zero sample, in the flux
// total and in the logarithm.
class ZeroSampleTest : public ::testing::TestWithParam<std::tuple<float, int>> {};
INSTANTIATE_TEST_SUITE_P(
    Samples, ZeroSampleTest,
    ::testing::Combine(::testing::Values(0.0f, -0.0f, testgen::NaN(),
                                         std::numeric_limits<float>::infinity(),
                                         -std::numeric_limits<float>::infinity()),
                       ::testing::Values(1, 4)));

TEST_P(ZeroSampleTest, CountsAsTheSmallZeroSample)
{
  const auto [sample, iterations] = GetParam();
  auto image = Pattern(16, 8);
  auto psf = GaussianPSF(16, 8, 1.2);
  image->SetValue(5, 3, sample);
  const auto withSample = RunOnCopy(*image, *psf, iterations);
  image->SetValue(5, 3, kMaxEntZeroSample);
  EXPECT_EQ(Bits(*withSample), Bits(*RunOnCopy(*image, *psf, iterations)));
}

struct TReferenceCase {
  const char* Name;
  int Width, Height, Iterations;
  float NegativeSample;  // put at (1, 1) when not 0
  float PSFLobe;         // a negative PSF sample when not 0
};

void PrintTo(const TReferenceCase& c, std::ostream* os) { *os << c.Name; }

class ReferenceTest : public ::testing::TestWithParam<TReferenceCase> {};
INSTANTIATE_TEST_SUITE_P(
    Cases, ReferenceTest,
    ::testing::Values(TReferenceCase{"TwoIterations8x4", 8, 4, 2, 0.0f, 0.0f},
                      TReferenceCase{"ThreeIterations4x4", 4, 4, 3, 0.0f, 0.0f},
                      TReferenceCase{"NegativeSample", 8, 4, 3, -0.5f, 0.0f},
                      TReferenceCase{"NonPositiveModel", 8, 4, 3, 0.0f, -0.4f}),
    [](const auto& info) { return info.param.Name; });

TEST_P(ReferenceTest, MatchesDirectSumsInDouble)
{
  const TReferenceCase c = GetParam();
  auto image = Pattern(c.Width, c.Height);
  if (c.NegativeSample != 0.0f) image->SetValue(1, 1, c.NegativeSample);
  auto psf = SmallPSF(c.Width, c.Height, c.PSFLobe);
  const TReference reference = ReferenceRun(*image, *psf, c.Iterations);
  // The case reaches the guard it is about: without it every sample would be NaN, hence 0.
  EXPECT_EQ(reference.NegativeSamples > 0, c.NegativeSample != 0.0f);
  EXPECT_EQ(reference.NonPositiveModels > 0, c.PSFLobe != 0.0f);

  EXPECT_EQ(RunKernel(*image, *psf, c.Iterations), c.Iterations);
  const double top = *std::max_element(reference.Result.begin(), reference.Result.end());
  ASSERT_GT(top, 0.0);
  for (int i = 0; i < c.Width * c.Height; ++i)
    EXPECT_NEAR(image->Data[i], reference.Result[i], 1e-5 * top) << i;
}

// A PSF summing to 0 divides by zero; one whose sum nearly cancels makes the exponential
// overflow. Either way the infinities and NaN reach every sample, which is written as 0.
class DegeneratePSFTest : public ::testing::TestWithParam<float> {};
INSTANTIATE_TEST_SUITE_P(Cancellations, DegeneratePSFTest, ::testing::Values(-1.0f, -0.9999f));

TEST_P(DegeneratePSFTest, GivesAllZero)
{
  auto image = Pattern(16, 8);
  auto psf = testgen::Constant(16, 8, 0.0f);
  psf->SetValue(0, 0, 1.0f);
  psf->SetValue(1, 0, GetParam());
  EXPECT_EQ(RunKernel(*image, *psf, 4), 4);
  EXPECT_EQ(Bits(*image), std::vector<std::uint32_t>(16 * 8, 0u));
}

TEST(MaxEntTest, BlurredStarFieldIsSharpened)
{
  const int w = 64, h = 64;
  // Point stars of 0.4 .. 1 on a sky of 0.05, blurred by a Gaussian of unit sum.
  std::vector<double> sharp(w * h, 0.05);
  std::vector<int> stars;
  testgen::TRandom random(99);
  for (int s = 0; s < 10; ++s) {
    const int x = 4 + random.Below(w - 8), y = 4 + random.Below(h - 8);
    stars.push_back(x + y * w);
    sharp[stars.back()] = 0.4 + 0.6 * random.Unit();
  }
  auto psf = GaussianPSF(w, h, 1.0);
  std::vector<double> p = Doubles(*psf);
  const double s = Total(p);
  for (double& v : p) v /= s;
  const auto blurred = Circular(sharp, p, w, h, false);
  auto image = testgen::Constant(w, h, 0.0f);
  for (int i = 0; i < w * h; ++i) image->Data[i] = static_cast<float>(blurred[i]);
  const auto before = Samples(*image);

  EXPECT_EQ(RunKernel(*image, *psf, 20), 20);
  for (int star : stars) EXPECT_GT(image->Data[star], 1.4f * before[star]) << star;
  // The flux factor keeps the total brightness.
  const double flux = Total(Doubles(*image)), observedFlux = Total(blurred);
  EXPECT_NEAR(flux, observedFlux, 1e-3 * observedFlux);
}

// Stop requested by progress call k of 5 (0: before the run).
class StopTest : public ::testing::TestWithParam<int> {};
INSTANTIATE_TEST_SUITE_P(Calls, StopTest, ::testing::Values(0, 1, 3, 5));

TEST_P(StopTest, SeenAtTheStartOfTheNextIteration)
{
  const int stopAt = GetParam();
  auto observation = WithZeroSample(16, 8);
  auto psf = GaussianPSF(16, 8, 1.2);
  const auto full = Samples(*RunOnCopy(*observation.Image, *psf, 5));
  bool stop = stopAt == 0;
  int calls = 0;
  EXPECT_TRUE(MaximumEntropyDeconvolve(*observation.Image, *psf, 5, [&] { return stop; }, [&] {
    if (++calls == stopAt) stop = true;
  }));
  EXPECT_EQ(calls, stopAt);
  // A request during the last iteration comes too late to keep the result from being written.
  EXPECT_EQ(Samples(*observation.Image), stopAt < 5 ? observation.AfterSetUp : full);
}

// An exception from the second call of the progress callback (true) or the stop callback.
class ExceptionTest : public ::testing::TestWithParam<bool> {};
INSTANTIATE_TEST_SUITE_P(Callbacks, ExceptionTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Progress" : "Stop"; });

TEST_P(ExceptionTest, EndsTheRunQuietlyWithoutResult)
{
  const bool fromProgress = GetParam();
  auto observation = WithZeroSample(16, 8);
  auto psf = GaussianPSF(16, 8, 1.2);
  int stopCalls = 0, progressCalls = 0;
  const auto stop = [&] {
    if (++stopCalls == 2 && !fromProgress) throw std::runtime_error("stop");
    return false;
  };
  const auto progress = [&] {
    if (++progressCalls == 2 && fromProgress) throw std::runtime_error("progress");
  };
  bool result = true;
  EXPECT_NO_THROW(result = MaximumEntropyDeconvolve(*observation.Image, *psf, 5, stop, progress));
  EXPECT_FALSE(result);
  EXPECT_EQ(progressCalls, fromProgress ? 2 : 1);
  EXPECT_EQ(Samples(*observation.Image), observation.AfterSetUp);
}

// Planes a run cannot use: it would compute garbage, so it reports no result and leaves both
// planes as they were. An absent array is one whose allocation was refused.
enum class TUnusable { ImageData, ImageSpectrum, PSFData, PSFSpectrum, PSFSize, SideNotPowerOfTwo };

std::string UnusableName(TUnusable c)
{
  static const char* const kNames[] = {"ImageData", "ImageSpectrum", "PSFData",
                                       "PSFSpectrum", "PSFSize", "SideNotPowerOfTwo"};
  return kNames[static_cast<int>(c)];
}

class UnusablePlaneTest : public ::testing::TestWithParam<TUnusable> {};
INSTANTIATE_TEST_SUITE_P(Cases, UnusablePlaneTest,
                         ::testing::Values(TUnusable::ImageData, TUnusable::ImageSpectrum,
                                           TUnusable::PSFData, TUnusable::PSFSpectrum,
                                           TUnusable::PSFSize, TUnusable::SideNotPowerOfTwo),
                         [](const auto& info) { return UnusableName(info.param); });

TEST_P(UnusablePlaneTest, GivesNoResultAndTouchesNothing)
{
  const TUnusable c = GetParam();
  const int width = c == TUnusable::SideNotPowerOfTwo ? 12 : 16;
  auto observation = WithZeroSample(width, 8);
  TDataContainer& image = *observation.Image;
  auto psf = GaussianPSF(c == TUnusable::PSFSize ? 8 : width, 8, 1.0);
  const auto imageBefore = Samples(image), psfBefore = Samples(*psf);
  const bool inImage = c == TUnusable::ImageData || c == TUnusable::ImageSpectrum;
  TDataContainer& hidden = inImage ? image : *psf;
  const bool hideData = c == TUnusable::ImageData || c == TUnusable::PSFData;
  const bool hideSpectrum = c == TUnusable::ImageSpectrum || c == TUnusable::PSFSpectrum;
  float* data = hideData ? std::exchange(hidden.Data, nullptr) : hidden.Data;
  TComplex* spectrum = hideSpectrum ? std::exchange(hidden.Complex, nullptr) : hidden.Complex;
  int calls = 0;
  EXPECT_FALSE(MaximumEntropyDeconvolve(image, *psf, 3, nullptr, [&] { ++calls; }));
  hidden.Data = data;
  hidden.Complex = spectrum;
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(Samples(image), imageBefore);
  EXPECT_EQ(Samples(*psf), psfBefore);
}

TEST(MaxEntTest, ResultBitsDependOnlyOnTheInputs)
{
  auto image = testgen::StarField(64, 32, 5u);
  auto psf = GaussianPSF(64, 32, 1.3);
  const auto first = Bits(*RunOnCopy(*image, *psf, 6));
  RunOnCopy(*testgen::StarField(32, 64, 6u), *GaussianPSF(32, 64, 2.0), 3);
  EXPECT_EQ(Bits(*RunOnCopy(*image, *psf, 6)), first);
}

// One hash over the result bits of a fixed run. The same constant must come out of every build:
// the rounding rules fix the arithmetic down to the bit, which no tolerance would show.
TEST(MaxEntTest, ResultBitsAreTheSameInEveryBuild)
{
  auto image = testgen::StarField(64, 64, 77u);
  image->SetValue(0, 0, 0.0f);
  image->SetValue(1, 0, -0.25f);
  auto psf = GaussianPSF(64, 64, 1.7);
  RunKernel(*image, *psf, 10);
  testgen::TFnv1a hash;
  hash.AddSamples(*image);
  EXPECT_EQ(hash.Value(), 0x52b5562b215bd8e9ull) << std::hex << hash.Value();
}

// The iteration's exp and log give the runtime's singles: on the special values (zeros,
// denormals, infinities, NaN, 1, the ends of the single range) and on a spread of singles
// and of quotients of singles, hard cases near a halfway point included.
TEST(MaxEntKernelTest, ExpAndLogAsSingleGiveTheRuntimesSingles)
{
  auto same = [](float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0 || (std::isnan(a) && std::isnan(b)); };
  std::vector<double> values = {0.0, -0.0, 1.0, -1.0, 1e-310, -1e-310, 4.9e-324, 1.0 / 3.0, 0.5, 2.0,
                                -87.0, -86.99999, 87.99999, 88.0, 88.7, -87.4, -103.0, 89.0, 709.0, -745.0,
                                3.4028234663852886e38, 3.5e38, 1.1754943508222875e-38, 1.17e-38,
                                std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
                                std::numeric_limits<double>::quiet_NaN(), 1.0 + 1e-15, 1.0 - 1e-16};
  for (std::uint32_t bits = 0; bits < 0xff800000u; bits += 4099u) {
    float f;
    std::memcpy(&f, &bits, sizeof f);
    values.push_back(f);
    values.push_back(-static_cast<double>(f));
  }
  std::uint32_t seed = 2463534242u;
  for (int i = 0; i < 200000; ++i) {
    seed ^= seed << 13, seed ^= seed >> 17, seed ^= seed << 5;
    const float a = static_cast<float>(seed % 1000003u) / 1000003.0f;
    seed ^= seed << 13, seed ^= seed >> 17, seed ^= seed << 5;
    const float b = static_cast<float>(seed % 999983u + 1u) / 999983.0f;
    values.push_back(static_cast<double>(a) / b);
  }
  for (double x : values) {
    ASSERT_TRUE(same(ExpAsSingle(x), static_cast<float>(std::exp(x)))) << "exp " << x;
    ASSERT_TRUE(same(LogAsSingle(x), static_cast<float>(std::log(x)))) << "log " << x;
  }
}

} // namespace

namespace {

// The galaxy frame with half of it, the sky, clipped to black, deconvolved as the dialog's full
// run does it: normalised, on its padded plane, 20 iterations against the default Gaussian,
// written back at the frame's depth. The clipped sky comes back black, and the flux stays.
class ClippedSkyTest : public ::testing::TestWithParam<int> {};
INSTANTIATE_TEST_SUITE_P(Depths, ClippedSkyTest, ::testing::Values(8, 16));

TEST_P(ClippedSkyTest, ClippedBlackSkyOfARealFrameStaysBlack)
{
  const int depth = GetParam();
  const THostImageFile frame =
      testgen::ClippedSky(testgen::SampleFrame("m51-simple.fits"), 0.5, depth);
  const int w = frame.Width, h = frame.Height;
  const int rowBytes = static_cast<int>(frame.RowBytes());
  auto image = HostToGrayContainer(frame.Data.data(), depth, w, h, rowBytes);
  ASSERT_TRUE(image);
  const float factor = NormalizeGray(*image);
  int ox, oy, pw, ph;
  auto padded = GrayToPadded(*image, ox, oy, pw, ph);
  auto psf = MakePSF(pkGaussian, pw, ph, 2.0f, 3.0f);
  EXPECT_EQ(RunKernel(*padded, *psf, 20), 20);
  THostImageFile out = frame;
  ASSERT_TRUE(GrayContainerToHost(*padded, out.Data.data(), depth, rowBytes, factor, ox, oy, w, h));

  // Deep sky: clipped samples with no lit sample within 3 pixels.
  int deepSky = 0, deepSkyLit = 0;
  double inFlux = 0, outFlux = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      inFlux += frame.Sample(x, y, 0);
      outFlux += out.Sample(x, y, 0);
      bool deep = true;
      for (int dy = -3; dy <= 3 && deep; ++dy)
        for (int dx = -3; dx <= 3 && deep; ++dx)
          deep = frame.Sample(std::clamp(x + dx, 0, w - 1), std::clamp(y + dy, 0, h - 1), 0) == 0;
      if (!deep) continue;
      ++deepSky;
      deepSkyLit += out.Sample(x, y, 0) != 0;
    }
  EXPECT_GT(deepSky, w * h / 4);
  EXPECT_EQ(deepSkyLit, 0);
  EXPECT_NEAR(outFlux, inFlux, 0.01 * inFlux);
}

}  // namespace
