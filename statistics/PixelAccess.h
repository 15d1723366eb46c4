// Readers of single samples of the host's interleaved input block, read in place.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

// Pixel (X, Y) of a block whose rows start RowBytes apart: sample k (0 red, 1 green, 2 blue)
// lies at byte Y * RowBytes + (3 * X + k) * BitDepth / 8. 8-bit samples are unsigned bytes,
// 16-bit samples unsigned little-endian words, 32-bit samples little-endian IEEE singles taken
// bit for bit; none needs to be aligned. The caller keeps X and Y inside the image. Nothing is
// read for a null block or a BitDepth other than 8, 16 or 32: the samples are then 0.
void GetPixelRGB(const void* Data, int32_t RowBytes, uint8_t BitDepth, int32_t X, int32_t Y, float& R, float& G,
                 float& B);

// The one sample of pixel (X, Y) of a gray block, at byte Y * RowBytes + X * BitDepth / 8.
float GetPixelGray(const void* Data, int32_t RowBytes, uint8_t BitDepth, int32_t X, int32_t Y);

// The start of row Y. The offset is formed in pointer width, so blocks beyond 2 GB are
// addressed correctly.
inline const std::uint8_t* BlockRow(const void* Data, int32_t RowBytes, int32_t Y) {
  return static_cast<const std::uint8_t*>(Data) + static_cast<std::ptrdiff_t>(Y) * RowBytes;
}

// Sample Index of a row, counted in samples from the row's start, at a depth of 8, 16 or 32
// bits. The readers above read through it; a sweep over a whole image calls it directly, with
// the depth chosen once for the image rather than once per sample.
template <int BitDepth>
inline float ReadSample(const std::uint8_t* Row, std::ptrdiff_t Index) {
  static_assert(BitDepth == 8 || BitDepth == 16 || BitDepth == 32, "8, 16 or 32 bits");
  const std::uint8_t* p = Row + Index * (BitDepth / 8);
  if constexpr (BitDepth == 8) {
    return static_cast<float>(p[0]);
  } else if constexpr (BitDepth == 16) {
    return static_cast<float>(static_cast<std::uint16_t>(p[0] | (p[1] << 8)));
  } else {
    const std::uint32_t bits = static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
                               (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
  }
}
