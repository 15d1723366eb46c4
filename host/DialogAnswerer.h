// Answers every window a plug-in opens while the fuzz mode runs it: the plug-in's dialog with
// its OK or Cancel button or its close box, message boxes and warnings with their close box,
// each by a script (Script.h) run from a second thread.
#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

enum class TAnswer { OK, Cancel, CloseBox };

class TDialogAnswerer {
 public:
  TDialogAnswerer();
  // Stops watching and waits for the watching thread.
  ~TDialogAnswerer();
  TDialogAnswerer(const TDialogAnswerer&) = delete;
  TDialogAnswerer& operator=(const TDialogAnswerer&) = delete;

  // How the next dialogs with an OK and a Cancel button are answered.
  void SetAnswer(TAnswer answer) { FAnswer = answer; }
  // Windows answered so far.
  long Dialogs() const { return FDialogs; }
  // True once no window of the process is visible and no answer is in progress, within a
  // few seconds.
  bool WaitIdle();
  // What went wrong while answering since the last call (a script that failed, a window that
  // would not close).
  std::vector<std::string> TakeErrors();

 private:
  void Watch();
  void Answer(HWND window);
  void AddError(const std::string& error);

  std::atomic<TAnswer> FAnswer{TAnswer::Cancel};
  std::atomic<long> FDialogs{0};
  std::atomic<bool> FBusy{false};
  std::atomic<bool> FStop{false};
  HWND FLastWindow = nullptr;
  int FAttempts = 0;
  std::mutex FLock;
  std::vector<std::string> FErrors;
  std::thread FThread;
};
