// Work run on the thread that owns a window, for another thread of the process that must not
// do that work itself.
#pragma once

#include <windows.h>

#include <functional>

// Runs work on the thread that owns window and returns once it has run: at once when that is
// the calling thread; otherwise a message sent to the window carries it, and a hook on the
// owning thread runs it just before the window procedure would see the message, so that
// thread must be answering sent messages (every message loop does, a modal one included).
// False, with work not run, when the window is gone or belongs to another process, or when
// its thread has not started the work within timeoutMs; work that has started is waited for.
// work must not throw.
bool RunOnWindowThread(HWND window, unsigned timeoutMs, const std::function<void()>& work);
