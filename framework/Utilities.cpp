#include "Utilities.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <type_traits>

namespace {

constexpr int kTileSide = 256;
constexpr float kBackground = 0.5f;

// ---- Host pixel blocks ----------------------------------------------------------------

int SampleBytes(int bitDepth) {
  switch (bitDepth) {
    case 8: return 1;
    case 16: return 2;
    case 32: return 4;
    default: return 0;
  }
}

// Byte distance between row starts: one row's samples plus the padding in whole samples,
// rounded toward zero. Equals RowBytes whenever RowBytes is a multiple of the sample size.
// 0 when RowBytes cannot hold one row.
std::ptrdiff_t RowStride(int rowBytes, int imageWidth, int channels, int sampleBytes) {
  const std::ptrdiff_t rowSamples = static_cast<std::ptrdiff_t>(imageWidth) * channels;
  // Checked before the division: a stride short of a row by less than one sample would
  // otherwise round to a skip of 0 and rows would run past the end of the block.
  if (rowBytes < rowSamples * sampleBytes) return 0;
  const std::ptrdiff_t skip = (rowBytes - rowSamples * sampleBytes) / sampleBytes;
  return (rowSamples + skip) * sampleBytes;
}

// Multi-byte samples are little-endian and need not be aligned.
float ReadSample(const std::uint8_t* p, int bitDepth) {
  switch (bitDepth) {
    case 8: return static_cast<float>(*p);
    case 16: {
      std::uint16_t v;
      std::memcpy(&v, p, sizeof v);
      return static_cast<float>(v);
    }
    default: {
      float v;
      std::memcpy(&v, p, sizeof v);
      return v;
    }
  }
}

// A sample divided by the normalisation factor; one that is not finite counts as 0.
float NormalizedSample(float value, float factor) {
  if (!std::isfinite(value)) return 0.0f;
  return static_cast<float>(static_cast<double>(value) / factor);
}

// Scale, then the lower bound (which also takes NaN), then the upper bound, then round: every
// stored integer lies in the depth's range.
template <int Depth>
void WriteSample(std::uint8_t* p, float value, float scale) {
  float v = static_cast<float>(static_cast<double>(value) * static_cast<double>(scale));
  if (!(v >= 0.0f)) v = 0.0f;
  if constexpr (Depth == 8) {
    if (v > 255.0f) v = 255.0f;
    *p = static_cast<std::uint8_t>(std::nearbyint(v));
  } else if constexpr (Depth == 16) {
    if (v > 65535.0f) v = 65535.0f;
    const std::uint16_t s = static_cast<std::uint16_t>(std::nearbyint(v));
    std::memcpy(p, &s, sizeof s);
  } else {
    if (v > 1.0f) v = 1.0f;
    std::memcpy(p, &v, sizeof v);
  }
}

template <class TPlane>
bool RegionInside(const TPlane& plane, int offsetX, int offsetY, int width, int height) {
  return offsetX >= 0 && offsetY >= 0 && static_cast<std::int64_t>(offsetX) + width <= plane.Width &&
         static_cast<std::int64_t>(offsetY) + height <= plane.Height;
}

// Calls emit(x, y, samplePointer) for every sample slot of the block in writing order.
template <int Depth, int Channels, class TEmit>
void WriteBlock(std::uint8_t* out, std::ptrdiff_t stride, int width, int height, TEmit emit) {
  constexpr int bytes = Depth / 8;
  for (int j = 0; j < height; ++j) {
    std::uint8_t* p = out + j * stride;
    for (int i = 0; i < width; ++i, p += Channels * bytes) emit(i, j, p);
  }
}

template <int Channels, class TWriter>
bool WriteHost(void* outData, int bitDepth, int rowBytes, int width, int height, TWriter writer) {
  const int sampleBytes = SampleBytes(bitDepth);
  if (sampleBytes == 0) return true;
  if (width <= 0 || height <= 0) return true;
  if (outData == nullptr) return false;
  const std::ptrdiff_t stride = RowStride(rowBytes, width, Channels, sampleBytes);
  if (stride == 0) return false;
  std::uint8_t* out = static_cast<std::uint8_t*>(outData);
  switch (bitDepth) {
    case 8: writer(std::integral_constant<int, 8>{}, out, stride); break;
    case 16: writer(std::integral_constant<int, 16>{}, out, stride); break;
    default: writer(std::integral_constant<int, 32>{}, out, stride); break;
  }
  return true;
}

// Writes the region as RGB pixels; pixel(x, y, r, g, b) supplies the three values of plane
// position (x, y), which the per-sample rule then scales, limits and rounds.
template <class TPixel>
bool WriteRGBHost(void* outData, int bitDepth, int rowBytes, float scale, int offsetX, int offsetY, int width,
                  int height, TPixel pixel) {
  return WriteHost<3>(outData, bitDepth, rowBytes, width, height,
                      [&](auto depth, std::uint8_t* out, std::ptrdiff_t stride) {
                        constexpr int kDepth = decltype(depth)::value;
                        constexpr int bytes = kDepth / 8;
                        WriteBlock<kDepth, 3>(out, stride, width, height, [&](int i, int j, std::uint8_t* p) {
                          float r, g, b;
                          pixel(offsetX + i, offsetY + j, r, g, b);
                          WriteSample<kDepth>(p, r, scale);
                          WriteSample<kDepth>(p + bytes, g, scale);
                          WriteSample<kDepth>(p + 2 * bytes, b, scale);
                        });
                      });
}

// ---- Tiles and padded planes ----------------------------------------------------------

float Channel(const TPixelRGB& pixel, int channel) {
  switch (channel) {
    case 1: return pixel.R;
    case 2: return pixel.G;
    default: return pixel.B;
  }
}

// A new plane on the background with the first copyWidth x copyHeight source values at
// (offsetX, offsetY).
template <class TRead>
std::unique_ptr<TDataContainer> PlaceOnBackground(int planeWidth, int planeHeight, int offsetX, int offsetY,
                                                  int copyWidth, int copyHeight, TRead read) {
  std::unique_ptr<TDataContainer> plane(new (std::nothrow) TDataContainer(planeWidth, planeHeight));
  if (!plane) return nullptr;
  for (int y = 0; y < planeHeight; ++y)
    for (int x = 0; x < planeWidth; ++x) plane->SetValue(x, y, kBackground);
  for (int y = 0; y < copyHeight; ++y)
    for (int x = 0; x < copyWidth; ++x) plane->SetValue(x + offsetX, y + offsetY, read(x, y));
  return plane;
}

int TileOffset(int side) { return side < kTileSide ? (kTileSide - side) / 2 : 0; }
int TileCopy(int side) { return side < kTileSide ? side : kTileSide; }

template <class TRead>
std::unique_ptr<TDataContainer> MakeTile(int sourceWidth, int sourceHeight, int& offsetX, int& offsetY,
                                         int& tileWidth, int& tileHeight, TRead read) {
  tileWidth = kTileSide;
  tileHeight = kTileSide;
  offsetX = TileOffset(sourceWidth);
  offsetY = TileOffset(sourceHeight);
  return PlaceOnBackground(kTileSide, kTileSide, offsetX, offsetY, TileCopy(sourceWidth),
                           TileCopy(sourceHeight), read);
}

template <class TRead>
std::unique_ptr<TDataContainer> MakePadded(int sourceWidth, int sourceHeight, int& offsetX, int& offsetY,
                                           int& paddedWidth, int& paddedHeight, TRead read) {
  paddedWidth = PaddedSize(sourceWidth);
  paddedHeight = PaddedSize(sourceHeight);
  offsetX = (paddedWidth - sourceWidth) / 2;
  offsetY = (paddedHeight - sourceHeight) / 2;
  return PlaceOnBackground(paddedWidth, paddedHeight, offsetX, offsetY, sourceWidth, sourceHeight, read);
}

// ---- Display bitmaps ------------------------------------------------------------------

using TCurve = std::array<float, 256>;

std::uint8_t Render(float v, const TCurve& curve) {
  if (v > 1.0f) v = 1.0f;
  if (!(v >= 0.0f)) v = 0.0f;
  const int level = static_cast<int>(std::nearbyint(static_cast<double>(v) * 255.0));
  return static_cast<std::uint8_t>(std::nearbyint(curve[level]));
}

float SampleOrZero(const TDataContainer& plane, int x, int y) {
  if (x < 0 || y < 0 || x >= plane.Width || y >= plane.Height) return 0.0f;
  return plane.GetValue(x, y);
}

// Fills a new width x height bitmap row by row; pixel(x, y, r, g, b) supplies the three
// plane values of a pixel.
template <class TPixel>
std::unique_ptr<TBitmap24> DrawBitmap(int width, int height, int bitDepth, TPixel pixel) {
  std::unique_ptr<TBitmap24> bitmap = TBitmap24::Create(width, height);
  if (!bitmap) return nullptr;
  const TCurve curve = DisplayCurve(bitDepth);
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = bitmap->Row(y);
    for (int x = 0; x < width; ++x, row += 3) {
      float r, g, b;
      pixel(x, y, r, g, b);
      row[0] = Render(b, curve);
      row[1] = Render(g, curve);
      row[2] = Render(r, curve);
    }
  }
  return bitmap;
}

}  // namespace

