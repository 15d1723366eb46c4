#include "Timer.h"

#include <map>

namespace {

// Thread timers carry no user data; the running timers are found by their identifier. Only
// the user-interface thread creates timers, so the map needs no lock.
std::map<UINT_PTR, TTimer*>& RunningTimers() {
  static std::map<UINT_PTR, TTimer*> timers;
  return timers;
}

}  // namespace

TTimer::TTimer() = default;

TTimer::~TTimer() { Stop(); }

void TTimer::SetEnabled(bool enabled) {
  FEnabled = enabled;
  Update();
}

void TTimer::SetInterval(unsigned intervalMs) {
  FInterval = intervalMs;
  Update();
}

void TTimer::SetOnTimer(std::function<void()> handler) {
  FOnTimer = std::move(handler);
  Update();
}

void TTimer::Stop() {
  if (FId == 0) return;
  KillTimer(nullptr, FId);
  RunningTimers().erase(FId);
  FId = 0;
}

void TTimer::Update() {
  Stop();
  if (!FEnabled || FInterval == 0 || !FOnTimer) return;
  FId = SetTimer(nullptr, 0, FInterval, TimerProc);
  if (FId != 0) RunningTimers()[FId] = this;
}

void CALLBACK TTimer::TimerProc(HWND, UINT, UINT_PTR id, DWORD) {
  auto found = RunningTimers().find(id);
  if (found == RunningTimers().end()) return;
  try {
    // A copy: the handler may replace or destroy the timer.
    std::function<void()> handler = found->second->FOnTimer;
    handler();
  } catch (...) {
    // Nothing may unwind into the system's dispatching of the tick.
  }
}
