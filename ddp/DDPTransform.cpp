// DDP transform over gray and RGB planes.
#include "ddp/DDPTransform.h"

#include <algorithm>
#include <cstddef>
#include <new>
#include <vector>

namespace {

// Both plane kinds are handled as rows of floats: one per pixel for gray, R, G, B for RGB.
template <class TPlane> constexpr int kChannels = 1;
template <> constexpr int kChannels<TDataContainerRGB> = 3;

void ReadRow(const TDataContainer& plane, int y, float* row) {
  const float* p = plane.Data + static_cast<std::ptrdiff_t>(y) * plane.Width;
  std::copy(p, p + plane.Width, row);
}

void ReadRow(const TDataContainerRGB& plane, int y, float* row) {
  const TPixelRGB* p = plane.Data + static_cast<std::ptrdiff_t>(y) * plane.Width;
  for (int x = 0; x < plane.Width; ++x, row += 3) {
    row[0] = p[x].R;
    row[1] = p[x].G;
    row[2] = p[x].B;
  }
}

void WriteRow(TDataContainer& plane, int y, const float* row) {
  std::copy(row, row + plane.Width, plane.Data + static_cast<std::ptrdiff_t>(y) * plane.Width);
}

void WriteRow(TDataContainerRGB& plane, int y, const float* row) {
  TPixelRGB* p = plane.Data + static_cast<std::ptrdiff_t>(y) * plane.Width;
  for (int x = 0; x < plane.Width; ++x, row += 3) p[x] = {row[0], row[1], row[2]};
}

// Row y of the plane with its first and last pixel repeated `radius` times outward, so that
// column x + dx of the plane, clamped to the plane, is pixel x + dx + radius of the row.
template <class TPlane>
void ReadPaddedRow(const TPlane& plane, int y, int radius, float* row) {
  constexpr int c = kChannels<TPlane>;
  ReadRow(plane, y, row + radius * c);
  const float* first = row + radius * c;
  const float* last = row + (radius + plane.Width - 1) * c;
  for (int i = 0; i < radius; ++i) {
    std::copy(first, first + c, row + i * c);
    std::copy(last, last + c, row + (radius + plane.Width + i) * c);
  }
}

// S / (m + B) + g in double, rounded once; the limits are applied to the stored single, the
// lower one first so that it also takes not-a-number.
float Develop(float s, float b, double m, double g) {
  float v = static_cast<float>(static_cast<double>(s) / (m + static_cast<double>(b)) + g);
  if (!(v >= 0.0f)) v = 0.0f;
  if (v > 1.0f) v = 1.0f;
  return v;
}

template <class TPlane>
std::unique_ptr<TPlane> Transform(const TPlane& source, int edgeKernelSize, int midLevelPosition,
                                  int backgroundPosition) noexcept {
  try {
    if (source.Data == nullptr) return nullptr;
    const int width = source.Width, height = source.Height;
    std::unique_ptr<TPlane> result(new (std::nothrow) TPlane(width, height));
    if (!result || result->Data == nullptr) return nullptr;

    constexpr int c = kChannels<TPlane>;
    const int radius = std::max(edgeKernelSize, 0) / 2;
    const float count = static_cast<float>((2 * radius + 1) * (2 * radius + 1));
    const double m = midLevelPosition / 100.0;
    const double g = backgroundPosition / 100.0;
    const std::size_t rowFloats = static_cast<std::size_t>(width) * c;

    // A result pixel needs only its own mean, so the means are kept one row at a time. The
    // window sums of a row advance together, dx inner and dy outer: each pixel's sum still
    // receives its samples in window order, and the inner loop runs over contiguous floats.
    std::vector<float> sum(rowFloats), padded(rowFloats + 2 * static_cast<std::size_t>(radius) * c),
        samples(rowFloats), developed(rowFloats);
    for (int y = 0; y < height; ++y) {
      std::fill(sum.begin(), sum.end(), 0.0f);
      for (int dy = -radius; dy <= radius; ++dy) {
        ReadPaddedRow(source, std::clamp(y + dy, 0, height - 1), radius, padded.data());
        for (int dx = -radius; dx <= radius; ++dx) {
          const float* __restrict window = padded.data() + static_cast<std::size_t>(dx + radius) * c;
          float* __restrict s = sum.data();
          for (std::size_t i = 0; i < rowFloats; ++i) s[i] = s[i] + window[i];
        }
      }
      ReadRow(source, y, samples.data());
      for (std::size_t i = 0; i < rowFloats; ++i) developed[i] = Develop(samples[i], sum[i] / count, m, g);
      WriteRow(*result, y, developed.data());
    }
    return result;
  } catch (...) {
    return nullptr;
  }
}

}  // namespace

std::unique_ptr<TDataContainer> DDPTransform(const TDataContainer& Source, int EdgeKernelSize,
                                             int MidLevelPosition, int BackgroundPosition) noexcept {
  return Transform(Source, EdgeKernelSize, MidLevelPosition, BackgroundPosition);
}

std::unique_ptr<TDataContainerRGB> DDPTransform(const TDataContainerRGB& Source, int EdgeKernelSize,
                                                int MidLevelPosition, int BackgroundPosition) noexcept {
  return Transform(Source, EdgeKernelSize, MidLevelPosition, BackgroundPosition);
}
