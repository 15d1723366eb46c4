#include "BitmapCanvas.h"

#include <algorithm>
#include <cstring>

namespace {

BITMAPINFO TopDownInfo(int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // negative: the first row is the top one
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

// Owns a GDI bitmap handle.
class TBitmapHandle {
 public:
  explicit TBitmapHandle(HBITMAP handle) : FHandle(handle) {}
  ~TBitmapHandle() {
    if (FHandle != nullptr) DeleteObject(FHandle);
  }
  TBitmapHandle(const TBitmapHandle&) = delete;
  TBitmapHandle& operator=(const TBitmapHandle&) = delete;
  HBITMAP Get() const { return FHandle; }

 private:
  HBITMAP FHandle;
};

// Owns a screen-compatible device context.
class TScreenDC {
 public:
  TScreenDC() : FDC(GetDC(nullptr)) {}
  ~TScreenDC() {
    if (FDC != nullptr) ReleaseDC(nullptr, FDC);
  }
  TScreenDC(const TScreenDC&) = delete;
  TScreenDC& operator=(const TScreenDC&) = delete;
  HDC Get() const { return FDC; }

 private:
  HDC FDC;
};

}  // namespace

void DrawBitmap(HDC dc, int x, int y, const TBitmap24& bitmap) {
  BITMAPINFO info = TopDownInfo(bitmap.Width(), bitmap.Height());
  SetDIBitsToDevice(dc, x, y, static_cast<DWORD>(bitmap.Width()),
                    static_cast<DWORD>(bitmap.Height()), 0, 0, 0,
                    static_cast<UINT>(bitmap.Height()), bitmap.Bits(), &info, DIB_RGB_COLORS);
}

void CopyRect(TBitmap24& dest, const RECT& destRect, const TBitmap24& source,
              const RECT& sourceRect) {
  // Clip in source coordinates first, then in destination coordinates, keeping the two
  // rectangles aligned pixel for pixel.
  int width = std::min(destRect.right - destRect.left, sourceRect.right - sourceRect.left);
  int height = std::min(destRect.bottom - destRect.top, sourceRect.bottom - sourceRect.top);
  int sx = sourceRect.left, sy = sourceRect.top, dx = destRect.left, dy = destRect.top;
  int skipX = std::max({0, -sx, -dx});
  int skipY = std::max({0, -sy, -dy});
  sx += skipX; dx += skipX; width -= skipX;
  sy += skipY; dy += skipY; height -= skipY;
  width = std::min({width, source.Width() - sx, dest.Width() - dx});
  height = std::min({height, source.Height() - sy, dest.Height() - dy});
  if (width <= 0 || height <= 0) return;
  for (int row = 0; row < height; ++row)
    std::memmove(dest.Row(dy + row) + 3 * dx, source.Row(sy + row) + 3 * sx,
                 static_cast<size_t>(width) * 3);
}

std::unique_ptr<TBitmap24> LoadBitmapResource(HINSTANCE module, const char* name) {
  TBitmapHandle handle(static_cast<HBITMAP>(
      LoadImageA(module, name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  if (handle.Get() == nullptr) return nullptr;
  BITMAP header{};
  if (GetObjectA(handle.Get(), sizeof header, &header) == 0) return nullptr;
  auto bitmap = TBitmap24::Create(header.bmWidth, header.bmHeight);
  if (bitmap == nullptr) return nullptr;
  // GetDIBits converts any depth (16-colour resources included) into our 24-bit rows.
  BITMAPINFO info = TopDownInfo(bitmap->Width(), bitmap->Height());
  TScreenDC screen;
  int rows = GetDIBits(screen.Get(), handle.Get(), 0, static_cast<UINT>(bitmap->Height()),
                       bitmap->Bits(), &info, DIB_RGB_COLORS);
  if (rows != bitmap->Height()) return nullptr;
  return bitmap;
}
