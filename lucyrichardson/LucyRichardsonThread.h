// Lucy-Richardson deconvolution: the iteration over planes and the worker thread that runs it.
#pragma once

#include <functional>

class TDataContainer;

// Runs Iterations Lucy-Richardson iterations of the observed plane O against the point-spread
// plane P (centre at (0, 0), same size as O, sides powers of two); none when Iterations <= 0.
// The result replaces O; P is left holding its spectrum. Aggressive makes each iteration's
// estimate the observation of the next one. StopRequested is asked once per iteration, after
// the update: when it answers true the run ends at once, without the progress call for that
// iteration and, in the standard variant, without writing the estimate back to O. Progress is
// called after every other completed iteration. Never throws: an exception (from an
// allocation, or from Progress) ends the run quietly, with O holding what the variant had
// written into it so far.
void Deconvolve(TDataContainer& O, TDataContainer& P, int Iterations, bool Aggressive,
                const std::function<bool()>& StopRequested,
                const std::function<void()>& Progress);

#ifdef _WIN32
#include <windows.h>

#include <memory>

#include "framework/DataContainer.h"
#include "platform/Event.h"
#include "platform/Threads.h"

// Window messages posted to Wnd with wParam = the worker's thread id and lParam = 0.
constexpr UINT WM_PROCESSDONE = WM_USER + 133;     // full run finished; the worker waits
constexpr UINT WM_PREVIEWDONE = WM_USER + 134;     // preview finished; the worker waits
constexpr UINT WM_PROCESSSTOPPED = WM_USER + 135;  // ended on a terminate request; no wait

// One Lucy-Richardson run on a worker thread. The dialog fills the members and both planes
// before Resume. After a done message the worker blocks on DoneEvent until the dialog has
// taken the result from Image and set the event; after WM_PROCESSSTOPPED it ends without
// waiting. With FreeOnTerminate set the object is gone once its thread ends, so a dialog that
// must wait for that end takes a handle with DuplicateHandleForWait before Resume.
class TLucyRichardsonThread : public TThread {
 public:
  // Planes whose allocation is refused are absent (they read as zeros); nothing is reported.
  // Throws only when the done event cannot be created.
  TLucyRichardsonThread(int Width, int Height);
  ~TLucyRichardsonThread() override;

  std::unique_ptr<TDataContainer> Image;  // in: the observed plane; out: the deconvolved one
  std::unique_ptr<TDataContainer> PSF;    // centre at (0, 0); left holding its spectrum
  int Iterations = 0;
  std::function<void(TThread* Sender)> OnProgress;  // on the user-interface thread
  bool IsPreview = true;
  HWND Wnd = nullptr;
  bool Aggressive = true;
  // Automatic reset and unnamed, so that only this worker's own dialog can release it.
  TEvent DoneEvent{false, false};

 protected:
  void Execute() override;

 private:
  void DoProgress();
};
#endif
