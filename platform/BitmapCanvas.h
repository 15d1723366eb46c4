// 24-bit bitmaps on screen: drawing into a device context, copying rectangles between
// bitmaps, bitmaps loaded from a module's resources, and copies of the screen.
#pragma once

#include <windows.h>

#include <memory>

#include "Bitmap24.h"

// Draws the bitmap unscaled with its top-left corner at (x, y); the DC's clipping applies.
void DrawBitmap(HDC dc, int x, int y, const TBitmap24& bitmap);

// Copies the pixels of sourceRect in source one to one into destRect of dest (right and bottom
// exclusive). Only the part that lies inside both bitmaps and inside both rectangles is
// copied; the rectangles are expected to be of one size and are not stretched.
void CopyRect(TBitmap24& dest, const RECT& destRect, const TBitmap24& source,
              const RECT& sourceRect);

// The bitmap resource name of module as a 24-bit bitmap (any colour depth of the resource),
// or null when it cannot be found or read.
std::unique_ptr<TBitmap24> LoadBitmapResource(HINSTANCE module, const char* name);

// The pixels of area of the screen (screen coordinates, right and bottom exclusive) as they
// are shown now, or null when the area is empty or the copy fails. Parts off the screen come
// out as whatever the display gives there (black on the usual ones). Callable from any thread.
std::unique_ptr<TBitmap24> CaptureScreen(const RECT& area);
