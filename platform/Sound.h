// The system beep that answers refused input.
#pragma once

#include <windows.h>

// MessageBeep with type (0 the default sound, 0xFFFF the simple beep, or an MB_ICON* value).
inline void Beep(UINT type) { MessageBeep(type); }
