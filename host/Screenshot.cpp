#include "Screenshot.h"

#include "PngFile.h"
#include "WaitFactor.h"
#include "WindowThreadCall.h"
#include "platform/BitmapCanvas.h"

#include <memory>

namespace {

const unsigned kAnswerTimeoutMs = 10000;

}  // namespace

bool SaveWindowScreenshot(HWND window, const std::string& pngPath) {
  // Under Wine, a copy from the screen holds the process's shared X connection while it waits
  // for the pixels. Should the window's thread meanwhile be waiting for a reply on that
  // connection (its message loop does, when it sets the cursor) and a stray X error arrive,
  // the X library has each of the two threads wait for the other, for good. On the window's
  // own thread the two never overlap.
  std::unique_ptr<TBitmap24> picture;
  const bool taken = RunOnWindowThread(window, ScaledWaitMs(kAnswerTimeoutMs), [window, &picture] {
    RECT bounds;
    if (IsWindow(window) && GetWindowRect(window, &bounds)) picture = CaptureScreen(bounds);
  });
  if (!taken || picture == nullptr) return false;
  // Our bitmaps hold blue, green, red, top row first, rows padded as the PNG writer accepts.
  return WritePng(pngPath, picture->Width(), picture->Height(), 3, picture->Bits(),
                  picture->RowBytes(), true);
}
