// The stage order shared by the transform kernels; included by each kernel's unit only, with
// a butterfly type of internal linkage, so that each unit's code keeps its own target flags.
#pragma once

#include "FFTKernels.h"

namespace fftstages {

// Line data that one depth-first leaf spans: small blocks are finished while they are in the
// first-level cache.
constexpr int kLeafFloats = 4096;

// Stages of a decimation-in-time transform on the block of `size` points at `first`, depth
// first. A butterfly depends only on the two outputs of the previous stage that it reads, so
// this order gives the same bits as running stage after stage over the whole line.
template <class TButterflies>
void TransformBlock(float* line, int lanes, int first, int size, const TTwiddle* twiddles) noexcept {
  if (size * 2 * lanes > kLeafFloats && size > 2) {
    TransformBlock<TButterflies>(line, lanes, first, size / 2, twiddles);
    TransformBlock<TButterflies>(line, lanes, first + size / 2, size / 2, twiddles);
    TButterflies::Stage(line, lanes, first, size / 2, twiddles);
    return;
  }
  for (int m = 1; m < size; m *= 2)
    for (int group = first; group < first + size; group += 2 * m)
      TButterflies::Stage(line, lanes, group, m, twiddles);
}

}  // namespace fftstages
