// The Lucy-Richardson iteration over planes; its worker thread is in LucyRichardsonThread_win.h.
#pragma once

#include <functional>

class TDataContainer;

// Runs Iterations Lucy-Richardson iterations of the observed plane O against the point-spread
// plane P (centre at (0, 0), same size as O, sides powers of two); none when Iterations <= 0.
// The result replaces O; P is left holding its spectrum. Aggressive makes each iteration's
// estimate the observation of the next one. StopRequested is asked once per iteration, after
// the update: when it answers true the run ends at once, without the progress call for that
// iteration and, in the standard variant, without writing the estimate back to O. Progress is
// called after every other completed iteration.
// Returns false when O holds no result: a plane is absent, or P's size differs from O's or
// cannot be transformed (O is then left unchanged, since such a run would compute garbage),
// or an exception (from an allocation, or from Progress) ended the run, with O holding what
// the variant had written into it so far.
// Never throws.
bool Deconvolve(TDataContainer& O, TDataContainer& P, int Iterations, bool Aggressive,
                const std::function<bool()>& StopRequested,
                const std::function<void()>& Progress);
