// The checks of the completion protocol that every deconvolution worker passes, run by each
// plug-in's worker test on its own worker.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <tuple>
#include <vector>

#include "framework/DeconvolutionThread.h"

// One plug-in's worker as the checks see it.
struct TWorkerCase {
  // A new 32 x 32 worker of the plug-in, its variant set, its planes not yet filled.
  std::function<TDeconvolutionThread*()> Make;
  // The plug-in's iteration on plain planes, as the worker runs it.
  std::function<void(TDataContainer& image, TDataContainer& psf, int iterations)> Kernel;
  // The numbers the worker must post; the dialog's message map shares them.
  TWorkerMessages Messages;
  // What a run without iterations leaves in the image, given the observation.
  std::function<std::vector<float>(const std::vector<float>& observed)> NoIterationResult;
};

// A worker of the case on the worker test planes (FillWorkerTestPlanes), free-on-end as the
// dialog makes it. The caller resumes it.
TDeconvolutionThread* MakeWorker(const TWorkerCase& worker, HWND wnd, int iterations,
                                 bool isPreview);

// A run to its end, as a preview or not, of a number of iterations.
using TDoneRun = std::tuple<bool, int>;
// The runs every worker's test makes: preview and full, without iterations and with 3.
inline auto DoneRuns() {
  return ::testing::Combine(::testing::Values(true, false), ::testing::Values(0, 3));
}

// The worker posts the preview- or process-done number once, with its thread id, after one
// progress call per iteration; it then blocks on its event, the kernel's result readable, and
// frees itself once the event is set.
void CheckDoneRun(const TWorkerCase& worker, const TDoneRun& run);

// A run of 5 iterations whose progress call stopAt asks to terminate: the worker posts the
// stopped number once, makes no further progress call and ends without waiting for its event.
void CheckStoppedRun(const TWorkerCase& worker, int stopAt);
