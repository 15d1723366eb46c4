// The maximum-entropy run for SpeedComparison, in its own unit: in the Windows trees the two
// plug-ins' headers each define their worker's messages under the same names.
#include "maxent/MaxEntThread.h"

#include <functional>

bool RunMaximumEntropy(TDataContainer& Image, TDataContainer& PSF, int Iterations,
                       const std::function<void()>& Progress) {
  return MaximumEntropyDeconvolve(Image, PSF, Iterations, nullptr, Progress);
}