// ---- Colour split and sizes -----------------------------------------------------------

void RGBToYUV(float R, float G, float B, float& Y, float& U, float& V) {
  const double r = R, g = G, b = B;
  Y = static_cast<float>(0.299 * r + 0.587 * g + 0.114 * b);
  U = static_cast<float>(-0.147 * r - 0.289 * g + 0.436 * b);
  V = static_cast<float>(0.615 * r - 0.515 * g - 0.100 * b);
}

void YUVToRGB(double Y, double U, double V, float& R, float& G, float& B) {
  R = static_cast<float>(Y + 1.14 * V);
  G = static_cast<float>(Y - 0.395 * U - 0.581 * V);
  B = static_cast<float>(Y + 2.032 * U);
}

int PaddedSize(int N) {
  if (N > TDataContainer::kMaxLine) return N;
  int side = 64;
  while (side < N) side *= 2;
  return side;
}

// ---- Tiles and padded planes ----------------------------------------------------------

std::unique_ptr<TDataContainer> RGBChannelToTile(const TDataContainerRGB& Source, int Channel, int& OffsetX,
                                                 int& OffsetY, int& TileWidth, int& TileHeight) {
  return MakeTile(Source.Width, Source.Height, OffsetX, OffsetY, TileWidth, TileHeight, [&](int x, int y) {
    TPixelRGB pixel;
    Source.GetPixel(x, y, pixel);
    return ::Channel(pixel, Channel);
  });
}

