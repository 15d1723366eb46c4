// The maximum-entropy iteration over planes; its worker thread is in MaxEntThread_win.h.
#pragma once

#include <functional>

class TDataContainer;

// What a sample of 0 counts as in the maximum-entropy iteration (MaxEntThread.cpp says why).
constexpr float kMaxEntZeroSample = 1.0f / 1048576.0f;

// Runs Iterations maximum-entropy iterations of the observed plane Image against the
// point-spread plane PSF (centre at (0, 0), same size as Image, sides powers of two); none
// when Iterations <= 0. Each iteration forms the estimate exp(L correlated with the unit-sum
// PSF), scaled to unit sum, its model (the estimate convolved with the PSF), the flux factor
// sum(Image) / sum(model), and adds ln(Image / factor) - ln(model) to the multipliers L.
// Samples of Image equal to 0 or not finite are taken as kMaxEntZeroSample for the whole run,
// a small positive value whose logarithm is finite and which stays dark. The result, the last
// estimate times its flux factor with negative values and NaN set to 0, replaces Image; with
// no iteration it is all zero. PSF is left scaled to unit sum and holding its spectrum.
// StopRequested is asked at the start of every iteration: when it answers true the run ends
// at once, Image holding the observation with those samples replaced. Progress is called
// after every completed iteration.
// Returns false when Image holds no result: a plane (Image, PSF or a work plane) is absent, or
// PSF's size differs from Image's, or the planes cannot be transformed (Image and PSF are then
// left unchanged, since such a run would compute garbage), or an exception (from an
// allocation, StopRequested or Progress) ended the run, Image holding the observation with
// those samples replaced. Returns true otherwise, a stopped run included. Never throws.
bool MaximumEntropyDeconvolve(TDataContainer& Image, TDataContainer& PSF, int Iterations,
                              const std::function<bool()>& StopRequested,
                              const std::function<void()>& Progress);
