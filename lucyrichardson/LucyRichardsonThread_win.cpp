// The Lucy-Richardson worker thread: the iteration on the shared worker protocol.
#include "lucyrichardson/LucyRichardsonThread_win.h"

TLucyRichardsonThread::TLucyRichardsonThread(int Width, int Height)
    : TDeconvolutionWorker(Width, Height, kLucyRichardsonMessages,
                           [this](TDataContainer& O, TDataContainer& P, int Iterations,
                                  const std::function<bool()>& StopRequested,
                                  const std::function<void()>& Progress) {
                             // Aggressive is read when the run starts, on the worker thread.
                             return ::Deconvolve(O, P, Iterations, Aggressive, StopRequested,
                                                 Progress);
                           }) {}
