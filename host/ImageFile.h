// In-memory images in the host pixel block layout, and their PGM/PPM, PFM, FITS and PNG files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// An image laid out as a host pixel block without row padding: Channels samples per pixel
// (1 gray, 3 R G B interleaved), Depth 8 (uint8), 16 (uint16) or 32 (float) bits per
// sample, multi-byte samples little-endian, row 0 at the top.
struct THostImageFile {
  int Width = 0;
  int Height = 0;
  int Channels = 1;
  int Depth = 8;
  std::vector<uint8_t> Data;

  int SampleBytes() const { return Depth / 8; }
  size_t RowBytes() const { return static_cast<size_t>(Width) * Channels * SampleBytes(); }
  // Sets the shape and zero-fills Data; false (and the image left empty) for an unsupported
  // shape or one too large to address.
  bool Allocate(int width, int height, int channels, int depth);
  // Sample c of pixel (x, y) as a double (integers unscaled); coordinates must be in range.
  double Sample(int x, int y, int c) const;
  // Stores value at (x, y, c): integer depths are rounded (ties to even) and clamped to their
  // range, NaN stored as 0; floats are stored as single precision without clamping.
  void SetSample(int x, int y, int c, double value);
};

enum class TImageFormat { Unknown, Pnm, Pfm, Fits, Png };

// By extension, case-insensitive: .pgm .ppm -> Pnm, .pfm, .fits .fit -> Fits, .png.
TImageFormat FormatFromPath(const std::string& path);

// Decoding and encoding in memory. On failure they return false and, when error is given,
// a one-line reason; the image is then left empty. PNG is write-only.
bool DecodeImage(const std::vector<uint8_t>& bytes, TImageFormat format, THostImageFile& image,
                 std::string* error = nullptr);
bool EncodeImage(const THostImageFile& image, TImageFormat format, std::vector<uint8_t>& bytes,
                 std::string* error = nullptr);

// The same through files, the format chosen by the path's extension. These, and Allocate, let
// std::bad_alloc through when memory runs out: the caller says what was being done.
bool ReadImageFile(const std::string& path, THostImageFile& image, std::string* error = nullptr);
bool WriteImageFile(const std::string& path, const THostImageFile& image,
                    std::string* error = nullptr);

// 8-bit copy of the samples for display: 8-bit unchanged, 16-bit scaled by 255/65535, float
// clamped to 0..1 and scaled by 255 (NaN as 0); rounding ties to even. Tightly packed rows.
std::vector<uint8_t> ToDisplay8(const THostImageFile& image);

// 8-bit image for viewing a faint frame: samples at or below the lowPercent percentile of
// all samples become 0, those at or above the highPercent percentile 255, linear between.
// Percentiles are in 0..100 and taken over the finite samples. NaN samples become 0.
THostImageFile StretchForView(const THostImageFile& image, double lowPercent = 0.5,
                              double highPercent = 99.5);
