// Ends the dialogs of a thread that a script was driving once the script has failed, so that
// a broken script ends the run instead of leaving it open for a user who is not there.
#pragma once

#include <windows.h>

#include <atomic>
#include <thread>

class TScriptRunner;

class TDialogWatchdog {
 public:
  // Watches runner (started) beside dialogs of the calling thread. After a failed script, and
  // also after a successful one when closeAfterSuccessMs is not 0 and that much time (times the
  // wait factor of WaitFactor.h) has passed, the thread's visible windows are asked to close as
  // by their close boxes, and when that does not end the modal loops, the thread is told to quit.
  explicit TDialogWatchdog(TScriptRunner& runner, unsigned closeAfterSuccessMs = 0);
  // Disarms the watchdog and waits for its thread.
  ~TDialogWatchdog();
  TDialogWatchdog(const TDialogWatchdog&) = delete;
  TDialogWatchdog& operator=(const TDialogWatchdog&) = delete;

  // The dialogs have returned: nothing is to be closed any more.
  void Disarm() { FDisarmed = true; }
  // True once the watchdog had to close a dialog.
  bool Fired() const { return FFired; }

 private:
  void Watch(TScriptRunner& runner, unsigned closeAfterSuccessMs);
  // Waits up to ms unless disarmed meanwhile; true when still armed.
  bool Pause(unsigned ms) const;

  DWORD FThread;
  std::atomic<bool> FDisarmed{false};
  std::atomic<bool> FFired{false};
  std::thread FWatcher;
};
