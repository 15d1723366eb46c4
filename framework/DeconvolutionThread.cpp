// The deconvolution worker's thread body: the run and the completion protocol.
#include "framework/DeconvolutionThread.h"

TDeconvolutionThread::TDeconvolutionThread(int Width, int Height, const TWorkerMessages& Messages)
    : Image(std::make_unique<TDataContainer>(Width, Height)),
      PSF(std::make_unique<TDataContainer>(Width, Height)),
      FMessages(Messages) {}

TDeconvolutionThread::~TDeconvolutionThread() = default;

void TDeconvolutionThread::Execute() {
  Succeeded = Deconvolve();
  const WPARAM id = ThreadID();
  if (Terminated()) {
    // The dialog's stopped handler never touches this worker again, so there is nothing to
    // wait for: the thread ends (and frees itself) right away.
    PostMessageA(Wnd, FMessages.ProcessStopped, id, 0);
    return;
  }
  PostMessageA(Wnd, IsPreview ? FMessages.PreviewDone : FMessages.ProcessDone, id, 0);
  // Image must stay valid until the dialog has taken the result.
  DoneEvent.WaitFor(INFINITE);
}

void TDeconvolutionThread::DoProgress() {
  Synchronize([this] {
    if (OnProgress) OnProgress(this);
  });
}
