#include "BitmapCanvas.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "GdiObjects.h"

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

// The pixels of a GDI bitmap as a 24-bit bitmap; GetDIBits converts any depth (16-colour
// resources and 32-bit screen copies among them) into our rows.
std::unique_ptr<TBitmap24> BitmapFromHandle(HDC dc, HBITMAP handle) {
  BITMAP header{};
  if (GetObjectA(handle, sizeof header, &header) == 0) return nullptr;
  auto bitmap = TBitmap24::Create(header.bmWidth, std::abs(header.bmHeight));
  if (bitmap == nullptr) return nullptr;
  BITMAPINFO info = TopDownInfo(bitmap->Width(), bitmap->Height());
  int rows = GetDIBits(dc, handle, 0, static_cast<UINT>(bitmap->Height()), bitmap->Bits(), &info,
                       DIB_RGB_COLORS);
  if (rows != bitmap->Height()) return nullptr;
  return bitmap;
}

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
  TGdiObject<HBITMAP> handle(static_cast<HBITMAP>(
      LoadImageA(module, name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  if (handle.Get() == nullptr) return nullptr;
  TScreenDC screen;
  return BitmapFromHandle(screen.Get(), handle.Get());
}

std::unique_ptr<TBitmap24> CaptureScreen(const RECT& area) {
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  if (width <= 0 || height <= 0) return nullptr;
  TScreenDC screen;
  if (screen.Get() == nullptr) return nullptr;
  TMemoryDC memory(screen.Get());
  if (memory.Get() == nullptr) return nullptr;
  TGdiObject<HBITMAP> copy(CreateCompatibleBitmap(screen.Get(), width, height));
  if (copy.Get() == nullptr) return nullptr;
  {
    // The bitmap must be out of the memory DC again before GetDIBits reads it.
    TSelection selection(memory.Get(), copy.Get());
    if (!selection.Ok() || !BitBlt(memory.Get(), 0, 0, width, height, screen.Get(), area.left, area.top,
                SRCCOPY | CAPTUREBLT))
      return nullptr;
  }
  return BitmapFromHandle(screen.Get(), copy.Get());
}
