// Seeded random driver over the portable readers and writers of host pixel blocks: block to
// planes, planes to block (gray, RGB and the luminance write-back), the statistics readers,
// the display and preview bitmaps, tiles and padded planes, and the fit-to-box copy. Depths,
// sizes, strides (short, unaligned, huge, negative), offsets, scales and float samples (NaN,
// infinities, denormals, huge values) are random; every block sits between an inaccessible
// page and guard bytes. Checks: nothing outside a block is read or written, row padding is
// never written (nor read, under AddressSanitizer), a refusal writes nothing, and what is
// written lies in the depth's range and round-trips.
//
// usage: HostBlockFuzz [--seed S] [--inputs N] [--first K] [--keep-going]
// Input K of seed S is the same in every run, so a failure is replayed with
// --seed S --first K --inputs 1.
#include "GuardedBlock.h"
#include "SeededChoice.h"

#include "ddp/ScaleToFit.h"
#include "framework/Utilities.h"
#include "statistics/ImageStatistics.h"

#include <climits>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// ---- Failure reporting ------------------------------------------------------------------

std::uint64_t gSeed = 1;
long gInput = 0;
long gFailures = 0;
bool gKeepGoing = false;

void Fail(const std::string& what) {
  ++gFailures;
  std::printf("input %ld: %s\n  replay: HostBlockFuzz --seed %llu --first %ld --inputs 1\n", gInput, what.c_str(),
              static_cast<unsigned long long>(gSeed), gInput);
  std::fflush(stdout);
  if (!gKeepGoing) std::exit(1);
}

void Expect(bool condition, const std::string& what) {
  if (!condition) Fail(what);
}

// A hang is a failure too; only async-signal-safe calls here.
void OnAlarm(int) {
  char text[64] = "input ";
  int length = 6;
  char digits[24];
  int n = 0;
  for (long v = gInput; n == 0 || v > 0; v /= 10) digits[n++] = static_cast<char>('0' + v % 10);
  while (n > 0) text[length++] = digits[--n];
  static const char kRest[] = ": did not finish within its time\n";
  std::memcpy(text + length, kRest, sizeof kRest - 1);
  (void)!write(1, text, static_cast<std::size_t>(length) + sizeof kRest - 1);
  _exit(1);
}

// ---- The block format -------------------------------------------------------------------

int SampleBytes(int depth) { return depth == 8 ? 1 : depth == 16 ? 2 : depth == 32 ? 4 : 0; }

// A block's geometry as the host states it, and where its samples lie. The conversions
// place row y at y times (row + padding rounded down to whole samples); the statistics
// readers at y times RowBytes. Both agree whenever RowBytes is a multiple of the sample size.
struct TGeometry {
  int Depth = 8;
  int Channels = 1;
  int Width = 0;
  int Height = 0;
  int RowBytes = 0;

  int Bytes() const { return SampleBytes(Depth); }
  std::int64_t RowLength() const { return static_cast<std::int64_t>(Width) * Channels * Bytes(); }
  bool HasPixels() const { return Width > 0 && Height > 0; }
  bool StrideHoldsRow() const { return RowBytes >= RowLength(); }
  std::int64_t ConversionStride() const {
    const std::int64_t skip = (RowBytes - RowLength()) / Bytes();
    return RowLength() + skip * Bytes();
  }
  std::int64_t Offset(bool conversion, int x, int y, int c) const {
    const std::int64_t stride = conversion ? ConversionStride() : RowBytes;
    return y * stride + (static_cast<std::int64_t>(x) * Channels + c) * Bytes();
  }
};

float ReadModelSample(const std::uint8_t* p, int depth) {
  switch (depth) {
    case 8: return p[0];
    case 16: return static_cast<float>(p[0] | p[1] << 8);
    default: {
      std::uint32_t bits = std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
                           std::uint32_t(p[3]) << 24;
      return TSeededChoice::BitsToFloat(bits);
    }
  }
}

