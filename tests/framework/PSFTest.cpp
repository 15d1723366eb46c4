#include "framework/PSF.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

namespace {

std::uint8_t Gray(const TBitmap24& bitmap, int x, int y) {
  std::uint8_t r, g, b;
  bitmap.GetPixel(x, y, r, g, b);
  EXPECT_EQ(r, g);
  EXPECT_EQ(g, b);
  return g;
}

// (kind, sigma, kurtosis) over the dialogs' ranges and a negative sigma.
class PSFPeakTest : public ::testing::TestWithParam<std::tuple<TPSFKind, float, float>> {};

TEST_P(PSFPeakTest, PeakIsOneAtOriginAndWhiteAtThumbnailCentre) {
  const auto [kind, sigma, kurtosis] = GetParam();
  auto plane = MakePSF(kind, 64, 32, sigma, kurtosis);
  ASSERT_TRUE(plane);
  EXPECT_EQ(plane->GetValue(0, 0), 1.0f);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 64; ++x) {
      ASSERT_GE(plane->GetValue(x, y), 0.0f);
      ASSERT_LE(plane->GetValue(x, y), 1.0f);
    }
  auto thumbnail = PSFBitmap(kind, 64, 64, sigma, kurtosis);
  ASSERT_TRUE(thumbnail);
  EXPECT_EQ(Gray(*thumbnail, 32, 32), 255);
}

INSTANTIATE_TEST_SUITE_P(Kinds, PSFPeakTest,
                         ::testing::Combine(::testing::Values(pkGaussian, pkExponential, pkCauchy, pkMoffat),
                                            ::testing::Values(0.1f, 1.0f, 3.7f, 10.0f, -2.0f),
                                            ::testing::Values(1.01f, 2.0f, 4.4f)));

TEST(PSFTest, GaussianSigmaOneNeighboursHoldExpMinusHalf) {
  auto plane = MakeGaussianPSF(256, 256, 1.0f);
  const float expected = static_cast<float>(std::exp(-0.5));
  EXPECT_EQ(plane->GetValue(1, 0), expected);
  EXPECT_EQ(plane->GetValue(255, 0), expected);
  EXPECT_EQ(plane->GetValue(0, 1), expected);
  EXPECT_EQ(plane->GetValue(0, 255), expected);
  EXPECT_EQ(Gray(*GaussianPSFBitmap(64, 64, 1.0f), 33, 32), 155);
}

TEST(PSFTest, ExponentialUsesCityBlockDistanceWithRoundedRowFactor) {
  auto plane = MakeExponentialPSF(256, 256, 1.0f);
  const double e = std::exp(-1.0);
  EXPECT_EQ(plane->GetValue(1, 0), static_cast<float>(e));
  EXPECT_EQ(plane->GetValue(1, 1), static_cast<float>(e * static_cast<float>(e)));
  EXPECT_EQ(Gray(*ExponentialPSFBitmap(64, 64, 1.0f), 33, 32), 94);
}

TEST(PSFTest, CauchyDividesSquaredDistanceBySigma) {
  auto one = MakeCauchyPSF(256, 256, 1.0f);
  EXPECT_EQ(one->GetValue(1, 0), 0.5f);
  EXPECT_EQ(Gray(*CauchyPSFBitmap(64, 64, 1.0f), 33, 32), 128);
  auto two = MakeCauchyPSF(256, 256, 2.0f);
  EXPECT_EQ(two->GetValue(1, 0), 0.8f);
  EXPECT_EQ(two->GetValue(1, 1), 0.5f);
}

TEST(PSFTest, MoffatWholeAndFractionalExponents) {
  auto two = MakeMoffatPSF(256, 256, 1.0f, 2.0f);
  EXPECT_EQ(two->GetValue(1, 0), 0.25f);
  EXPECT_EQ(Gray(*MoffatPSFBitmap(64, 64, 1.0f, 2.0f), 33, 32), 64);
  auto fractional = MakeMoffatPSF(256, 256, 1.0f, 2.5f);
  EXPECT_EQ(fractional->GetValue(1, 0), static_cast<float>(std::pow(2.0, -2.5)));
  auto flat = MakeMoffatPSF(64, 64, 1.5f, 0.0f);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) ASSERT_EQ(flat->GetValue(x, y), 1.0f);
}

TEST(PSFTest, PowerRule) {
  EXPECT_EQ(PSFPower(5.0, 0.0), 1.0);
  EXPECT_EQ(PSFPower(0.0, 2.5), 0.0);
  EXPECT_EQ(PSFPower(0.1, 2.0), 0.1 * 0.1);
  EXPECT_EQ(PSFPower(3.0, -3.0), 1.0 / 27.0);
  EXPECT_EQ(PSFPower(2.0, -2.5), std::exp(-2.5 * std::log(2.0)));
}

class PSFSymmetryTest : public ::testing::TestWithParam<TPSFKind> {};

TEST_P(PSFSymmetryTest, PlaneIsSymmetricUnderWrapAndHalfSideHoldsDistanceHalfSide) {
  auto plane = MakePSF(GetParam(), 256, 256, 7.5f, 1.7f);
  for (int r = 0; r < 256; ++r)
    for (int c = 1; c < 256; ++c) {
      ASSERT_EQ(plane->GetValue(c, r), plane->GetValue(256 - c, r)) << c << "," << r;
      ASSERT_EQ(plane->GetValue(r, c), plane->GetValue(r, 256 - c)) << r << "," << c;
    }
  // Row 0 equals the grid row through the centre: column 128 is distance 128 (grid column 0
  // of a centred grid) and column 1 distance 1.
  auto wide = MakePSF(GetParam(), 512, 256, 7.5f, 1.7f);
  EXPECT_EQ(plane->GetValue(128, 0), wide->GetValue(128, 0));
  EXPECT_GT(plane->GetValue(1, 0), plane->GetValue(128, 0));
}

INSTANTIATE_TEST_SUITE_P(Kinds, PSFSymmetryTest,
                         ::testing::Values(pkGaussian, pkExponential, pkCauchy, pkMoffat));

TEST(PSFTest, ThumbnailMatchesPlaneValuesAroundCentre) {
  auto plane = MakeCauchyPSF(64, 64, 2.0f);
  auto thumbnail = CauchyPSFBitmap(64, 64, 2.0f);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) {
      const float v = plane->GetValue((x + 32) % 64, (y + 32) % 64);
      ASSERT_EQ(Gray(*thumbnail, x, y), std::nearbyint(static_cast<float>(v * 255.0))) << x << "," << y;
    }
}

TEST(PSFTest, OddOrEmptySidesAndUnknownKindAreRefused) {
  EXPECT_EQ(MakeGaussianPSF(63, 64, 1.0f), nullptr);
  EXPECT_EQ(MakeExponentialPSF(64, 1, 1.0f), nullptr);
  EXPECT_EQ(MakeCauchyPSF(0, 64, 1.0f), nullptr);
  EXPECT_EQ(MakeMoffatPSF(64, -2, 1.0f, 2.0f), nullptr);
  EXPECT_EQ(MakePSF(static_cast<TPSFKind>(4), 64, 64, 1.0f, 2.0f), nullptr);
  EXPECT_EQ(PSFBitmap(static_cast<TPSFKind>(-1), 64, 64, 1.0f, 2.0f), nullptr);
}

}  // namespace
