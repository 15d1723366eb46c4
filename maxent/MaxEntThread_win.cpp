// The maximum-entropy worker thread: the iteration on the shared worker protocol.
#include "maxent/MaxEntThread_win.h"

TMaxEntThread::TMaxEntThread(int Width, int Height)
    : TDeconvolutionWorker(Width, Height, kMaximumEntropyMessages, MaximumEntropyDeconvolve) {}