bool SameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Under the sanitizer only the samples of the block stay readable: row padding and the
// bytes beside the block are marked, so a reader that touches them is reported.
void MarkSamples(const TGuardedBlock& block, const TGeometry& g, bool conversion, bool readable) {
  TGuardedBlock::Poison(block.Data(), block.Size());
  if (!readable || !g.HasPixels() || g.Bytes() == 0 || !g.StrideHoldsRow()) return;
  for (int y = 0; y < g.Height; ++y)
    TGuardedBlock::Unpoison(block.Data() + g.Offset(conversion, 0, y, 0), static_cast<std::size_t>(g.RowLength()));
}

// ---- Inputs -----------------------------------------------------------------------------

TGeometry RandomGeometry(TSeededChoice& r) {
  TGeometry g;
  static const int kDepths[] = {8, 8, 16, 16, 32, 32, 32, 0, 1, 24, 64, -8};
  g.Depth = kDepths[r.Int(0, 11)];
  g.Channels = r.Chance(0.5) ? 1 : 3;
  switch (r.Int(0, 9)) {
    case 0: g.Width = r.Int(-3, 0); g.Height = r.Int(-3, 5); break;
    case 1: g.Width = r.Int(1, 3000); g.Height = 1; break;
    case 2: g.Width = 1; g.Height = r.Int(1, 600); break;
    default: g.Width = r.Int(1, 40); g.Height = r.Int(1, 40); break;
  }
  const int bytes = g.Bytes() ? g.Bytes() : 1;
  const int row = g.Width > 0 ? g.Width * g.Channels * bytes : 0;
  switch (r.Int(0, 11)) {
    case 0: g.RowBytes = row + r.Int(1, 2 * bytes + 3); break;  // often not whole samples
    case 1: g.RowBytes = row + bytes * r.Int(1, 5); break;
    case 2: g.RowBytes = row > 0 ? row - r.Int(1, row) : -1; break;  // shorter than a row
    case 3: g.RowBytes = -r.Int(1, 100000); break;
    case 4: g.RowBytes = 0; break;
    case 5:  // far apart rows: a block that holds only one row
      g.RowBytes = r.Chance(0.5) ? INT_MAX : row + (1 << 24);
      if (g.Height > 1) g.Height = 1;
      break;
    default: g.RowBytes = row; break;
  }
  return g;
}

// The bytes a host hands for the geometry: up to the last sample of the last row, rows
// RowBytes apart even when that is shorter than a row, so that a reader that accepts such a
// stride runs into the guard.
std::size_t BlockSize(const TGeometry& g) {
  if (!g.HasPixels()) return 16;
  const std::int64_t row = g.Width * static_cast<std::int64_t>(g.Channels) * (g.Bytes() ? g.Bytes() : 1);
  if (g.RowBytes < 0) return static_cast<std::size_t>(row);
  return static_cast<std::size_t>(static_cast<std::int64_t>(g.Height - 1) * g.RowBytes + row);
}

void FillBlock(TSeededChoice& r, TGuardedBlock& block, const TGeometry& g) {
  std::uint8_t* p = block.Data();
  if (g.Depth == 32) {
    for (std::size_t i = 0; i + 4 <= block.Size(); i += 4) {
      const float v = r.Float();
      std::memcpy(p + i, &v, 4);
    }
  } else {
    for (std::size_t i = 0; i < block.Size(); ++i) p[i] = r.Byte();
  }
}

// A plane of random samples, sometimes one whose storage the allocator refused.
std::unique_ptr<TDataContainer> RandomPlane(TSeededChoice& r, int width, int height) {
  if (r.Chance(0.05)) return std::make_unique<TDataContainer>(1 << 22, 1 << 22);
  auto plane = std::make_unique<TDataContainer>(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) plane->SetValue(x, y, r.Float());
  return plane;
}

