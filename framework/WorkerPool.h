// A small pool of worker threads that a deconvolution run creates once and hands the blocks of
// its transforms and per-pixel passes to.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <thread>
#include <vector>

class TWorkerPool {
public:
  // Threads: how many threads work, the calling one included; 0 means one per processor.
  // Threads that cannot be started are simply missing: the calling thread always works, so
  // a pool never fails, and since no result depends on which thread does an item, a smaller
  // pool gives the same bits.
  explicit TWorkerPool(int Threads = 0) noexcept;
  ~TWorkerPool();
  TWorkerPool(const TWorkerPool&) = delete;
  TWorkerPool& operator=(const TWorkerPool&) = delete;

  // Working threads, the calling one included (at least 1).
  int Size() const noexcept { return static_cast<int>(FThreads.size()) + 1; }

  // Calls Task(Item, Worker) for every Item in [0, Count) and returns when all are done.
  // Worker, in [0, Size()), tells which thread runs the call (0 is the calling thread), so a
  // task can keep per-thread scratch. Task must not throw. Not reentrant: one Run at a time.
  template <class F> void ForEach(int Count, F&& Task) noexcept {
    Run(Count, [](void* context, int item, int worker) { (*static_cast<F*>(context))(item, worker); },
        &Task);
  }

  // Calls Task(Begin, End) on consecutive ranges of [0, Count), in parallel.
  template <class F> void ForRange(std::ptrdiff_t Count, F&& Task) noexcept {
    const std::ptrdiff_t chunk = kRangeChunk;
    const int items = static_cast<int>((Count + chunk - 1) / chunk);
    ForEach(items, [&](int item, int) {
      const std::ptrdiff_t begin = item * chunk;
      Task(begin, begin + chunk < Count ? begin + chunk : Count);
    });
  }

private:
  using TTask = void (*)(void* context, int item, int worker);
  // Samples per range: large enough to hide the hand-over, small enough to balance 8 threads
  // on a 1024 x 1024 plane.
  static constexpr std::ptrdiff_t kRangeChunk = 32768;

  void Run(int Count, TTask Task, void* Context) noexcept;
  void WorkerLoop(int Worker) noexcept;
  void TakeItems(int Worker) noexcept;

  std::vector<std::thread> FThreads;
  std::mutex FLock;
  std::condition_variable FWake;
  std::condition_variable FDone;
  unsigned FGeneration = 0;  // counts Run calls; a change wakes the threads
  int FBusy = 0;             // threads still working on the current Run
  bool FStop = false;
  TTask FTask = nullptr;
  void* FContext = nullptr;
  int FCount = 0;
  std::atomic<int> FNext{0};
};
