#include "PSF.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <vector>

namespace {

// The values of one kind, evaluated row by row. All intermediates are double; single(...)
// roundings happen exactly where the formulas need them, so the bits do not depend on the
// order in which points are visited.
class TPSFShape {
public:
  TPSFShape(TPSFKind kind, float sigma, float kurtosis, const std::vector<int>& columnDx)
      : FKind(kind), FSigma(sigma), FKurtosis(kurtosis), FColumnDx(columnDx) {
    // The exponential separates into a column factor (kept in double, as it enters the
    // product unrounded) and a row factor (rounded to single), so each exp is taken once.
    if (FKind == pkExponential) {
      FColumnFactor.resize(FColumnDx.size());
      for (std::size_t c = 0; c < FColumnDx.size(); ++c) FColumnFactor[c] = ExponentialFactor(FColumnDx[c]);
    }
  }

  // Writes the values of the row at vertical distance dy into out[0 .. columns-1].
  void Row(int dy, float* out) const {
    const std::size_t n = FColumnDx.size();
    switch (FKind) {
      case pkGaussian: {
        const double d = FSigma * FSigma * 2.0;
        for (std::size_t c = 0; c < n; ++c) out[c] = static_cast<float>(std::exp(-R2(c, dy) / d));
        break;
      }
      case pkExponential: {
        const double ey = static_cast<float>(ExponentialFactor(dy));
        for (std::size_t c = 0; c < n; ++c) out[c] = static_cast<float>(FColumnFactor[c] * ey);
        break;
      }
      case pkCauchy:
        for (std::size_t c = 0; c < n; ++c) {
          const double q = R2(c, dy) / FSigma;
          out[c] = static_cast<float>(1.0 / (PSFPower(q, 2.0) + 1.0));
        }
        break;
      case pkMoffat:
        for (std::size_t c = 0; c < n; ++c) {
          const double q = R2(c, dy) / FSigma;
          const double b = static_cast<float>(PSFPower(q, 2.0) + 1.0);
          out[c] = static_cast<float>(PSFPower(b, -FKurtosis));
        }
        break;
    }
  }

private:
  // dx^2 + dy^2 as a 32-bit integer, exact for sides up to 16384.
  double R2(std::size_t c, int dy) const {
    const std::int32_t dx = FColumnDx[c];
    return static_cast<double>(dx * dx + dy * dy);
  }
  double ExponentialFactor(int d) const { return std::exp(-(std::abs(d) / FSigma) / FSigma); }

  TPSFKind FKind;
  double FSigma;
  double FKurtosis;
  const std::vector<int>& FColumnDx;
  std::vector<double> FColumnFactor;
};

bool KnownKind(TPSFKind kind) { return kind >= pkGaussian && kind <= pkMoffat; }

// Plane position p of a side holds distance p for p < side/2 and p - side beyond: the grid
// centre lands at 0 and the four quadrants are swapped.
int WrappedDistance(int p, int side) { return p < side / 2 ? p : p - side; }

std::unique_ptr<TDataContainer> MakePlane(TPSFKind kind, int width, int height, float sigma, float kurtosis) {
  // Odd sides cannot be swapped into quadrants with the peak at (0, 0).
  if (!KnownKind(kind) || width <= 0 || height <= 0 || width % 2 != 0 || height % 2 != 0) return nullptr;
  try {
    std::vector<int> columnDx(width);
    for (int c = 0; c < width; ++c) columnDx[c] = WrappedDistance(c, width);
    const TPSFShape shape(kind, sigma, kurtosis, columnDx);
    std::unique_ptr<TDataContainer> plane(new TDataContainer(width, height));
    if (!plane->Data) return plane;
    std::vector<float> row(width);
    for (int r = 0; r < height; ++r) {
      shape.Row(WrappedDistance(r, height), row.data());
      for (int c = 0; c < width; ++c) plane->SetValue(c, r, row[c]);
    }
    return plane;
  } catch (...) {
    return nullptr;
  }
}

std::unique_ptr<TBitmap24> MakeThumbnail(TPSFKind kind, int width, int height, float sigma, float kurtosis) {
  if (!KnownKind(kind)) return nullptr;
  std::unique_ptr<TBitmap24> bitmap = TBitmap24::Create(width, height);
  if (!bitmap) return nullptr;
  try {
    std::vector<int> columnDx(width);
    for (int x = 0; x < width; ++x) columnDx[x] = x - width / 2;
    const TPSFShape shape(kind, sigma, kurtosis, columnDx);
    std::vector<float> row(width);
    for (int y = 0; y < height; ++y) {
      shape.Row(y - height / 2, row.data());
      for (int x = 0; x < width; ++x) {
        // v never exceeds 1, so the grey needs no clamping.
        const float p = static_cast<float>(static_cast<double>(row[x]) * 255.0);
        const auto g = static_cast<std::uint8_t>(std::nearbyint(p));
        bitmap->SetPixel(x, y, g, g, g);
      }
    }
    return bitmap;
  } catch (...) {
    return nullptr;
  }
}

}  // namespace

