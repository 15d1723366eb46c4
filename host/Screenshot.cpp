#include "Screenshot.h"

#include "PngFile.h"
#include "platform/BitmapCanvas.h"

bool SaveWindowScreenshot(HWND window, const std::string& pngPath) {
  RECT bounds;
  if (window == nullptr || !IsWindow(window) || !GetWindowRect(window, &bounds)) return false;
  const auto picture = CaptureScreen(bounds);
  if (picture == nullptr) return false;
  // Our bitmaps hold blue, green, red, top row first, rows padded as the PNG writer accepts.
  return WritePng(pngPath, picture->Width(), picture->Height(), 3, picture->Bits(),
                  picture->RowBytes(), true);
}
