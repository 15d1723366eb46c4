// A plane of RGB pixels, three singles each, as an RGB image is held between host block and split.
#pragma once

#include <cstddef>

struct TPixelRGB {
  float R;
  float G;
  float B;
};

// Data comes zero-filled from the page allocator; when refused it is absent (nullptr), reads
// as (0, 0, 0) and ignores writes.
class TDataContainerRGB {
public:
  TPixelRGB* Data;
  int Width;
  int Height;

  TDataContainerRGB(int Width, int Height) noexcept;
  ~TDataContainerRGB();
  TDataContainerRGB(const TDataContainerRGB&) = delete;
  TDataContainerRGB& operator=(const TDataContainerRGB&) = delete;

  // No index checks: callers keep 0 <= X < Width and 0 <= Y < Height.
  void GetPixel(int X, int Y, TPixelRGB& Pixel) const noexcept {
    if (Data) Pixel = Data[Index(X, Y)];
    else Pixel = {0.0f, 0.0f, 0.0f};
  }
  void SetPixel(int X, int Y, const TPixelRGB& Pixel) noexcept {
    if (Data) Data[Index(X, Y)] = Pixel;
  }

private:
  std::ptrdiff_t Index(int X, int Y) const noexcept {
    return static_cast<std::ptrdiff_t>(Y) * Width + X;
  }
};
