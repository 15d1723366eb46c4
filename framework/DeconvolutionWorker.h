// A deconvolution plug-in's worker: the shared worker protocol around the plug-in's iteration.
#pragma once

#include <functional>
#include <utility>

#include "framework/DeconvolutionThread.h"

// A plug-in's three worker messages, numbered from First on: process done, preview done,
// process stopped.
constexpr TWorkerMessages WorkerMessagesFrom(UINT First) { return {First, First + 1, First + 2}; }

// The plug-in's iteration on the worker's planes and count, asking StopRequested and calling
// Progress as the iteration's own contract says; returns whether Image holds a result.
using TIterationRun = std::function<bool(TDataContainer& Image, TDataContainer& PSF, int Iterations,
                                         const std::function<bool()>& StopRequested,
                                         const std::function<void()>& Progress)>;

// A worker whose Deconvolve is Run with the thread's terminate request as the stop request and
// DoProgress as the progress call.
class TDeconvolutionWorker : public TDeconvolutionThread {
 public:
  TDeconvolutionWorker(int Width, int Height, const TWorkerMessages& Messages, TIterationRun Run)
      : TDeconvolutionThread(Width, Height, Messages), FRun(std::move(Run)) {}

 protected:
  bool Deconvolve() override {
    return FRun(*Image, *PSF, Iterations, [this] { return Terminated(); }, [this] { DoProgress(); });
  }

 private:
  TIterationRun FRun;
};
