// A 24-bit bitmap in memory: top-down rows of blue, green, red bytes, each row padded to 4 bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

class TBitmap24 {
public:
  // A new bitmap, all black; null when the side is not positive or the memory cannot be had.
  static std::unique_ptr<TBitmap24> Create(int width, int height);

  TBitmap24(const TBitmap24&) = delete;
  TBitmap24& operator=(const TBitmap24&) = delete;

  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  // 3 * Width rounded up to a multiple of 4, the row stride of a device-independent bitmap.
  int RowBytes() const { return FRowBytes; }

  // Row y counted from the top; bytes 3x, 3x + 1, 3x + 2 are blue, green, red of pixel x.
  std::uint8_t* Row(int y) { return FBits.get() + static_cast<std::size_t>(y) * FRowBytes; }
  const std::uint8_t* Row(int y) const { return FBits.get() + static_cast<std::size_t>(y) * FRowBytes; }

  // The whole buffer, Height * RowBytes bytes, top row first (blit it with a negative height).
  std::uint8_t* Bits() { return FBits.get(); }
  const std::uint8_t* Bits() const { return FBits.get(); }

  // Pixels outside the bitmap are ignored on writing and read as black.
  void SetPixel(int x, int y, std::uint8_t r, std::uint8_t g, std::uint8_t b);
  void GetPixel(int x, int y, std::uint8_t& r, std::uint8_t& g, std::uint8_t& b) const;
  void Fill(std::uint8_t r, std::uint8_t g, std::uint8_t b);

private:
  TBitmap24(int width, int height, int rowBytes, std::unique_ptr<std::uint8_t[]> bits);
  bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < FWidth && y < FHeight; }

  int FWidth;
  int FHeight;
  int FRowBytes;
  std::unique_ptr<std::uint8_t[]> FBits;
};