std::unique_ptr<TDataContainerRGB> RandomRGBPlane(TSeededChoice& r, int width, int height) {
  auto plane = std::make_unique<TDataContainerRGB>(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) plane->SetPixel(x, y, {r.Float(), r.Float(), r.Float()});
  return plane;
}

// ---- Reading ----------------------------------------------------------------------------

bool ReaderMustRefuse(const TGeometry& g, bool nullBlock) {
  return nullBlock || !g.HasPixels() || (g.Bytes() != 0 && !g.StrideHoldsRow());
}

void CheckReadSamples(const TGeometry& g, const std::uint8_t* block, int c, float value, int x, int y) {
  if (g.Bytes() == 0) {
    Expect(value == 0.0f, "a block of unknown depth gave a sample that is not 0");
    return;
  }
  const float expected = ReadModelSample(block + g.Offset(true, x, y, c), g.Depth);
  if (!SameBits(value, expected))
    Fail("sample (" + std::to_string(x) + ", " + std::to_string(y) + ") channel " + std::to_string(c) +
         " read as " + std::to_string(value) + ", the block holds " + std::to_string(expected));
}

template <class TPlane>
void CheckReadPlane(const TGeometry& g, bool nullBlock, const TPlane* plane,
                    const char* reader) {
  const bool refuse = ReaderMustRefuse(g, nullBlock);
  Expect((plane == nullptr) == refuse, std::string(reader) + (refuse ? " accepted" : " refused") +
                                           " a block of depth " + std::to_string(g.Depth) + ", " +
                                           std::to_string(g.Width) + " x " + std::to_string(g.Height) +
                                           ", RowBytes " + std::to_string(g.RowBytes));
  if (plane == nullptr) return;
  Expect(plane->Width == g.Width && plane->Height == g.Height, std::string(reader) + " gave a plane of another size");
}

// ---- Writing ----------------------------------------------------------------------------

template <class TPlane>
bool RegionInside(const TPlane& plane, int x, int y, int w, int h) {
  return x >= 0 && y >= 0 && std::int64_t(x) + w <= plane.Width && std::int64_t(y) + h <= plane.Height;
}

// What a writer must return for the arguments, and whether it then writes the region.
bool WriterMustSucceed(const TGeometry& g, bool nullBlock, bool regionInside) {
  if (g.Bytes() == 0 || !g.HasPixels()) return true;
  return regionInside && !nullBlock && g.StrideHoldsRow();
}

// Compares the written block with what it held: outside the samples nothing may change, and
// every written sample lies in the depth's range. expected(x, y, c) gives the sample the
// write must have produced, or NaN when the case has no exact expectation.
template <class TExpected>
void CheckWritten(const TGeometry& g, const std::vector<std::uint8_t>& before, const TGuardedBlock& out,
                  bool wrote, const char* writer, TExpected expected) {
  Expect(out.GuardsIntact(), std::string(writer) + " wrote beside the block");
  TGuardedBlock::Unpoison(out.Data(), out.Size());
  std::vector<bool> isSample(out.Size(), false);
  if (wrote)
    for (int y = 0; y < g.Height; ++y)
      for (int x = 0; x < g.Width; ++x)
        for (int c = 0; c < g.Channels; ++c) {
          const std::int64_t at = g.Offset(true, x, y, c);
          for (int b = 0; b < g.Bytes(); ++b) isSample[static_cast<std::size_t>(at + b)] = true;
          const float v = ReadModelSample(out.Data() + at, g.Depth);
          if (g.Depth == 32) Expect(v >= 0.0f && v <= 1.0f, std::string(writer) + " stored a float outside 0..1");
          const float e = expected(x, y, c);
          if (!std::isnan(e) && !SameBits(v, e))
            Fail(std::string(writer) + " stored " + std::to_string(v) + " at (" + std::to_string(x) + ", " +
                 std::to_string(y) + ") channel " + std::to_string(c) + ", expected " + std::to_string(e));
        }
  for (std::size_t i = 0; i < out.Size(); ++i)
    if (!isSample[i] && out.Data()[i] != before[i]) {
      Fail(std::string(writer) + (wrote ? " wrote into row padding" : " wrote although it refused") + " at byte " +
           std::to_string(i));
      break;
    }
}

