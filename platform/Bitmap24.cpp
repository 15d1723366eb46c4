#include "Bitmap24.h"

#include <cstdint>
#include <limits>
#include <new>

std::unique_ptr<TBitmap24> TBitmap24::Create(int width, int height) {
  if (width <= 0 || height <= 0) return nullptr;
  const std::int64_t rowBytes = (3 * static_cast<std::int64_t>(width) + 3) / 4 * 4;
  if (rowBytes > std::numeric_limits<int>::max()) return nullptr;
  const std::uint64_t total = static_cast<std::uint64_t>(rowBytes) * static_cast<std::uint64_t>(height);
  if (total > static_cast<std::uint64_t>(std::numeric_limits<std::ptrdiff_t>::max())) return nullptr;
  std::unique_ptr<std::uint8_t[]> bits(new (std::nothrow) std::uint8_t[static_cast<std::size_t>(total)]());
  if (!bits) return nullptr;
  return std::unique_ptr<TBitmap24>(
      new (std::nothrow) TBitmap24(width, height, static_cast<int>(rowBytes), std::move(bits)));
}

TBitmap24::TBitmap24(int width, int height, int rowBytes, std::unique_ptr<std::uint8_t[]> bits)
    : FWidth(width), FHeight(height), FRowBytes(rowBytes), FBits(std::move(bits)) {}

void TBitmap24::SetPixel(int x, int y, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  if (!Contains(x, y)) return;
  std::uint8_t* p = Row(y) + 3 * static_cast<std::size_t>(x);
  p[0] = b;
  p[1] = g;
  p[2] = r;
}

void TBitmap24::GetPixel(int x, int y, std::uint8_t& r, std::uint8_t& g, std::uint8_t& b) const {
  if (!Contains(x, y)) {
    r = g = b = 0;
    return;
  }
  const std::uint8_t* p = Row(y) + 3 * static_cast<std::size_t>(x);
  b = p[0];
  g = p[1];
  r = p[2];
}

void TBitmap24::Fill(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  for (int y = 0; y < FHeight; ++y) {
    std::uint8_t* p = Row(y);
    for (int x = 0; x < FWidth; ++x, p += 3) {
      p[0] = b;
      p[1] = g;
      p[2] = r;
    }
  }
}
