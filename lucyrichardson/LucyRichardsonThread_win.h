// The Lucy-Richardson worker thread: the iteration on the shared worker protocol.
#pragma once

#include "framework/DeconvolutionWorker.h"
#include "lucyrichardson/LucyRichardsonThread.h"

// One Lucy-Richardson run on a worker thread (see TDeconvolutionThread for the protocol).
class TLucyRichardsonThread : public TDeconvolutionWorker {
 public:
  TLucyRichardsonThread(int Width, int Height);

  bool Aggressive = true;
};

// Window messages of this plug-in's worker: WM_USER + 133, + 134 and + 135.
constexpr TWorkerMessages kLucyRichardsonMessages = WorkerMessagesFrom(WM_USER + 133);
constexpr UINT WM_PROCESSDONE = kLucyRichardsonMessages.ProcessDone;
constexpr UINT WM_PREVIEWDONE = kLucyRichardsonMessages.PreviewDone;
constexpr UINT WM_PROCESSSTOPPED = kLucyRichardsonMessages.ProcessStopped;