// The sample a write of an unprocessed value v with scale 1 must store: 8 and 16 bits round
// trip exactly; floats are limited to 0..1, NaN and negatives to 0.
float RoundTrip(float v, int depth) {
  if (depth != 32) return v;
  if (!(v >= 0.0f)) return 0.0f;
  return v > 1.0f ? 1.0f : v;
}

constexpr float kNoExpectation = std::numeric_limits<float>::quiet_NaN();

// Integer samples divided by their maximum and multiplied back come back exactly.
std::function<float(int, int, int)> NormalisedRoundTrip(const TGeometry& g, const std::vector<std::uint8_t>& in) {
  if (g.Depth != 8 && g.Depth != 16) return [](int, int, int) { return kNoExpectation; };
  return [&g, &in](int x, int y, int c) { return ReadModelSample(in.data() + g.Offset(true, x, y, c), g.Depth); };
}

// ---- One input --------------------------------------------------------------------------

struct TWriteCase {
  int OffsetX = 0, OffsetY = 0;
  float Scale = 1.0f;
  bool NullBlock = false;
  bool AtEnd = true;
};

TWriteCase RandomWriteCase(TSeededChoice& r, int planeWidth, int planeHeight, const TGeometry& g) {
  TWriteCase w;
  if (!r.Chance(0.4)) {
    w.OffsetX = r.Int(-2, std::max(0, planeWidth - g.Width) + 2);
    w.OffsetY = r.Int(-2, std::max(0, planeHeight - g.Height) + 2);
  }
  if (!r.Chance(0.5)) w.Scale = r.Chance(0.5) ? r.Float() : 1.0f / std::max(1, r.Int(1, 65535));
  w.NullBlock = r.Chance(0.05);
  w.AtEnd = r.Chance(0.5);
  return w;
}