std::unique_ptr<TDataContainer> GrayToTile(const TDataContainer& Source, int& OffsetX, int& OffsetY,
                                           int& TileWidth, int& TileHeight) {
  return MakeTile(Source.Width, Source.Height, OffsetX, OffsetY, TileWidth, TileHeight,
                  [&](int x, int y) { return Source.GetValue(x, y); });
}

std::unique_ptr<TDataContainer> RGBChannelToPadded(const TDataContainerRGB& Source, int Channel, int& OffsetX,
                                                   int& OffsetY, int& PaddedWidth, int& PaddedHeight) {
  return MakePadded(Source.Width, Source.Height, OffsetX, OffsetY, PaddedWidth, PaddedHeight, [&](int x, int y) {
    TPixelRGB pixel;
    Source.GetPixel(x, y, pixel);
    return ::Channel(pixel, Channel);
  });
}

std::unique_ptr<TDataContainer> GrayToPadded(const TDataContainer& Source, int& OffsetX, int& OffsetY,
                                             int& PaddedWidth, int& PaddedHeight) {
  return MakePadded(Source.Width, Source.Height, OffsetX, OffsetY, PaddedWidth, PaddedHeight,
                    [&](int x, int y) { return Source.GetValue(x, y); });
}

// ---- Display bitmaps ------------------------------------------------------------------

// sqrt rather than a general power: it is exactly rounded on every platform, so the table is
// the same in every build.
std::array<float, 256> DisplayCurve(int BitDepth) {
  TCurve curve;
  for (int i = 0; i < 256; ++i) {
    curve[i] = static_cast<float>(i);
    if (BitDepth == 32) {
      float v = static_cast<float>(255.0 * std::sqrt(i / 255.0));
      if (v > 255.0f) v = 255.0f;
      if (v < 0.0f) v = 0.0f;
      curve[i] = v;
    }
  }
  return curve;
}

std::unique_ptr<TBitmap24> RGBContainerToBitmap(const TDataContainerRGB& Source, int BitDepth) {
  return DrawBitmap(Source.Width, Source.Height, BitDepth, [&](int x, int y, float& r, float& g, float& b) {
    TPixelRGB pixel;
    Source.GetPixel(x, y, pixel);
    r = pixel.R;
    g = pixel.G;
    b = pixel.B;
  });
}

std::unique_ptr<TBitmap24> GrayContainerToBitmap(const TDataContainer& Source, int BitDepth) {
  return DrawBitmap(Source.Width, Source.Height, BitDepth, [&](int x, int y, float& r, float& g, float& b) {
    r = g = b = Source.GetValue(x, y);
  });
}

