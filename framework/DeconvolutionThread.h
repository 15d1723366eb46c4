// The worker thread shared by the deconvolution plug-ins and its completion protocol.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>

#include "framework/DataContainer.h"
#include "platform/Event.h"
#include "platform/Threads.h"

// The three messages a worker posts to Wnd with wParam = its thread id and lParam = 0. Each
// plug-in has its own numbers.
struct TWorkerMessages {
  UINT ProcessDone;     // full run finished; the worker waits on DoneEvent
  UINT PreviewDone;     // preview finished; the worker waits on DoneEvent
  UINT ProcessStopped;  // ended on a terminate request; the worker does not wait
};

// One deconvolution run on a worker thread. The dialog fills the members and both planes
// before Resume. After a done message the worker blocks on DoneEvent until the dialog has
// taken the result from Image and set the event; after the stopped message it ends without
// waiting. The deconvolution dialog owns its workers and frees one only after its thread has
// ended; with FreeOnTerminate set instead, the object is gone once its thread ends, and an
// owner that must wait for that end takes a handle with DuplicateHandleForWait before Resume.
class TDeconvolutionThread : public TThread {
 public:
  // Planes whose allocation is refused are absent (they read as zeros); nothing is reported.
  // Throws only when the done event cannot be created.
  TDeconvolutionThread(int Width, int Height, const TWorkerMessages& Messages);
  ~TDeconvolutionThread() override;

  std::unique_ptr<TDataContainer> Image;  // in: the observed plane; out: the deconvolved one
  std::unique_ptr<TDataContainer> PSF;    // centre at (0, 0); the run leaves its spectrum
  int Iterations = 0;
  std::function<void(TThread* Sender)> OnProgress;  // on the user-interface thread
  bool IsPreview = true;
  HWND Wnd = nullptr;
  // Automatic reset and unnamed, so that only this worker's own dialog can release it.
  TEvent DoneEvent{false, false};
  // False after a run that could not have its work planes or ended on an exception: Image
  // then holds no result worth taking. Valid once a done message has arrived.
  bool Succeeded = false;

 protected:
  void Execute() override;
  // The iteration on Image and PSF, calling DoProgress after every completed iteration and
  // ending early on Terminated(). Returns whether Image holds a result.
  virtual bool Deconvolve() = 0;
  // Runs OnProgress on the user-interface thread and waits for it.
  void DoProgress();

 private:
  TWorkerMessages FMessages;
};
