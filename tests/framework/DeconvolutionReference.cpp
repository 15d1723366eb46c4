#include "DeconvolutionReference.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "framework/DataContainer.h"
#include "framework/DataContainerRGB.h"
#include "framework/Utilities.h"

namespace {

constexpr int kTile = 256;

void StoreSample(TTestBlock& block, int x, int y, int c, double value) {
  uint8_t* row = block.Bytes.data() + static_cast<size_t>(y) * block.RowBytes;
  const int index = x * (block.IsGray ? 1 : 3) + c;
  if (block.BitDepth == 8) {
    row[index] = static_cast<uint8_t>(std::lround(std::clamp(value, 0.0, 1.0) * 255));
  } else if (block.BitDepth == 16) {
    const uint16_t sample = static_cast<uint16_t>(std::lround(std::clamp(value, 0.0, 1.0) * 65535));
    std::memcpy(row + 2 * index, &sample, 2);
  } else {
    const float sample = static_cast<float>(value);
    std::memcpy(row + 4 * index, &sample, 4);
  }
}

// The normalised planes the dialog's LoadImage makes.
struct TLoaded {
  std::unique_ptr<TDataContainer> Gray;
  std::unique_ptr<TDataContainerRGB> RGB;
  float Scale = 1.0f;
};

TLoaded Load(const TTestBlock& input) {
  TLoaded loaded;
  if (input.IsGray) {
    loaded.Gray = HostToGrayContainer(input.Bytes.data(), input.BitDepth, input.Width,
                                      input.Height, input.RowBytes);
    loaded.Scale = NormalizeGray(*loaded.Gray);
  } else {
    loaded.RGB = HostToRGBContainer(input.Bytes.data(), input.BitDepth, input.Width,
                                    input.Height, input.RowBytes);
    loaded.Scale = NormalizeRGB(*loaded.RGB);
  }
  return loaded;
}

// Luminance and chrominance planes of the run, and where the image lies in them.
struct TRunPlanes {
  std::unique_ptr<TDataContainer> Y, U, V;
  int OffsetX = 0, OffsetY = 0;
};

void SplitInto(TRunPlanes& planes, const TDataContainer& r, const TDataContainer& g,
               const TDataContainer& b) {
  const int w = r.Width, h = r.Height;
  planes.Y = std::make_unique<TDataContainer>(w, h);
  planes.U = std::make_unique<TDataContainer>(w, h);
  planes.V = std::make_unique<TDataContainer>(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      float Y, U, V;
      RGBToYUV(r.GetValue(x, y), g.GetValue(x, y), b.GetValue(x, y), Y, U, V);
      planes.Y->SetValue(x, y, Y);
      planes.U->SetValue(x, y, U);
      planes.V->SetValue(x, y, V);
    }
}

void Deconvolve(TRunPlanes& planes, const TRunParameters& run) {
  auto psf = MakePSF(run.Kind, planes.Y->Width, planes.Y->Height, run.Sigma, run.Kurtosis);
  run.Iteration(*planes.Y, *psf);
}

// The 256 x 256 planes of a preview: the tile, or the window at (left, top).
TRunPlanes PreviewPlanes(const TTestBlock& input, int left, int top) {
  const TLoaded loaded = Load(input);
  TRunPlanes planes;
  int tileWidth, tileHeight;
  const bool tiled = input.Width < kTile || input.Height < kTile;
  if (input.IsGray) {
    if (tiled) {
      planes.Y = GrayToTile(*loaded.Gray, planes.OffsetX, planes.OffsetY, tileWidth, tileHeight);
    } else {
      planes.Y = std::make_unique<TDataContainer>(kTile, kTile);
      for (int y = 0; y < kTile; ++y)
        for (int x = 0; x < kTile; ++x)
          planes.Y->SetValue(x, y, loaded.Gray->GetValue(left + x, top + y));
    }
    return planes;
  }
  std::unique_ptr<TDataContainer> channels[3];
  for (int c = 0; c < 3; ++c) {
    if (tiled) {
      channels[c] = RGBChannelToTile(*loaded.RGB, c + 1, planes.OffsetX, planes.OffsetY,
                                     tileWidth, tileHeight);
    } else {
      channels[c] = std::make_unique<TDataContainer>(kTile, kTile);
      for (int y = 0; y < kTile; ++y)
        for (int x = 0; x < kTile; ++x) {
          TPixelRGB pixel;
          loaded.RGB->GetPixel(left + x, top + y, pixel);
          channels[c]->SetValue(x, y, c == 0 ? pixel.R : c == 1 ? pixel.G : pixel.B);
        }
    }
  }
  SplitInto(planes, *channels[0], *channels[1], *channels[2]);
  return planes;
}

std::unique_ptr<TBitmap24> Render(const TTestBlock& input, const TRunPlanes& planes) {
  const int w = std::min(input.Width, kTile), h = std::min(input.Height, kTile);
  return input.IsGray ? GrayToPreviewBitmap(*planes.Y, planes.OffsetX, planes.OffsetY, w, h,
                                            input.BitDepth)
                      : YUVToPreviewBitmap(*planes.Y, *planes.U, *planes.V, planes.OffsetX,
                                           planes.OffsetY, w, h, input.BitDepth);
}

}  // namespace

