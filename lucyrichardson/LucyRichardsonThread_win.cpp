// The Lucy-Richardson worker thread: runs the iteration and posts the completion messages.
#include "lucyrichardson/LucyRichardsonThread.h"

TLucyRichardsonThread::TLucyRichardsonThread(int Width, int Height)
    : Image(std::make_unique<TDataContainer>(Width, Height)),
      PSF(std::make_unique<TDataContainer>(Width, Height))
{
}

TLucyRichardsonThread::~TLucyRichardsonThread() = default;

void TLucyRichardsonThread::Execute()
{
  Deconvolve(*Image, *PSF, Iterations, Aggressive, [this] { return Terminated(); },
             [this] { DoProgress(); });
  const WPARAM id = ThreadID();
  if (Terminated()) {
    // The dialog's stopped handler never touches this worker again, so there is nothing to
    // wait for: the thread ends (and frees itself) right away.
    PostMessageA(Wnd, WM_PROCESSSTOPPED, id, 0);
    return;
  }
  PostMessageA(Wnd, IsPreview ? WM_PREVIEWDONE : WM_PROCESSDONE, id, 0);
  // Image must stay valid until the dialog has taken the result.
  DoneEvent.WaitFor(INFINITE);
}

void TLucyRichardsonThread::DoProgress()
{
  Synchronize([this] {
    if (OnProgress) OnProgress(this);
  });
}
