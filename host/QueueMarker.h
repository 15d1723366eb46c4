// A marker posted into a window's message queue, and the wait until that window's thread has
// taken it: proof that the thread has got past everything posted before it.
#pragma once

#include <windows.h>

class TQueueMarker {
 public:
  // Watches the window's thread for the marker and posts it.
  explicit TQueueMarker(HWND window);
  ~TQueueMarker();
  TQueueMarker(const TQueueMarker&) = delete;
  TQueueMarker& operator=(const TQueueMarker&) = delete;

  // True once the thread has taken the marker from its queue; false after timeoutMs, or when
  // the window's dialog has closed (hidden or destroyed).
  bool Wait(unsigned timeoutMs);

 private:
  HWND FWindow;
  HHOOK FHook = nullptr;
  LPARAM FCookie = 0;
  bool FPosted = false;
};
