// The Lucy-Richardson worker thread: the iteration on the shared worker protocol.
#include "lucyrichardson/LucyRichardsonThread.h"

TLucyRichardsonThread::TLucyRichardsonThread(int Width, int Height)
    : TDeconvolutionThread(Width, Height, kLucyRichardsonMessages) {}

bool TLucyRichardsonThread::Deconvolve() {
  return ::Deconvolve(*Image, *PSF, Iterations, Aggressive, [this] { return Terminated(); },
                      [this] { DoProgress(); });
}
