// The maximum-entropy worker thread: the iteration on the shared worker protocol.
#include "maxent/MaxEntThread.h"

TMaxEntThread::TMaxEntThread(int Width, int Height)
    : TDeconvolutionThread(Width, Height, kMaximumEntropyMessages) {}

bool TMaxEntThread::Deconvolve() {
  return MaximumEntropyDeconvolve(*Image, *PSF, Iterations, [this] { return Terminated(); },
                                  [this] { DoProgress(); });
}
