#include "WorkerPool.h"

#include "platform/FloatingPointState.h"

namespace {

// Each thread of a transform holds a scratch block of up to 512 KB; in a 32-bit address space
// a few megabytes are the limit.
#if defined(__i386__)
constexpr int kMaxThreads = 16;
#else
constexpr int kMaxThreads = 64;
#endif

}  // namespace

TWorkerPool::TWorkerPool(int Threads) noexcept {
  if (Threads <= 0) Threads = static_cast<int>(std::thread::hardware_concurrency());
  if (Threads > kMaxThreads) Threads = kMaxThreads;
  try {
    FThreads.reserve(Threads > 1 ? Threads - 1 : 0);
    for (int worker = 1; worker < Threads; ++worker)
      FThreads.emplace_back([this, worker] { WorkerLoop(worker); });
  } catch (...) {
    // Fewer threads than asked for; the ones running are enough.
  }
}

TWorkerPool::~TWorkerPool() {
  {
    std::lock_guard<std::mutex> lock(FLock);
    FStop = true;
  }
  FWake.notify_all();
  for (std::thread& thread : FThreads) thread.join();
}

void TWorkerPool::TakeItems(int Worker) noexcept {
  for (int item = FNext.fetch_add(1, std::memory_order_relaxed); item < FCount;
       item = FNext.fetch_add(1, std::memory_order_relaxed))
    FTask(FContext, item, Worker);
}

void TWorkerPool::Run(int Count, TTask Task, void* Context) noexcept {
  if (Count <= 0) return;
  if (Count == 1 || FThreads.empty()) {
    for (int item = 0; item < Count; ++item) Task(Context, item, 0);
    return;
  }
  {
    std::lock_guard<std::mutex> lock(FLock);
    FTask = Task;
    FContext = Context;
    FCount = Count;
    FNext.store(0, std::memory_order_relaxed);
    FBusy = static_cast<int>(FThreads.size());
    ++FGeneration;
  }
  FWake.notify_all();
  TakeItems(0);
  // Every thread reports back, even one that found no item left, so that none of them can
  // still be reading this Run's task when the next one is set up.
  std::unique_lock<std::mutex> lock(FLock);
  FDone.wait(lock, [this] { return FBusy == 0; });
}

void TWorkerPool::WorkerLoop(int Worker) noexcept {
  SetWorkerFloatingPointState();
  unsigned seen = 0;
  for (;;) {
    {
      std::unique_lock<std::mutex> lock(FLock);
      FWake.wait(lock, [&] { return FStop || FGeneration != seen; });
      if (FStop) return;
      seen = FGeneration;
    }
    TakeItems(Worker);
    bool last;
    {
      std::lock_guard<std::mutex> lock(FLock);
      last = --FBusy == 0;
    }
    if (last) FDone.notify_one();
  }
}