std::unique_ptr<TBitmap24> YUVToPreviewBitmap(const TDataContainer& Y, const TDataContainer& U,
                                              const TDataContainer& V, int X0, int Y0, int Width, int Height,
                                              int BitDepth) {
  return DrawBitmap(Width, Height, BitDepth, [&](int c, int r, float& red, float& green, float& blue) {
    const int x = X0 + c, y = Y0 + r;
    YUVToRGB(SampleOrZero(Y, x, y), SampleOrZero(U, x, y), SampleOrZero(V, x, y), red, green, blue);
  });
}

std::unique_ptr<TBitmap24> GrayToPreviewBitmap(const TDataContainer& Source, int X0, int Y0, int Width,
                                               int Height, int BitDepth) {
  return DrawBitmap(Width, Height, BitDepth, [&](int c, int r, float& red, float& green, float& blue) {
    red = green = blue = SampleOrZero(Source, X0 + c, Y0 + r);
  });
}

// ---- Host pixel blocks ----------------------------------------------------------------

std::unique_ptr<TDataContainer> HostToGrayContainer(const void* InData, int BitDepth, int ImageWidth,
                                                    int ImageHeight, int RowBytes) {
  if (InData == nullptr || ImageWidth <= 0 || ImageHeight <= 0) return nullptr;
  const int sampleBytes = SampleBytes(BitDepth);
  const std::ptrdiff_t stride = sampleBytes ? RowStride(RowBytes, ImageWidth, 1, sampleBytes) : 0;
  if (sampleBytes && stride == 0) return nullptr;
  std::unique_ptr<TDataContainer> plane(new (std::nothrow) TDataContainer(ImageWidth, ImageHeight));
  if (!plane || sampleBytes == 0) return plane;
  const std::uint8_t* in = static_cast<const std::uint8_t*>(InData);
  for (int y = 0; y < ImageHeight; ++y) {
    const std::uint8_t* p = in + y * stride;
    for (int x = 0; x < ImageWidth; ++x, p += sampleBytes) plane->SetValue(x, y, ReadSample(p, BitDepth));
  }
  return plane;
}

std::unique_ptr<TDataContainerRGB> HostToRGBContainer(const void* InData, int BitDepth, int ImageWidth,
                                                      int ImageHeight, int RowBytes) {
  if (InData == nullptr || ImageWidth <= 0 || ImageHeight <= 0) return nullptr;
  const int sampleBytes = SampleBytes(BitDepth);
  const std::ptrdiff_t stride = sampleBytes ? RowStride(RowBytes, ImageWidth, 3, sampleBytes) : 0;
  if (sampleBytes && stride == 0) return nullptr;
  std::unique_ptr<TDataContainerRGB> plane(new (std::nothrow) TDataContainerRGB(ImageWidth, ImageHeight));
  if (!plane || sampleBytes == 0) return plane;
  const std::uint8_t* in = static_cast<const std::uint8_t*>(InData);
  for (int y = 0; y < ImageHeight; ++y) {
    const std::uint8_t* p = in + y * stride;
    for (int x = 0; x < ImageWidth; ++x, p += 3 * sampleBytes) {
      const TPixelRGB pixel{ReadSample(p, BitDepth), ReadSample(p + sampleBytes, BitDepth),
                            ReadSample(p + 2 * sampleBytes, BitDepth)};
      plane->SetPixel(x, y, pixel);
    }
  }
  return plane;
}

// The running maximum starts far below any sample and is replaced only by a strictly greater
// finite value. A sample that is not finite (NaN marks a blank, an infinity an overflow) takes
// no part in the maximum and becomes 0: one such sample would otherwise make the factor
// infinite or spread NaN through every transform of the plane.
float NormalizeGray(TDataContainer& Image) {
  float m = -2e32f;
  for (int y = 0; y < Image.Height; ++y)
    for (int x = 0; x < Image.Width; ++x) {
      const float v = Image.GetValue(x, y);
      if (v > m && std::isfinite(v)) m = v;
    }
  if (m == 0.0f) m = 1.0f;
  for (int y = 0; y < Image.Height; ++y)
    for (int x = 0; x < Image.Width; ++x)
      Image.SetValue(x, y, NormalizedSample(Image.GetValue(x, y), m));
  return m;
}

