#include "framework/DataContainer.h"
#include "framework/FFTKernels.h"
#include "framework/FFTWorkspace.h"

#include "tests/framework/Generators.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>
#include <cstring>
#include <tuple>
#include <vector>

namespace {

struct TSize {
  int W;
  int H;
};

std::ostream& operator<<(std::ostream& os, const TSize& s) { return os << s.W << "x" << s.H; }

const double kPi = 3.14159265358979323846;

// Direct 2-D DFT in double of a real plane: the slow, obvious reference.
std::vector<std::complex<double>> DirectDFT(const TDataContainer& p) {
  std::vector<std::complex<double>> out(static_cast<size_t>(p.Width) * p.Height);
  for (int v = 0; v < p.Height; ++v)
    for (int u = 0; u < p.Width; ++u) {
      std::complex<double> sum = 0;
      for (int y = 0; y < p.Height; ++y)
        for (int x = 0; x < p.Width; ++x) {
          const double a = -2 * kPi * (static_cast<double>(u) * x / p.Width + static_cast<double>(v) * y / p.Height);
          sum += static_cast<double>(p.GetValue(x, y)) * std::complex<double>(std::cos(a), std::sin(a));
        }
      out[u + static_cast<size_t>(v) * p.Width] = sum;
    }
  return out;
}

// The single-line algorithm written out plainly, one line at a time, for comparing bits.
void ReferenceLine(std::vector<TComplex>& line, bool forward) {
  static const float kCos[14] = {-1.0f, 0.0f, 0.707106769f, 0.923879504f, 0.980785251f, 0.99518472f,
                                 0.99879545f, 0.999698818f, 0.999924719f, 0.999981165f, 0.999995291f,
                                 0.999998808f, 0.999999702f, 0.99999994f};
  static const float kSin[14] = {0.0f, 1.0f, 0.707106769f, 0.382683426f, 0.195090324f, 0.0980171412f,
                                 0.0490676761f, 0.024541229f, 0.0122715384f, 0.00613588467f,
                                 0.00306795677f, 0.00153398013f, 0.000766990299f, 0.000383495179f};
  const int n = static_cast<int>(line.size());
  int bits = 0;
  while ((1 << bits) < n) ++bits;
  for (int i = 0; i < n; ++i) {
    int j = 0;
    for (int b = 0; b < bits; ++b) j |= ((i >> b) & 1) << (bits - 1 - b);
    if (i < j) std::swap(line[i], line[j]);
  }
  for (int m = 1, s = 0; m < n; m *= 2, ++s) {
    const double wpr = kCos[s], wpi = forward ? -kSin[s] : kSin[s];
    float wr = 1, wi = 0;
    for (int j = 0; j < m; ++j) {
      for (int i = j; i < n; i += 2 * m) {
        TComplex& a = line[i];
        TComplex& b = line[i + m];
        const float tr = static_cast<float>(static_cast<double>(wr) * b.Re - static_cast<double>(wi) * b.Im);
        const float ti = static_cast<float>(static_cast<double>(wr) * b.Im + static_cast<double>(wi) * b.Re);
        b.Re = static_cast<float>(static_cast<double>(a.Re) - tr);
        a.Re = static_cast<float>(static_cast<double>(a.Re) + tr);
        b.Im = static_cast<float>(static_cast<double>(a.Im) - ti);
        a.Im = static_cast<float>(static_cast<double>(a.Im) + ti);
      }
      const float old = wr;
      wr = static_cast<float>(static_cast<double>(wr) * wpr - static_cast<double>(wi) * wpi);
      wi = static_cast<float>(static_cast<double>(wi) * wpr + static_cast<double>(old) * wpi);
    }
  }
  if (!forward) {
    const float scale = 1.0f / n;
    for (TComplex& c : line) c = {static_cast<float>(c.Re * static_cast<double>(scale)),
                                  static_cast<float>(c.Im * static_cast<double>(scale))};
  }
}

std::vector<TComplex> ReferenceForward(const TDataContainer& p) {
  std::vector<TComplex> plane(static_cast<size_t>(p.Width) * p.Height);
  std::vector<TComplex> line;
  for (int y = 0; y < p.Height; ++y) {
    line.assign(p.Width, {0, 0});
    for (int x = 0; x < p.Width; ++x) line[x].Re = p.GetValue(x, y);
    ReferenceLine(line, true);
    for (int x = 0; x < p.Width; ++x) plane[x + static_cast<size_t>(y) * p.Width] = line[x];
  }
  for (int x = 0; x < p.Width; ++x) {
    line.resize(p.Height);
    for (int y = 0; y < p.Height; ++y) line[y] = plane[x + static_cast<size_t>(y) * p.Width];
    ReferenceLine(line, true);
    for (int y = 0; y < p.Height; ++y) plane[x + static_cast<size_t>(y) * p.Width] = line[y];
  }
  return plane;
}

class FFTSizeTest : public ::testing::TestWithParam<TSize> {};

TEST_P(FFTSizeTest, ForwardFFT_ConstantGivesDCOnlyAndKeepsData) {
  const TSize s = GetParam();
  auto p = testgen::Constant(s.W, s.H, 0.75f);
  ASSERT_EQ(p->ForwardFFT(), 0);
  TComplex c{};
  p->GetComplex(0, 0, c);
  EXPECT_FLOAT_EQ(c.Re, 0.75f * s.W * s.H);
  EXPECT_EQ(c.Im, 0.0f);
  for (int y = 0; y < s.H; ++y)
    for (int x = 0; x < s.W; ++x) {
      EXPECT_EQ(p->GetValue(x, y), 0.75f);
      if (x == 0 && y == 0) continue;
      p->GetComplex(x, y, c);
      EXPECT_NEAR(c.Re, 0.0, 1e-4 * s.W * s.H);
      EXPECT_NEAR(c.Im, 0.0, 1e-4 * s.W * s.H);
    }
}

TEST_P(FFTSizeTest, ForwardFFT_ImpulseAtOriginGivesFlatSpectrum) {
  const TSize s = GetParam();
  auto p = testgen::Impulse(s.W, s.H, 0, 0);
  ASSERT_EQ(p->ForwardFFT(), 0);
  for (int y = 0; y < s.H; ++y)
    for (int x = 0; x < s.W; ++x) {
      TComplex c{};
      p->GetComplex(x, y, c);
      EXPECT_EQ(c.Re, 1.0f);
      EXPECT_EQ(c.Im, 0.0f);
    }
}

TEST_P(FFTSizeTest, RoundTripRestoresDataAndLeavesRowPassInComplex) {
  const TSize s = GetParam();
  auto p = testgen::StarField(s.W, s.H, 7u);
  auto original = testgen::StarField(s.W, s.H, 7u);
  ASSERT_EQ(p->ForwardFFT(), 0);
  ASSERT_EQ(p->InverseFFT(), 0);
  for (int y = 0; y < s.H; ++y)
    for (int x = 0; x < s.W; ++x) EXPECT_NEAR(p->GetValue(x, y), original->GetValue(x, y), 2e-6);
  // Inverse rows undo forward rows, so Complex now holds the column DFT of the input.
  for (int x = 0; x < s.W; x += std::max(1, s.W / 4))
    for (int v = 0; v < s.H; v += std::max(1, s.H / 4)) {
      std::complex<double> sum = 0;
      for (int y = 0; y < s.H; ++y) {
        const double a = -2 * kPi * v * y / s.H;
        sum += static_cast<double>(original->GetValue(x, y)) * std::complex<double>(std::cos(a), std::sin(a));
      }
      TComplex c{};
      p->GetComplex(x, v, c);
      EXPECT_NEAR(c.Re, sum.real(), 1e-4 * s.H);
      EXPECT_NEAR(c.Im, sum.imag(), 1e-4 * s.H);
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, FFTSizeTest,
                         ::testing::Values(TSize{1, 1}, TSize{8, 8}, TSize{32, 4}, TSize{1, 64}, TSize{64, 1},
                                           TSize{128, 64}));

TEST(DataContainerTest, ForwardFFT_ImpulseAtOneFixesSignConvention) {
  for (int n : {8, 256, 16384}) {
    auto p = testgen::Impulse(n, 1, 1, 0);
    ASSERT_EQ(p->ForwardFFT(), 0);
    // The twiddle recurrence accumulates rounding over the 14 stages of the longest line.
    const double tolerance = n == 16384 ? 2e-4 : 1e-6;
    for (int k = 0; k < n; k += (n > 256 ? 97 : 1)) {
      TComplex c{};
      p->GetComplex(k, 0, c);
      EXPECT_NEAR(c.Re, std::cos(2 * kPi * k / n), tolerance) << "n=" << n << " k=" << k;
      EXPECT_NEAR(c.Im, -std::sin(2 * kPi * k / n), tolerance) << "n=" << n << " k=" << k;
    }
  }
}

TEST(DataContainerTest, ForwardFFT_LongestLineRoundTrips) {
  auto p = testgen::StarField(16384, 1, 3u, 40);
  auto original = testgen::StarField(16384, 1, 3u, 40);
  ASSERT_EQ(p->ForwardFFT(), 0);
  ASSERT_EQ(p->InverseFFT(), 0);
  double worst = 0;
  for (int x = 0; x < 16384; ++x) worst = std::max(worst, std::fabs(static_cast<double>(p->GetValue(x, 0)) - original->GetValue(x, 0)));
  // Rounding of the recurrence twiddles grows with the line length.
  EXPECT_LT(worst, 2e-4);
}

class DirectDFTTest : public ::testing::TestWithParam<TSize> {};

TEST_P(DirectDFTTest, ForwardFFT_MatchesDirectDFT) {
  const TSize s = GetParam();
  auto p = testgen::StarField(s.W, s.H, 11u, 3);
  const auto reference = DirectDFT(*p);
  ASSERT_EQ(p->ForwardFFT(), 0);
  for (int y = 0; y < s.H; ++y)
    for (int x = 0; x < s.W; ++x) {
      TComplex c{};
      p->GetComplex(x, y, c);
      const auto& r = reference[x + static_cast<size_t>(y) * s.W];
      EXPECT_NEAR(c.Re, r.real(), 2e-6 * s.W * s.H) << x << "," << y;
      EXPECT_NEAR(c.Im, r.imag(), 2e-6 * s.W * s.H) << x << "," << y;
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, DirectDFTTest,
                         ::testing::Values(TSize{2, 2}, TSize{4, 4}, TSize{8, 2}, TSize{16, 16}, TSize{32, 8}));

// Lines are transformed in blocks whose width depends on the side; the bits must not.
class BlockedTransformTest : public ::testing::TestWithParam<TSize> {};

TEST_P(BlockedTransformTest, ForwardFFT_BitIdenticalToLineByLineAlgorithm) {
  const TSize s = GetParam();
  auto p = testgen::StarField(s.W, s.H, 5u, 20);
  const auto reference = ReferenceForward(*p);
  ASSERT_EQ(p->ForwardFFT(), 0);
  EXPECT_EQ(std::memcmp(p->Complex, reference.data(), reference.size() * sizeof(TComplex)), 0);
}

INSTANTIATE_TEST_SUITE_P(Sizes, BlockedTransformTest,
                         ::testing::Values(TSize{64, 32}, TSize{16, 2048}, TSize{4096, 8}, TSize{8, 8192},
                                           TSize{16384, 2}, TSize{2, 16384}, TSize{4, 4}));

// Every kernel the machine has, on one thread and spread over a pool, gives the bits of the
// portable kernel on one thread: lane counts 4, 8 and 16 and the scalar blocks of narrow
// planes, with infinities, NaN, signed zeros and denormals among the samples. A NaN matches
// any NaN: which operand's NaN a sum passes on follows the compiler's choice of operand order,
// in the portable kernel as well, and no output keeps a NaN's sign or payload.
TEST(DataContainerTest, EveryKernelAndThreadCountGiveThePortableKernelsBits) {
  auto run = [](TSize s, TFFTKernel kernel, int threads) {
    EXPECT_TRUE(SelectFFTKernel(kernel));
    auto p = testgen::StarField(s.W, s.H, 9u, 30);
    const std::vector<float> extremes = testgen::ExtremeValues();
    for (size_t i = 0; i < extremes.size(); ++i) p->Data[(i * 7919) % (s.W * s.H)] = extremes[i];
    p->Data[(s.W * s.H) / 3] = testgen::NaN();
    TFFTWorkspace workspace(std::max(s.W, s.H), threads);
    EXPECT_EQ(p->ForwardFFT(workspace), 0);
    std::vector<std::uint32_t> bits(3 * s.W * s.H);
    std::memcpy(bits.data(), p->Complex, 2 * sizeof(float) * s.W * s.H);
    EXPECT_EQ(p->InverseFFT(workspace), 0);
    std::memcpy(bits.data() + 2 * s.W * s.H, p->Data, sizeof(float) * s.W * s.H);
    for (std::uint32_t& b : bits)
      if ((b & 0x7fffffffu) > 0x7f800000u) b = 0x7fc00000u;
    return bits;
  };
  for (TSize s : {TSize{256, 64}, TSize{4096, 8}, TSize{32, 4096}, TSize{2, 512}}) {
    const auto reference = run(s, TFFTKernel::Scalar, 1);
    for (TFFTKernel kernel : {TFFTKernel::Scalar, TFFTKernel::SSE2, TFFTKernel::AVX2, TFFTKernel::Automatic}) {
      if (!FFTKernelSupported(kernel)) continue;
      for (int threads : {1, 5}) {
        const auto bits = run(s, kernel, threads);
        const auto first = std::mismatch(bits.begin(), bits.end(), reference.begin());
        EXPECT_TRUE(first.first == bits.end())
            << s << " kernel " << static_cast<int>(kernel) << " threads " << threads << ": word "
            << (first.first - bits.begin()) << " of " << bits.size() << std::hex << " is " << *first.first
            << " for " << *first.second;
      }
    }
  }
  SelectFFTKernel(TFFTKernel::Automatic);
}

class UntransformableSideTest : public ::testing::TestWithParam<TSize> {};

TEST_P(UntransformableSideTest, TransformsReturnMinusOneAndTouchNothing) {
  const TSize s = GetParam();
  auto p = testgen::Constant(s.W, s.H, 2.0f);
  p->SetComplex(0, 0, {3.0f, 4.0f});
  EXPECT_EQ(p->ForwardFFT(), -1);
  EXPECT_EQ(p->InverseFFT(), -1);
  TComplex c{};
  p->GetComplex(0, 0, c);
  EXPECT_EQ(c.Re, 3.0f);
  EXPECT_EQ(c.Im, 4.0f);
  p->GetComplex(s.W - 1, s.H - 1, c);
  EXPECT_EQ(c.Re, 0.0f);
  EXPECT_EQ(p->GetValue(s.W - 1, s.H - 1), 2.0f);
}

INSTANTIATE_TEST_SUITE_P(Sides, UntransformableSideTest,
                         ::testing::Values(TSize{6, 8}, TSize{8, 12}, TSize{3, 1}, TSize{32768, 1},
                                           TSize{1, 32768}));

TEST(DataContainerTest, AbsentPlanesReadZeroIgnoreWritesAndFailTransforms) {
  TDataContainer p(8, 8);
  p.SetValue(1, 1, 5.0f);
  float* data = p.Data;
  p.Data = nullptr;
  EXPECT_EQ(p.GetValue(1, 1), 0.0f);
  p.SetValue(2, 2, 7.0f);
  EXPECT_EQ(p.ForwardFFT(), -1);
  EXPECT_EQ(p.InverseFFT(), -1);
  EXPECT_EQ(p.Complex[9].Re, 0.0f);
  p.Data = data;
  EXPECT_EQ(p.GetValue(2, 2), 0.0f);

  TComplex* complex = p.Complex;
  p.Complex = nullptr;
  TComplex c{9.0f, 9.0f};
  p.GetComplex(0, 0, c);
  EXPECT_EQ(c.Re, 9.0f);
  p.SetComplex(0, 0, {1.0f, 1.0f});
  EXPECT_EQ(p.ForwardFFT(), -1);
  p.Complex = complex;
  EXPECT_EQ(p.Complex[0].Re, 0.0f);
}

TEST(DataContainerTest, RefusedAllocationLeavesPlanesAbsentButSizeStored) {
  TDataContainer p(1 << 30, 1 << 30);
  EXPECT_EQ(p.Data, nullptr);
  EXPECT_EQ(p.Complex, nullptr);
  EXPECT_EQ(p.Width, 1 << 30);
  EXPECT_EQ(p.GetValue(5, 5), 0.0f);
}

TEST(DataContainerTest, NewPlanesAreZeroFilled) {
  TDataContainer p(64, 16);
  for (int i = 0; i < 64 * 16; ++i) {
    ASSERT_EQ(p.Data[i], 0.0f);
    ASSERT_EQ(p.Complex[i].Re, 0.0f);
    ASSERT_EQ(p.Complex[i].Im, 0.0f);
  }
}

}  // namespace
