#include "DialogWatchdog.h"

#include "Script.h"
#include "WaitFactor.h"

namespace {

constexpr unsigned kPollMs = 50;
constexpr unsigned kGraceAfterFailureMs = 1000;  // lets a message box the failure left be seen
constexpr unsigned kClosingMs = 10000;         // asking every 100 ms, before the wait factor

BOOL CALLBACK CloseVisible(HWND window, LPARAM) {
  if (IsWindowVisible(window)) PostMessageW(window, WM_CLOSE, 0, 0);
  return TRUE;
}

}  // namespace

TDialogWatchdog::TDialogWatchdog(TScriptRunner& runner, unsigned closeAfterSuccessMs)
    : FThread(GetCurrentThreadId()),
      FWatcher([this, &runner, closeAfterSuccessMs] { Watch(runner, closeAfterSuccessMs); }) {}

TDialogWatchdog::~TDialogWatchdog() {
  FDisarmed = true;
  FWatcher.join();
}

bool TDialogWatchdog::Pause(unsigned ms) const {
  for (unsigned waited = 0; waited < ms && !FDisarmed; waited += kPollMs) Sleep(kPollMs);
  return !FDisarmed;
}

void TDialogWatchdog::Watch(TScriptRunner& runner, unsigned closeAfterSuccessMs) {
  while (!FDisarmed && !runner.Wait(kPollMs)) {
  }
  if (FDisarmed) return;
  if (runner.Succeeded()) {
    if (closeAfterSuccessMs == 0 || !Pause(ScaledWaitMs(closeAfterSuccessMs))) return;
  } else if (!Pause(kGraceAfterFailureMs)) {
    return;
  }
  FFired = true;
  // A run in progress refuses to close; it may still end within the attempts.
  for (unsigned asked = 0; asked < ScaledWaitMs(kClosingMs) && !FDisarmed; asked += 100) {
    EnumThreadWindows(FThread, CloseVisible, 0);
    Pause(100);
  }
  if (!FDisarmed) PostThreadMessageW(FThread, WM_QUIT, 0, 0);
}
