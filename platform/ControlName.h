// The Name of a window (for example "btnOK"), which automation clients use to find controls.
#pragma once

#include <windows.h>

#include <string>

// Attaches Name to the window as a window property holding a process-local atom, so that any
// thread of the process (the test host's script thread) can read it back.
void SetControlName(HWND window, const char* name);

// The Name attached to the window, or "" when it has none.
std::string GetControlName(HWND window);

// The first descendant of parent (depth first) whose Name is name, or nullptr.
HWND FindControlByName(HWND parent, const char* name);
