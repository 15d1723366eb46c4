#include "WorkerChecks.h"

#include <gtest/gtest.h>

#include "WaitFactor.h"
#include "tests/framework/Generators.h"
#include "WorkerRecorder.h"

using testgen::Samples;

namespace {

// The kernel's own result for the worker's planes, computed before the worker runs.
std::vector<float> KernelResult(const TWorkerCase& worker, const TDeconvolutionThread& thread) {
  TDataContainer image(32, 32), psf(32, 32);
  for (int i = 0; i < 32 * 32; ++i) {
    image.Data[i] = thread.Image->Data[i];
    psf.Data[i] = thread.PSF->Data[i];
  }
  worker.Kernel(image, psf, thread.Iterations);
  return Samples(image);
}

}  // namespace

TDeconvolutionThread* MakeWorker(const TWorkerCase& worker, HWND wnd, int iterations,
                                 bool isPreview) {
  TDeconvolutionThread* thread = worker.Make();
  thread->SetFreeOnTerminate(true);
  thread->Iterations = iterations;
  thread->IsPreview = isPreview;
  thread->Wnd = wnd;
  FillWorkerTestPlanes(*thread->Image, *thread->PSF);
  return thread;
}

void CheckDoneRun(const TWorkerCase& worker, const TDoneRun& run) {
  const auto [isPreview, iterations] = run;
  TRecorder recorder;
  TDeconvolutionThread* thread = MakeWorker(worker, recorder.Wnd(), iterations, isPreview);
  const auto expected = KernelResult(worker, *thread);
  const auto observed = Samples(*thread->Image);
  int calls = 0;
  thread->OnProgress = [&](TThread* sender) {
    EXPECT_EQ(sender, thread);
    ++calls;
  };
  const DWORD id = thread->ThreadID();
  const TKernelHandle ended = thread->DuplicateHandleForWait();
  thread->Resume();

  recorder.PumpUntil(1);
  ASSERT_EQ(recorder.Posted.size(), 1u);
  EXPECT_EQ(recorder.Posted[0].Message,
            isPreview ? worker.Messages.PreviewDone : worker.Messages.ProcessDone);
  EXPECT_EQ(recorder.Posted[0].ThreadID, id);
  EXPECT_EQ(calls, iterations);
  // Blocked on its event: the thread is still there and its result is readable.
  EXPECT_EQ(ended.Wait(300), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_TRUE(thread->Succeeded);
  const auto result = Samples(*thread->Image);
  EXPECT_EQ(result, expected);
  if (iterations == 0) EXPECT_EQ(result, worker.NoIterationResult(observed));
  thread->DoneEvent.Set();
  // The worker has freed itself; the duplicated handle still tells its end.
  EXPECT_EQ(ended.Wait(ScaledWaitMs(10000)), static_cast<DWORD>(WAIT_OBJECT_0));
  recorder.PumpUntil(2, 200);
  EXPECT_EQ(recorder.Posted.size(), 1u);
}

void CheckStoppedRun(const TWorkerCase& worker, int stopAt) {
  TRecorder recorder;
  TDeconvolutionThread* thread = MakeWorker(worker, recorder.Wnd(), 5, false);
  int calls = 0;
  thread->OnProgress = [&](TThread* sender) {
    if (++calls == stopAt) sender->Terminate();
  };
  const DWORD id = thread->ThreadID();
  const TKernelHandle ended = thread->DuplicateHandleForWait();
  thread->Resume();

  recorder.PumpUntil(1);
  ASSERT_EQ(recorder.Posted.size(), 1u);
  EXPECT_EQ(recorder.Posted[0].Message, worker.Messages.ProcessStopped);
  EXPECT_EQ(recorder.Posted[0].ThreadID, id);
  // The request ended the run before another progress call.
  EXPECT_EQ(calls, stopAt);
  // Nobody sets the event: the thread ends on its own.
  EXPECT_EQ(ended.Wait(ScaledWaitMs(10000)), static_cast<DWORD>(WAIT_OBJECT_0));
  recorder.PumpUntil(2, 200);
  EXPECT_EQ(recorder.Posted.size(), 1u);
}
