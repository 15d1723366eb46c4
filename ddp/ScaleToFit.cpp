// Fit-to-box nearest-neighbour resampling of gray and RGB planes.
#include "ddp/ScaleToFit.h"

#include <algorithm>
#include <cmath>
#include <new>

namespace {

float Sample(const TDataContainer& plane, int x, int y) { return plane.GetValue(x, y); }

TPixelRGB Sample(const TDataContainerRGB& plane, int x, int y) {
  TPixelRGB pixel;
  plane.GetPixel(x, y, pixel);
  return pixel;
}

void Store(TDataContainer& plane, int x, int y, float value) { plane.SetValue(x, y, value); }
void Store(TDataContainerRGB& plane, int x, int y, const TPixelRGB& pixel) { plane.SetPixel(x, y, pixel); }

// Rounding ties to even, as every rounding to an integer here.
int Round(double v) { return static_cast<int>(std::nearbyint(v)); }

template <class TPlane>
std::unique_ptr<TPlane> Fit(const TPlane& source, int boxWidth, int boxHeight) noexcept {
  const int width = source.Width, height = source.Height;
  int newWidth = 0, newHeight = 0;
  if (width > 0 && height > 0) {
    const double s = height > width ? static_cast<double>(boxHeight) / height
                                    : static_cast<double>(boxWidth) / width;
    newWidth = std::max(Round(s * width), 0);
    newHeight = std::max(Round(s * height), 0);
  }
  std::unique_ptr<TPlane> result(new (std::nothrow) TPlane(newWidth, newHeight));
  // A copy whose storage was refused (a huge box) comes back absent at once: sampling into
  // it would change nothing and could walk billions of pixels.
  if (!result || newWidth == 0 || newHeight == 0 || result->Data == nullptr) return result;

  // Positions are singles advanced by repeated addition; their rounding decides which source
  // pixel a copy pixel takes. A row's positions do not depend on the row, so leaving a row at
  // the copy's last column (or the rows at its last row) skips only samples that would not
  // be written.
  const float stepX = static_cast<float>(static_cast<double>(width) / newWidth);
  const float stepY = static_cast<float>(static_cast<double>(height) / newHeight);
  int sampledWidth = 0, sampledHeight = 0;
  const double lastX = width - 1, lastY = height - 1;
  for (float sy = 0.0f; sy <= lastY && sampledHeight < newHeight; sy = sy + stepY, ++sampledHeight) {
    int i = 0;
    for (float sx = 0.0f; sx <= lastX && i < newWidth; sx = sx + stepX, ++i)
      Store(*result, i, sampledHeight, Sample(source, Round(sx), Round(sy)));
    sampledWidth = i;
  }

  // An enlarged copy's positions pass the source's last column (row) before its own last
  // column (row) is reached. Those copy pixels repeat the nearest sampled column (row), so
  // the preview shows the image's edge there rather than a black border.
  for (int j = 0; j < sampledHeight; ++j)
    for (int i = sampledWidth; i < newWidth; ++i) Store(*result, i, j, Sample(*result, sampledWidth - 1, j));
  for (int j = sampledHeight; j < newHeight; ++j)
    for (int i = 0; i < newWidth; ++i) Store(*result, i, j, Sample(*result, i, sampledHeight - 1));
  return result;
}

}  // namespace

std::unique_ptr<TDataContainer> ScaleToFit(const TDataContainer& Source, int BoxWidth, int BoxHeight) noexcept {
  return Fit(Source, BoxWidth, BoxHeight);
}

std::unique_ptr<TDataContainerRGB> ScaleToFitRGB(const TDataContainerRGB& Source, int BoxWidth,
                                                 int BoxHeight) noexcept {
  return Fit(Source, BoxWidth, BoxHeight);
}
