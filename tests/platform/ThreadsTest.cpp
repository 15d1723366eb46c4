#include "platform/Event.h"
#include "platform/Threads.h"
#include "WaitFactor.h"

#include <gtest/gtest.h>

#include <float.h>
#include <xmmintrin.h>

#include <atomic>
#include <functional>
#include <stdexcept>
#include <string>

namespace {

// Runs the thread's message loop until handle is signalled; false on timeout.
bool PumpUntilSignalled(HANDLE handle, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  for (;;) {
    DWORD elapsed = GetTickCount() - start;
    if (elapsed >= timeoutMs) return false;
    DWORD r = MsgWaitForMultipleObjects(1, &handle, FALSE, timeoutMs - elapsed, QS_ALLINPUT);
    if (r == WAIT_OBJECT_0) return true;
    if (r != WAIT_OBJECT_0 + 1) return false;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  }
}

// A worker whose body is a function, for tests that only need Execute to do one thing.
class TLambdaThread : public TThread {
 public:
  explicit TLambdaThread(std::function<void(TLambdaThread&)> body) : FBody(std::move(body)) {}
  using TThread::Synchronize;

 protected:
  void Execute() override { FBody(*this); }

 private:
  std::function<void(TLambdaThread&)> FBody;
};

TEST(TThread, SynchronizeRunsOnTheCreatingThreadWhileTheWorkerWaits) {
  DWORD uiThread = GetCurrentThreadId();
  DWORD ranOn = 0;
  bool returnedAfterRun = false;
  TLambdaThread worker([&](TLambdaThread& self) {
    int calls = 0;
    for (int i = 0; i < 3; ++i) self.Synchronize([&] { ranOn = GetCurrentThreadId(); ++calls; });
    returnedAfterRun = calls == 3;  // every call had finished before Synchronize returned
  });
  EXPECT_NE(worker.ThreadID(), uiThread);
  worker.Resume();
  ASSERT_TRUE(PumpUntilSignalled(worker.Handle(), ScaledWaitMs(10000)));
  EXPECT_EQ(ranOn, uiThread);
  EXPECT_TRUE(returnedAfterRun);
}

TEST(TThread, SynchronizePassesTheMethodsExceptionBackToTheWorker) {
  std::string caught;
  TLambdaThread worker([&](TLambdaThread& self) {
    try {
      self.Synchronize([] { throw std::runtime_error("from the dialog"); });
    } catch (const std::runtime_error& e) {
      caught = e.what();
    }
  });
  worker.Resume();
  ASSERT_TRUE(PumpUntilSignalled(worker.Handle(), ScaledWaitMs(10000)));
  EXPECT_EQ(caught, "from the dialog");
}

TEST(TThread, SynchronizeOnTheCreatingThreadRunsAtOnce) {
  TLambdaThread worker([](TLambdaThread&) {});
  bool ran = false;
  worker.Synchronize([&] { ran = true; });
  EXPECT_TRUE(ran);
}

TEST(TThread, WorkerSeesTheTerminateRequest) {
  std::atomic<bool> started{false};
  std::atomic<bool> sawRequest{false};
  TLambdaThread worker([&](TLambdaThread& self) {
    started = true;
    DWORD begin = GetTickCount();
    while (!self.Terminated() && GetTickCount() - begin < ScaledWaitMs(10000)) Sleep(1);
    sawRequest = self.Terminated();
  });
  EXPECT_FALSE(worker.Terminated());
  worker.Resume();
  while (!started) Sleep(1);
  worker.Terminate();
  worker.WaitFor();
  EXPECT_TRUE(sawRequest);
}

std::atomic<DWORD> gDestroyedOn{0};

class TSelfFreeing : public TThread {
 public:
  ~TSelfFreeing() override { gDestroyedOn = GetCurrentThreadId(); }
  std::atomic<DWORD> RanOn{0};

 protected:
  void Execute() override {
    RanOn = GetCurrentThreadId();
    Sleep(50);  // the owner is already waiting on its own handle
  }
};

TEST(TThread, FreeOnTerminateObjectGoesWhileTheOwnerWaitsOnItsOwnHandle) {
  gDestroyedOn = 0;
  auto* worker = new TSelfFreeing;
  worker->SetFreeOnTerminate(true);
  DWORD workerId = worker->ThreadID();
  TKernelHandle ended = worker->DuplicateHandleForWait();
  worker->Resume();
  worker = nullptr;  // from here on the object may be gone at any moment
  ASSERT_EQ(ended.Wait(ScaledWaitMs(10000)), static_cast<DWORD>(WAIT_OBJECT_0));
  EXPECT_EQ(gDestroyedOn, workerId);
}

TEST(TThread, DestroyingANeverResumedThreadSkipsExecute) {
  std::atomic<bool> ran{false};
  {
    TLambdaThread worker([&](TLambdaThread&) { ran = true; });
  }
  EXPECT_FALSE(ran);
}

TEST(TThread, WorkerRunsWithAllFloatingPointExceptionsMaskedAt53Bits) {
  unsigned control = 0;
  unsigned mxcsr = 0;
  TLambdaThread worker([&](TLambdaThread&) {
    control = _controlfp(0, 0);
    mxcsr = _mm_getcsr();
  });
  worker.Resume();
  worker.WaitFor();
  EXPECT_EQ(control & _MCW_EM, static_cast<unsigned>(_MCW_EM));
  EXPECT_EQ(mxcsr & 0xFFC0u, 0x1F80u);  // all masked, round to nearest, no flush to zero
#if defined(__i386__)
  // The precision of a new thread, whatever the host's: the runtime's exp and log run on the
  // x87 unit, and the transform pool's threads must give the same bits as the worker.
  EXPECT_EQ(control & _MCW_PC, static_cast<unsigned>(_PC_53));
#endif
}

TEST(TEvent, AutomaticResetReleasesOneWait) {
  TEvent event(false, false);
  EXPECT_EQ(event.WaitFor(0), wrTimeout);
  event.Set();
  EXPECT_EQ(event.WaitFor(0), wrSignaled);
  EXPECT_EQ(event.WaitFor(0), wrTimeout);
}

TEST(TEvent, ManualResetStaysSetUntilReset) {
  TEvent event(true, true);
  EXPECT_EQ(event.WaitFor(0), wrSignaled);
  EXPECT_EQ(event.WaitFor(0), wrSignaled);
  event.Reset();
  EXPECT_EQ(event.WaitFor(0), wrTimeout);
}

TEST(TEvent, SameNameOpensTheSameObject) {
  std::string name = "SkelvaneEventTest" + std::to_string(GetCurrentProcessId());
  TEvent first(false, false, name);
  TEvent second(false, false, name);
  first.Set();
  EXPECT_EQ(second.WaitFor(0), wrSignaled);
  EXPECT_EQ(first.WaitFor(0), wrTimeout) << "the one signal was taken through the other object";
}

TEST(TEvent, ReleasesAWaitingWorker) {
  TEvent go(false, false);
  std::atomic<bool> released{false};
  TLambdaThread worker([&](TLambdaThread&) { released = go.WaitFor(ScaledWaitMs(10000)) == wrSignaled; });
  worker.Resume();
  Sleep(20);
  EXPECT_FALSE(released);
  go.Set();
  worker.WaitFor();
  EXPECT_TRUE(released);
}

}  // namespace