double PSFPower(double b, double p) {
  if (p == 0.0) return 1.0;
  if (b == 0.0 && p > 0.0) return 0.0;
  const double magnitude = std::fabs(p);
  if (magnitude == std::floor(magnitude) && magnitude < 4294967296.0) {
    auto bits = static_cast<std::uint32_t>(magnitude);
    double result = 1.0;
    double power = b;
    while (bits != 0) {
      if (bits & 1u) result *= power;
      power *= power;
      bits >>= 1;
    }
    return p < 0.0 ? 1.0 / result : result;
  }
  return std::exp(p * std::log(b));
}

std::unique_ptr<TDataContainer> MakeGaussianPSF(int Width, int Height, float Sigma) {
  return MakePlane(pkGaussian, Width, Height, Sigma, 0.0f);
}
std::unique_ptr<TDataContainer> MakeExponentialPSF(int Width, int Height, float Sigma) {
  return MakePlane(pkExponential, Width, Height, Sigma, 0.0f);
}
std::unique_ptr<TDataContainer> MakeCauchyPSF(int Width, int Height, float Sigma) {
  return MakePlane(pkCauchy, Width, Height, Sigma, 0.0f);
}
std::unique_ptr<TDataContainer> MakeMoffatPSF(int Width, int Height, float Sigma, float Kurtosis) {
  return MakePlane(pkMoffat, Width, Height, Sigma, Kurtosis);
}

std::unique_ptr<TBitmap24> GaussianPSFBitmap(int Width, int Height, float Sigma) {
  return MakeThumbnail(pkGaussian, Width, Height, Sigma, 0.0f);
}
std::unique_ptr<TBitmap24> ExponentialPSFBitmap(int Width, int Height, float Sigma) {
  return MakeThumbnail(pkExponential, Width, Height, Sigma, 0.0f);
}
std::unique_ptr<TBitmap24> CauchyPSFBitmap(int Width, int Height, float Sigma) {
  return MakeThumbnail(pkCauchy, Width, Height, Sigma, 0.0f);
}
std::unique_ptr<TBitmap24> MoffatPSFBitmap(int Width, int Height, float Sigma, float Kurtosis) {
  return MakeThumbnail(pkMoffat, Width, Height, Sigma, Kurtosis);
}

std::unique_ptr<TDataContainer> MakePSF(TPSFKind Kind, int Width, int Height, float Sigma, float Kurtosis) {
  return MakePlane(Kind, Width, Height, Sigma, Kurtosis);
}
std::unique_ptr<TBitmap24> PSFBitmap(TPSFKind Kind, int Width, int Height, float Sigma, float Kurtosis) {
  return MakeThumbnail(Kind, Width, Height, Sigma, Kurtosis);
}
