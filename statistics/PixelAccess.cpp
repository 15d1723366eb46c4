#include "statistics/PixelAccess.h"

#include <cstddef>
#include <cstring>

namespace {

// Sample `index` of row Y, counted in samples from the row's start. The offsets are formed in
// pointer width, so blocks beyond 2 GB are addressed correctly.
float ReadSample(const void* data, int32_t rowBytes, uint8_t bitDepth, int32_t y, std::ptrdiff_t index) {
  if (data == nullptr) return 0.0f;
  const std::uint8_t* row = static_cast<const std::uint8_t*>(data) + static_cast<std::ptrdiff_t>(y) * rowBytes;
  switch (bitDepth) {
    case 8:
      return static_cast<float>(row[index]);
    case 16: {
      const std::uint8_t* p = row + index * 2;
      return static_cast<float>(static_cast<std::uint16_t>(p[0] | (p[1] << 8)));
    }
    case 32: {
      const std::uint8_t* p = row + index * 4;
      const std::uint32_t bits = static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
                                 (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
      float value;
      std::memcpy(&value, &bits, sizeof value);
      return value;
    }
    default:
      return 0.0f;
  }
}

}  // namespace

void GetPixelRGB(const void* Data, int32_t RowBytes, uint8_t BitDepth, int32_t X, int32_t Y, float& R, float& G,
                 float& B) {
  const std::ptrdiff_t first = 3 * static_cast<std::ptrdiff_t>(X);
  R = ReadSample(Data, RowBytes, BitDepth, Y, first);
  G = ReadSample(Data, RowBytes, BitDepth, Y, first + 1);
  B = ReadSample(Data, RowBytes, BitDepth, Y, first + 2);
}

float GetPixelGray(const void* Data, int32_t RowBytes, uint8_t BitDepth, int32_t X, int32_t Y) {
  return ReadSample(Data, RowBytes, BitDepth, Y, X);
}
