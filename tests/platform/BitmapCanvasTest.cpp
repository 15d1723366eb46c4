#include "platform/BitmapCanvas.h"

#include <gtest/gtest.h>

namespace {

std::unique_ptr<TBitmap24> Numbered(int width, int height) {
  auto bitmap = TBitmap24::Create(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      bitmap->SetPixel(x, y, static_cast<uint8_t>(x), static_cast<uint8_t>(y), 7);
  return bitmap;
}

void ExpectPixel(const TBitmap24& bitmap, int x, int y, int r, int g, int b) {
  uint8_t pr, pg, pb;
  bitmap.GetPixel(x, y, pr, pg, pb);
  EXPECT_EQ(pr, r) << x << "," << y;
  EXPECT_EQ(pg, g) << x << "," << y;
  EXPECT_EQ(pb, b) << x << "," << y;
}

TEST(BitmapCanvasTest, CopyRectCopiesOneToOne) {
  auto source = Numbered(40, 30);
  auto dest = TBitmap24::Create(10, 10);
  CopyRect(*dest, RECT{0, 0, 10, 10}, *source, RECT{20, 15, 30, 25});
  ExpectPixel(*dest, 0, 0, 20, 15, 7);
  ExpectPixel(*dest, 9, 9, 29, 24, 7);
}

TEST(BitmapCanvasTest, CopyRectClipsToBothBitmaps) {
  auto source = Numbered(12, 12);
  auto dest = TBitmap24::Create(8, 8);
  dest->Fill(1, 2, 3);
  // Source runs past its right edge, destination past its bottom edge.
  CopyRect(*dest, RECT{2, 4, 10, 12}, *source, RECT{8, 0, 16, 8});
  ExpectPixel(*dest, 2, 4, 8, 0, 7);
  ExpectPixel(*dest, 5, 7, 11, 3, 7);
  ExpectPixel(*dest, 6, 4, 1, 2, 3);  // beyond the source's last column: untouched
  ExpectPixel(*dest, 1, 4, 1, 2, 3);
}

TEST(BitmapCanvasTest, NegativeOriginsSkipThePartOutside) {
  auto source = Numbered(10, 10);
  auto dest = TBitmap24::Create(10, 10);
  dest->Fill(0, 0, 0);
  CopyRect(*dest, RECT{-2, 0, 3, 5}, *source, RECT{0, 0, 5, 5});
  ExpectPixel(*dest, 0, 0, 2, 0, 7);
  ExpectPixel(*dest, 2, 4, 4, 4, 7);
  ExpectPixel(*dest, 3, 0, 0, 0, 0);
}

}  // namespace