TTestBlock StarFieldBlock(int width, int height, bool isGray, int bitDepth, int padBytes) {
  TTestBlock block;
  block.Width = width;
  block.Height = height;
  block.IsGray = isGray;
  block.BitDepth = bitDepth;
  const int channels = isGray ? 1 : 3;
  block.RowBytes = width * channels * (bitDepth / 8) + padBytes;
  block.Bytes.assign(static_cast<size_t>(block.RowBytes) * height, 0xA5);
  uint32_t seed = 20261209u;
  auto next = [&seed] {
    seed = seed * 1664525u + 1013904223u;
    return seed >> 8;
  };
  struct TStar { double X, Y, Peak; };
  std::vector<TStar> stars;
  for (int i = 0; i < std::max(4, width * height / 900); ++i)
    stars.push_back(
        {double(next() % width), double(next() % height), 0.3 + (next() % 700) / 1000.0});
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      double value = 0.08 + 0.04 * x / width + 0.02 * y / height;
      for (const TStar& star : stars) {
        const double dx = x - star.X, dy = y - star.Y;
        const double r2 = dx * dx + dy * dy;
        if (r2 < 64) value += star.Peak * std::exp(-r2 / (2 * 1.4 * 1.4));
      }
      for (int c = 0; c < channels; ++c)
        StoreSample(block, x, y, c, std::min(value * (1.0 - 0.15 * c), 1.0));
    }
  return block;
}

std::vector<uint8_t> ReferenceFullRun(const TTestBlock& input, const TRunParameters& run) {
  const TLoaded loaded = Load(input);
  TRunPlanes planes;
  int paddedWidth, paddedHeight;
  if (input.IsGray) {
    planes.Y =
        GrayToPadded(*loaded.Gray, planes.OffsetX, planes.OffsetY, paddedWidth, paddedHeight);
  } else {
    std::unique_ptr<TDataContainer> channels[3];
    for (int c = 0; c < 3; ++c)
      channels[c] = RGBChannelToPadded(*loaded.RGB, c + 1, planes.OffsetX, planes.OffsetY,
                                       paddedWidth, paddedHeight);
    SplitInto(planes, *channels[0], *channels[1], *channels[2]);
  }
  Deconvolve(planes, run);
  std::vector<uint8_t> output = input.Bytes;
  if (input.IsGray)
    GrayContainerToHost(*planes.Y, output.data(), input.BitDepth, input.RowBytes, loaded.Scale,
                        planes.OffsetX, planes.OffsetY, input.Width, input.Height);
  else
    YUVToHost(*planes.Y, *planes.U, *planes.V, output.data(), input.BitDepth, input.RowBytes,
              loaded.Scale, planes.OffsetX, planes.OffsetY, input.Width, input.Height);
  return output;
}

std::unique_ptr<TBitmap24> ReferencePreview(const TTestBlock& input, int left, int top,
                                            const TRunParameters& run) {
  TRunPlanes planes = PreviewPlanes(input, left, top);
  Deconvolve(planes, run);
  return Render(input, planes);
}

std::unique_ptr<TBitmap24> ReferenceOriginal(const TTestBlock& input, int left, int top) {
  const TLoaded loaded = Load(input);
  auto whole = input.IsGray ? GrayContainerToBitmap(*loaded.Gray, input.BitDepth)
                            : RGBContainerToBitmap(*loaded.RGB, input.BitDepth);
  const int w = std::min(input.Width, kTile), h = std::min(input.Height, kTile);
  auto window = TBitmap24::Create(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint8_t r, g, b;
      whole->GetPixel(left + x, top + y, r, g, b);
      window->SetPixel(x, y, r, g, b);
    }
  return window;
}

bool SameTopLeft(const TBitmap24& picture, const TBitmap24& bitmap) {
  if (picture.Width() < bitmap.Width() || picture.Height() < bitmap.Height()) return false;
  for (int y = 0; y < bitmap.Height(); ++y)
    if (std::memcmp(picture.Row(y), bitmap.Row(y), 3 * static_cast<size_t>(bitmap.Width())) != 0)
      return false;
  return true;
}
