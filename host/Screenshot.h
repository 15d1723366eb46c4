// Screenshots of windows, taken from the screen because PrintWindow returns a blank picture under Wine.
#pragma once

#include <windows.h>

#include <string>

// Copies the window's rectangle (caption and frame included, as far as they are drawn) from
// the screen into a 24-bit picture and writes it as a PNG. Parts of the window that are off
// the screen or covered by other windows come out as whatever the screen shows there. Callable
// from any thread of the process that owns the window; the copy itself is taken on the
// window's thread, which must answer a sent message within ten seconds. Returns false when the
// window is invalid or another process's, its thread does not answer, it has no area, or the
// file cannot be written.
bool SaveWindowScreenshot(HWND window, const std::string& pngPath);