void RunOne(TSeededChoice& r) {
  const TGeometry g = RandomGeometry(r);
  const bool gray = g.Channels == 1;
  const std::size_t size = BlockSize(g);
  TGuardedBlock in(size, r.Chance(0.5), 0);
  FillBlock(r, in, g);
  const std::vector<std::uint8_t> inBytes(in.Data(), in.Data() + in.Size());
  const bool nullIn = r.Chance(0.05);
  const void* inData = nullIn ? nullptr : in.Data();

  // Block to planes. The plane read here is also the one written back unprocessed.
  MarkSamples(in, g, true, !ReaderMustRefuse(g, nullIn));
  std::unique_ptr<TDataContainer> grayPlane;
  std::unique_ptr<TDataContainerRGB> rgbPlane;
  if (gray) {
    grayPlane = HostToGrayContainer(inData, g.Depth, g.Width, g.Height, g.RowBytes);
    CheckReadPlane(g, nullIn, grayPlane.get(), "HostToGrayContainer");
  } else {
    rgbPlane = HostToRGBContainer(inData, g.Depth, g.Width, g.Height, g.RowBytes);
    CheckReadPlane(g, nullIn, rgbPlane.get(), "HostToRGBContainer");
  }
  TGuardedBlock::Unpoison(in.Data(), in.Size());
  if (grayPlane)
    for (int y = 0; y < g.Height; ++y)
      for (int x = 0; x < g.Width; ++x) CheckReadSamples(g, in.Data(), 0, grayPlane->GetValue(x, y), x, y);
  if (rgbPlane)
    for (int y = 0; y < g.Height; ++y)
      for (int x = 0; x < g.Width; ++x) {
        TPixelRGB p;
        rgbPlane->GetPixel(x, y, p);
        CheckReadSamples(g, in.Data(), 0, p.R, x, y);
        CheckReadSamples(g, in.Data(), 1, p.G, x, y);
        CheckReadSamples(g, in.Data(), 2, p.B, x, y);
      }

  // The statistics readers take the same block in place.
  MarkSamples(in, g, false, !nullIn && g.HasPixels() && g.Bytes() != 0 && g.StrideHoldsRow());
  TStatisticsImage image;
  image.Data = inData;
  image.RowBytes = g.RowBytes;
  image.BitDepth = static_cast<std::uint8_t>(g.Depth);
  image.Width = g.Width;
  image.Height = g.Height;
  image.IsGray = gray;
  const bool measurable = !nullIn && g.HasPixels() && (g.Depth == 8 || g.Depth == 16 || g.Depth == 32) &&
                          g.StrideHoldsRow();
  const TStatisticsTable table = ComputeStatistics(image, r.Chance(0.5) ? '.' : ',');
  Expect(table.Succeeded == measurable, "ComputeStatistics succeeded where it must not, or failed where it must not");
  Expect(table.Rows.size() <= static_cast<std::size_t>(g.Channels), "ComputeStatistics gave too many rows");
  const THistogram histogram = BuildHistogram(image);
  Expect(histogram.Series.size() == (measurable ? (gray ? 1u : 4u) : 0u), "BuildHistogram gave the wrong series");
  for (const THistogramSeries& series : histogram.Series) {
    Expect(series.Points.size() == 256, "a histogram series without 256 points");
    double total = 0.0;
    for (const TChartPoint& point : series.Points) {
      Expect(point.Y >= 0.0 && !std::isnan(point.X), "a histogram point that is negative or not a number");
      total += point.Y;
    }
    // The intensity series holds means of three counts rounded to single precision.
    if (total > static_cast<double>(g.Width) * g.Height * (1.0 + 1e-6))
      Fail("a histogram counts " + std::to_string(total) + " samples of an image of " + std::to_string(g.Width) +
           " x " + std::to_string(g.Height));
  }
  TGuardedBlock::Unpoison(in.Data(), in.Size());
  Expect(std::memcmp(in.Data(), inBytes.data(), in.Size()) == 0 && in.GuardsIntact(),
         "a reader wrote into the input block");

  // Planes to block: unprocessed, normalised and undone, and random planes at random offsets.
  const bool haveRead = grayPlane || rgbPlane;
  const int planeWidth = haveRead ? g.Width : r.Int(0, 50);
  const int planeHeight = haveRead ? g.Height : r.Int(0, 50);
  for (int pass = 0; pass < 3; ++pass) {
    TWriteCase w = RandomWriteCase(r, planeWidth, planeHeight, g);
    const bool unprocessed = pass == 0 && haveRead;
    if (unprocessed) w = TWriteCase{0, 0, 1.0f, false, r.Chance(0.5)};
    TGuardedBlock out(size, w.AtEnd, 0);
    FillBlock(r, out, g);
    const std::vector<std::uint8_t> before(out.Data(), out.Data() + out.Size());
    MarkSamples(out, g, true, true);
    void* outData = w.NullBlock ? nullptr : out.Data();
    bool inside, wrote;
    const char* writer;
    std::function<float(int, int, int)> expected = [](int, int, int) { return kNoExpectation; };
    if (gray) {
      std::unique_ptr<TDataContainer> own;
      const TDataContainer* plane = grayPlane.get();
      if (!plane || pass == 2) plane = (own = RandomPlane(r, planeWidth, planeHeight)).get();
      if (pass == 1 && grayPlane) {
        w.Scale = NormalizeGray(*grayPlane);
        Expect(!std::isnan(w.Scale), "NormalizeGray gave a factor that is not a number");
        expected = NormalisedRoundTrip(g, inBytes);
      }
      inside = RegionInside(*plane, w.OffsetX, w.OffsetY, g.Width, g.Height);
      writer = "GrayContainerToHost";
      wrote = GrayContainerToHost(*plane, outData, g.Depth, g.RowBytes, w.Scale, w.OffsetX, w.OffsetY, g.Width,
                                  g.Height);
      if (unprocessed && g.Bytes() != 0)
        expected = [&](int x, int y, int) { return RoundTrip(plane->GetValue(x, y), g.Depth); };
      Expect(wrote == WriterMustSucceed(g, w.NullBlock, inside), std::string(writer) + " gave the wrong result");
      CheckWritten(g, before, out, wrote && !w.NullBlock && g.HasPixels() && g.Bytes() != 0, writer, expected);
      continue;
    }
    std::unique_ptr<TDataContainerRGB> own;
    const TDataContainerRGB* plane = rgbPlane.get();
    if (!plane || pass == 2) plane = (own = RandomRGBPlane(r, planeWidth, planeHeight)).get();
    if (pass == 1 && rgbPlane) {
      w.Scale = NormalizeRGB(*rgbPlane);
      Expect(!std::isnan(w.Scale), "NormalizeRGB gave a factor that is not a number");
      expected = NormalisedRoundTrip(g, inBytes);
    }
    if (pass == 2 && r.Chance(0.5)) {
      // The luminance write-back, from planes of possibly different sizes.
      auto y = RandomPlane(r, planeWidth, planeHeight);
      auto u = RandomPlane(r, r.Chance(0.8) ? planeWidth : r.Int(0, 50), planeHeight);
      auto v = RandomPlane(r, planeWidth, r.Chance(0.8) ? planeHeight : r.Int(0, 50));
      inside = RegionInside(*y, w.OffsetX, w.OffsetY, g.Width, g.Height) &&
               RegionInside(*u, w.OffsetX, w.OffsetY, g.Width, g.Height) &&
               RegionInside(*v, w.OffsetX, w.OffsetY, g.Width, g.Height);
      writer = "YUVToHost";
      wrote = YUVToHost(*y, *u, *v, outData, g.Depth, g.RowBytes, w.Scale, w.OffsetX, w.OffsetY, g.Width, g.Height);
    } else {
      inside = RegionInside(*plane, w.OffsetX, w.OffsetY, g.Width, g.Height);
      writer = "RGBContainerToHost";
      wrote = RGBContainerToHost(*plane, outData, g.Depth, g.RowBytes, w.Scale, w.OffsetX, w.OffsetY, g.Width,
                                 g.Height);
      if (unprocessed && g.Bytes() != 0)
        expected = [&](int x, int y, int c) {
          TPixelRGB p;
          plane->GetPixel(x, y, p);
          return RoundTrip(c == 0 ? p.R : c == 1 ? p.G : p.B, g.Depth);
        };
    }
    Expect(wrote == WriterMustSucceed(g, w.NullBlock, inside), std::string(writer) + " gave the wrong result");
    CheckWritten(g, before, out, wrote && !w.NullBlock && g.HasPixels() && g.Bytes() != 0, writer, expected);
  }

  // Display and preview bitmaps, tiles and padded planes, and the fit-to-box copy, from small
  // planes (whole-plane bitmaps and padded planes are as large as the plane). Boxes are the
  // dialog's size, small, or so large that the copy cannot be allocated; a box of some
  // thousands would make a legitimately huge copy.
  const int side = r.Int(0, 60);
  auto small = RandomPlane(r, side, r.Int(0, 60));
  auto smallRGB = RandomRGBPlane(r, r.Int(0, 60), r.Int(0, 60));
  const int displayDepth = r.Chance(0.8) ? (r.Chance(0.5) ? 32 : 8) : r.Int(-40, 40);
  const int x0 = r.Int(-400, 400), y0 = r.Int(-400, 400);
  const int w = r.Chance(0.1) ? r.Int(-5, 0) : r.Int(1, 300);
  const int h = r.Chance(0.1) ? r.Int(-5, 0) : r.Int(1, 300);
  auto preview = GrayToPreviewBitmap(*small, x0, y0, w, h, displayDepth);
  Expect((preview != nullptr) == (w > 0 && h > 0), "GrayToPreviewBitmap refused a bitmap it can make, or the reverse");
  if (preview) Expect(preview->Width() == w && preview->Height() == h, "a preview bitmap of the wrong size");
  auto u = RandomPlane(r, r.Int(0, 60), r.Int(0, 60));
  auto v = RandomPlane(r, r.Int(0, 60), r.Int(0, 60));
  auto yuvPreview = YUVToPreviewBitmap(*small, *u, *v, x0, y0, w, h, displayDepth);
  Expect((yuvPreview != nullptr) == (w > 0 && h > 0), "YUVToPreviewBitmap refused a bitmap it can make, or the reverse");
  if (small->Data) {
    auto bitmap = GrayContainerToBitmap(*small, displayDepth);
    Expect((bitmap != nullptr) == (small->Width > 0 && small->Height > 0), "GrayContainerToBitmap: wrong refusal");
  }
  auto rgbBitmap = RGBContainerToBitmap(*smallRGB, displayDepth);
  Expect((rgbBitmap != nullptr) == (smallRGB->Width > 0 && smallRGB->Height > 0), "RGBContainerToBitmap: wrong refusal");
  if (small->Data) {
    int ox, oy, tw, th;
    auto tile = GrayToTile(*small, ox, oy, tw, th);
    Expect(tile && tile->Width == 256 && tile->Height == 256, "GrayToTile gave no 256 x 256 tile");
    auto padded = GrayToPadded(*small, ox, oy, tw, th);
    Expect(padded && padded->Width == tw && padded->Height == th, "GrayToPadded gave a plane of another size");
    auto rgbTile = RGBChannelToTile(*smallRGB, r.Int(0, 4), ox, oy, tw, th);
    Expect(rgbTile != nullptr, "RGBChannelToTile gave no tile");
  }
  static const int kBoxes[] = {0, -1, 1, 2, 150, 401, 1000, INT_MAX / 2, INT_MAX};
  const int boxWidth = r.Chance(0.5) ? r.Int(-3, 400) : kBoxes[r.Int(0, 8)];
  const int boxHeight = r.Chance(0.5) ? r.Int(-3, 400) : kBoxes[r.Int(0, 8)];
  auto fitted = ScaleToFit(*small, boxWidth, boxHeight);
  Expect(fitted != nullptr, "ScaleToFit gave no plane object");
  auto fittedRGB = ScaleToFitRGB(*smallRGB, boxWidth, boxHeight);
  Expect(fittedRGB != nullptr, "ScaleToFitRGB gave no plane object");
}

}  // namespace

int main(int argc, char** argv) {
  long inputs = 10000, first = 0;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const char* value = i + 1 < argc ? argv[i + 1] : "";
    if (arg == "--seed") gSeed = std::strtoull(value, nullptr, 10), ++i;
    else if (arg == "--inputs") inputs = std::strtol(value, nullptr, 10), ++i;
    else if (arg == "--first") first = std::strtol(value, nullptr, 10), ++i;
    else if (arg == "--keep-going") gKeepGoing = true;
    else {
      std::fprintf(stderr, "usage: HostBlockFuzz [--seed S] [--inputs N] [--first K] [--keep-going]\n");
      return 2;
    }
  }
  std::printf("HostBlockFuzz: seed %llu, inputs %ld from %ld\n", static_cast<unsigned long long>(gSeed), inputs,
              first);
  std::fflush(stdout);
  std::signal(SIGALRM, OnAlarm);
  for (gInput = first; gInput < first + inputs; ++gInput) {
    TSeededChoice choice(gSeed, gInput);
    alarm(30);
    RunOne(choice);
  }
  alarm(0);
  std::printf("%ld inputs, %ld failures\n", inputs, gFailures);
  return gFailures == 0 ? 0 : 1;
}
