// The maximum-entropy worker thread: the iteration on the shared worker protocol.
#pragma once

#include "framework/DeconvolutionWorker.h"
#include "maxent/MaxEntThread.h"

// One maximum-entropy run on a worker thread (see TDeconvolutionThread for the protocol).
class TMaxEntThread : public TDeconvolutionWorker {
 public:
  TMaxEntThread(int Width, int Height);
};

// Window messages of this plug-in's worker: WM_USER + 130, + 131 and + 132.
constexpr TWorkerMessages kMaximumEntropyMessages = WorkerMessagesFrom(WM_USER + 130);
constexpr UINT WM_PROCESSDONE = kMaximumEntropyMessages.ProcessDone;
constexpr UINT WM_PREVIEWDONE = kMaximumEntropyMessages.PreviewDone;
constexpr UINT WM_PROCESSSTOPPED = kMaximumEntropyMessages.ProcessStopped;
