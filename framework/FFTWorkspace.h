// What the 2-D transforms of one run share: the worker pool, one scratch block per thread,
// the step factors of both directions and the bit-reversal permutation.
#pragma once

#include "FFTKernels.h"
#include "WorkerPool.h"

struct TComplex;

class TFFTWorkspace {
public:
  // For planes whose sides are powers of two up to MaxLine (at most TDataContainer::kMaxLine);
  // Threads as for TWorkerPool. Everything is allocated here, once. When the scratch of every
  // thread cannot be had, only the calling thread transforms; when even its scratch or the
  // tables cannot be had, the workspace is not Ready.
  explicit TFFTWorkspace(int MaxLine, int Threads = 0) noexcept;
  ~TFFTWorkspace();
  TFFTWorkspace(const TFFTWorkspace&) = delete;
  TFFTWorkspace& operator=(const TFFTWorkspace&) = delete;

  bool Ready() const noexcept { return FScratch != nullptr; }
  int MaxLine() const noexcept { return FMaxLine; }
  TWorkerPool& Pool() noexcept { return FPool; }

  // Lines transformed together when lineCount lines of lineLength points are transformed:
  // all three are powers of two, so the lines divide into whole blocks.
  static int LanesFor(int lineLength, int lineCount) noexcept;

  // Calls Task(Item, Scratch) for Item in [0, Count) on the threads that have scratch.
  template <class F> void ForEachBlock(int Count, F&& Task) noexcept {
    if (FScratchThreads > 1) {
      FPool.ForEach(Count, [&](int item, int worker) { Task(item, FScratch + worker * FScratchFloats); });
    } else {
      for (int item = 0; item < Count; ++item) Task(item, FScratch);
    }
  }

  const TTwiddle* Twiddles(bool Forward) const noexcept { return Forward ? FForward : FInverse; }
  // Bit reversal of `bits` bits, for index < 2^bits.
  unsigned BitReverse(unsigned index, int bits) const noexcept {
    return static_cast<unsigned>(FReverse[index]) >> (FMaxBits - bits);
  }

private:
  TWorkerPool FPool;
  int FMaxLine = 0;
  int FMaxBits = 0;
  float* FScratch = nullptr;
  std::size_t FScratchFloats = 0;  // per thread
  int FScratchThreads = 0;
  TTwiddle* FForward = nullptr;
  TTwiddle* FInverse = nullptr;
  unsigned short* FReverse = nullptr;
  std::size_t FTableBytes = 0;
};
