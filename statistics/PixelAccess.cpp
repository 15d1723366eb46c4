#include "statistics/PixelAccess.h"

namespace {

float ReadAnyDepth(const void* data, int32_t rowBytes, uint8_t bitDepth, int32_t y, std::ptrdiff_t index) {
  if (data == nullptr) return 0.0f;
  const std::uint8_t* row = BlockRow(data, rowBytes, y);
  switch (bitDepth) {
    case 8:
      return ReadSample<8>(row, index);
    case 16:
      return ReadSample<16>(row, index);
    case 32:
      return ReadSample<32>(row, index);
    default:
      return 0.0f;
  }
}

}  // namespace

void GetPixelRGB(const void* Data, int32_t RowBytes, uint8_t BitDepth, int32_t X, int32_t Y, float& R, float& G,
                 float& B) {
  const std::ptrdiff_t first = 3 * static_cast<std::ptrdiff_t>(X);
  R = ReadAnyDepth(Data, RowBytes, BitDepth, Y, first);
  G = ReadAnyDepth(Data, RowBytes, BitDepth, Y, first + 1);
  B = ReadAnyDepth(Data, RowBytes, BitDepth, Y, first + 2);
}

float GetPixelGray(const void* Data, int32_t RowBytes, uint8_t BitDepth, int32_t X, int32_t Y) {
  return ReadAnyDepth(Data, RowBytes, BitDepth, Y, X);
}
