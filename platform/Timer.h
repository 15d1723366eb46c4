// Timer: raises OnTimer every Interval milliseconds on the thread that created it.
#pragma once

#include <windows.h>

#include <functional>

// Runs while Enabled, Interval > 0 and OnTimer is set; the ticks come through the thread's
// message loop (a modal form's loop included). Changing Interval or Enabled restarts the
// count. Exceptions from OnTimer end at the tick and do not reach the message loop.
class TTimer {
 public:
  TTimer();
  ~TTimer();
  TTimer(const TTimer&) = delete;
  TTimer& operator=(const TTimer&) = delete;

  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool enabled);
  unsigned Interval() const { return FInterval; }
  void SetInterval(unsigned intervalMs);
  // Assign through SetOnTimer so that the timer starts or stops with it.
  void SetOnTimer(std::function<void()> handler);

 private:
  static void CALLBACK TimerProc(HWND, UINT, UINT_PTR id, DWORD);
  void Update();
  void Stop();

  bool FEnabled = true;
  unsigned FInterval = 1000;
  std::function<void()> FOnTimer;
  UINT_PTR FId = 0;
};
