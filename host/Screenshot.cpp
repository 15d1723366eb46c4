#include "Screenshot.h"

#include "PngFile.h"

#include <cstdint>

namespace {

// Owners of the GDI objects a screen copy needs.
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

class TMemoryDC {
 public:
  explicit TMemoryDC(HDC compatible) : FDC(CreateCompatibleDC(compatible)) {}
  ~TMemoryDC() {
    if (FDC != nullptr) DeleteDC(FDC);
  }
  TMemoryDC(const TMemoryDC&) = delete;
  TMemoryDC& operator=(const TMemoryDC&) = delete;
  HDC Get() const { return FDC; }

 private:
  HDC FDC;
};

class TGdiObject {
 public:
  explicit TGdiObject(HGDIOBJ object) : FObject(object) {}
  ~TGdiObject() {
    if (FObject != nullptr) DeleteObject(FObject);
  }
  TGdiObject(const TGdiObject&) = delete;
  TGdiObject& operator=(const TGdiObject&) = delete;
  HGDIOBJ Get() const { return FObject; }

 private:
  HGDIOBJ FObject;
};

// Keeps an object selected into a DC for the lifetime of the selection.
class TSelection {
 public:
  TSelection(HDC dc, HGDIOBJ object) : FDC(dc), FPrevious(SelectObject(dc, object)) {}
  ~TSelection() {
    if (FPrevious != nullptr && FPrevious != HGDI_ERROR) SelectObject(FDC, FPrevious);
  }
  TSelection(const TSelection&) = delete;
  TSelection& operator=(const TSelection&) = delete;
  bool Ok() const { return FPrevious != nullptr && FPrevious != HGDI_ERROR; }

 private:
  HDC FDC;
  HGDIOBJ FPrevious;
};

}  // namespace

bool SaveWindowScreenshot(HWND window, const std::string& pngPath) {
  RECT bounds;
  if (window == nullptr || !IsWindow(window) || !GetWindowRect(window, &bounds)) return false;
  const int width = bounds.right - bounds.left;
  const int height = bounds.bottom - bounds.top;
  if (width <= 0 || height <= 0) return false;

  TScreenDC screen;
  if (screen.Get() == nullptr) return false;
  TMemoryDC memory(screen.Get());
  if (memory.Get() == nullptr) return false;

  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // negative: rows run top-down, as the PNG wants them
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  TGdiObject bitmap(CreateDIBSection(screen.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (bitmap.Get() == nullptr || bits == nullptr) return false;
  {
    TSelection selection(memory.Get(), bitmap.Get());
    if (!selection.Ok()) return false;
    if (!BitBlt(memory.Get(), 0, 0, width, height, screen.Get(), bounds.left, bounds.top,
                SRCCOPY | CAPTUREBLT)) {
      return false;
    }
  }
  GdiFlush();  // the DIB's bits are only complete once GDI has finished drawing into them
  // DIB rows are padded to a multiple of four bytes.
  const int rowBytes = ((width * 3) + 3) & ~3;
  return WritePng(pngPath, width, height, 3, static_cast<const uint8_t*>(bits), rowBytes, true);
}