float NormalizeRGB(TDataContainerRGB& Image) {
  float mr = -2e32f, mg = -2e32f, mb = -2e32f;
  TPixelRGB p;
  for (int y = 0; y < Image.Height; ++y)
    for (int x = 0; x < Image.Width; ++x) {
      Image.GetPixel(x, y, p);
      if (p.R > mr && std::isfinite(p.R)) mr = p.R;
      if (p.G > mg && std::isfinite(p.G)) mg = p.G;
      if (p.B > mb && std::isfinite(p.B)) mb = p.B;
    }
  float m = mr;
  if (mg > m) m = mg;
  if (mb > m) m = mb;
  if (m == 0.0f) m = 1.0f;
  for (int y = 0; y < Image.Height; ++y)
    for (int x = 0; x < Image.Width; ++x) {
      Image.GetPixel(x, y, p);
      p = {NormalizedSample(p.R, m), NormalizedSample(p.G, m), NormalizedSample(p.B, m)};
      Image.SetPixel(x, y, p);
    }
  return m;
}

void RestoreNonFiniteSamples(const void* InData, void* OutData, int BitDepth, int ImageWidth,
                             int ImageHeight, bool IsGray, int RowBytes) {
  if (BitDepth != 32 || InData == nullptr || OutData == nullptr) return;
  if (ImageWidth <= 0 || ImageHeight <= 0) return;
  const int channels = IsGray ? 1 : 3;
  const std::ptrdiff_t stride = RowStride(RowBytes, ImageWidth, channels, 4);
  if (stride == 0) return;
  const std::uint8_t* in = static_cast<const std::uint8_t*>(InData);
  std::uint8_t* out = static_cast<std::uint8_t*>(OutData);
  for (int y = 0; y < ImageHeight; ++y)
    for (std::ptrdiff_t s = 0; s < static_cast<std::ptrdiff_t>(ImageWidth) * channels; ++s) {
      const std::ptrdiff_t at = y * stride + 4 * s;
      if (!std::isfinite(ReadSample(in + at, 32))) std::memcpy(out + at, in + at, 4);
    }
}

bool YUVToHost(const TDataContainer& Y, const TDataContainer& U, const TDataContainer& V, void* OutData,
               int BitDepth, int RowBytes, float Scale, int OffsetX, int OffsetY, int ImageWidth,
               int ImageHeight) {
  if (SampleBytes(BitDepth) != 0 && ImageWidth > 0 && ImageHeight > 0 &&
      !(RegionInside(Y, OffsetX, OffsetY, ImageWidth, ImageHeight) &&
        RegionInside(U, OffsetX, OffsetY, ImageWidth, ImageHeight) &&
        RegionInside(V, OffsetX, OffsetY, ImageWidth, ImageHeight)))
    return false;
  return WriteRGBHost(OutData, BitDepth, RowBytes, Scale, OffsetX, OffsetY, ImageWidth, ImageHeight,
                      [&](int x, int y, float& r, float& g, float& b) {
                        YUVToRGB(Y.GetValue(x, y), U.GetValue(x, y), V.GetValue(x, y), r, g, b);
                      });
}

bool GrayContainerToHost(const TDataContainer& Source, void* OutData, int BitDepth, int RowBytes, float Scale,
                         int OffsetX, int OffsetY, int ImageWidth, int ImageHeight) {
  if (SampleBytes(BitDepth) != 0 && ImageWidth > 0 && ImageHeight > 0 &&
      !RegionInside(Source, OffsetX, OffsetY, ImageWidth, ImageHeight))
    return false;
  return WriteHost<1>(OutData, BitDepth, RowBytes, ImageWidth, ImageHeight,
                      [&](auto depth, std::uint8_t* out, std::ptrdiff_t stride) {
                        constexpr int kDepth = decltype(depth)::value;
                        WriteBlock<kDepth, 1>(out, stride, ImageWidth, ImageHeight,
                                              [&](int i, int j, std::uint8_t* p) {
                                                WriteSample<kDepth>(p, Source.GetValue(OffsetX + i, OffsetY + j),
                                                                    Scale);
                                              });
                      });
}

bool RGBContainerToHost(const TDataContainerRGB& Source, void* OutData, int BitDepth, int RowBytes, float Scale,
                        int OffsetX, int OffsetY, int ImageWidth, int ImageHeight) {
  if (SampleBytes(BitDepth) != 0 && ImageWidth > 0 && ImageHeight > 0 &&
      !RegionInside(Source, OffsetX, OffsetY, ImageWidth, ImageHeight))
    return false;
  return WriteRGBHost(OutData, BitDepth, RowBytes, Scale, OffsetX, OffsetY, ImageWidth, ImageHeight,
                      [&](int x, int y, float& r, float& g, float& b) {
                        TPixelRGB pixel;
                        Source.GetPixel(x, y, pixel);
                        r = pixel.R;
                        g = pixel.G;
                        b = pixel.B;
                      });
}
