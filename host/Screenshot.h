// Screenshots of windows, taken from the screen because PrintWindow returns a blank picture under Wine.
#pragma once

#include <windows.h>

#include <string>

// Copies the window's rectangle (caption and frame included, as far as they are drawn) from
// the screen into a 24-bit picture and writes it as a PNG. Parts of the window that are off
// the screen or covered by other windows come out as whatever the screen shows there. Callable
// from any thread; it sends the window no message. Returns false when the window is invalid,
// has no area, or the file cannot be written.
bool SaveWindowScreenshot(HWND window, const std::string& pngPath);
