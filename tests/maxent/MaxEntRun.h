// The maximum-entropy dialog's run as the reference results need it.
#pragma once

#include "DeconvolutionReference.h"
#include "framework/DataContainer.h"
#include "maxent/MaxEntThread.h"

// A run of the given count (the dialog opens with 20 iterations of a Gaussian of size 2).
inline TRunParameters MaxEntRun(int iterations = 20, TPSFKind kind = pkGaussian,
                                float sigma = 2.0f) {
  TRunParameters run;
  run.Kind = kind;
  run.Sigma = sigma;
  run.Iteration = [iterations](TDataContainer& y, TDataContainer& psf) {
    MaximumEntropyDeconvolve(y, psf, iterations, nullptr, nullptr);
  };
  return run;
}
