// The Lucy-Richardson dialog's run as the reference results need it.
#pragma once

#include "DeconvolutionReference.h"
#include "framework/DataContainer.h"
#include "lucyrichardson/LucyRichardsonThread.h"

// A run of the given count and variant (the dialog opens with 10, aggressive, Gaussian 1).
inline TRunParameters LucyRichardsonRun(int iterations = 10, bool aggressive = true,
                                        TPSFKind kind = pkGaussian, float sigma = 1.0f) {
  TRunParameters run;
  run.Kind = kind;
  run.Sigma = sigma;
  run.Iteration = [iterations, aggressive](TDataContainer& y, TDataContainer& psf) {
    Deconvolve(y, psf, iterations, aggressive, nullptr, nullptr);
  };
  return run;
}
