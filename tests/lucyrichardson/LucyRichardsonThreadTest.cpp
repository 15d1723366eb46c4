// Tests of the Lucy-Richardson worker thread and its completion protocol, under Wine.
#include "lucyrichardson/LucyRichardsonThread.h"

#include <gtest/gtest.h>

#include "tests/framework/Generators.h"

#include <windows.h>

#include "WorkerRecorder.h"

#include <vector>

namespace {

// A worker on a 32 x 32 star field with a small Gaussian PSF, free-on-end as the dialog
// makes it. The caller resumes it.
TLucyRichardsonThread* MakeWorker(HWND wnd, int iterations, bool isPreview, bool aggressive)
{
  auto* worker = new TLucyRichardsonThread(32, 32);
  worker->SetFreeOnTerminate(true);
  worker->Iterations = iterations;
  worker->IsPreview = isPreview;
  worker->Aggressive = aggressive;
  worker->Wnd = wnd;
  FillWorkerTestPlanes(*worker->Image, *worker->PSF);
  return worker;
}

using testgen::Samples;

// The kernel's own result for the worker's planes, computed before the worker runs.
std::vector<float> KernelResult(const TLucyRichardsonThread& worker)
{
  TDataContainer o(32, 32), p(32, 32);
  for (int i = 0; i < 32 * 32; ++i) {
    o.Data[i] = worker.Image->Data[i];
    p.Data[i] = worker.PSF->Data[i];
  }
  Deconvolve(o, p, worker.Iterations, worker.Aggressive, nullptr, nullptr);
  return Samples(o);
}

class DoneTest : public ::testing::TestWithParam<std::tuple<bool, int>> {};
INSTANTIATE_TEST_SUITE_P(Runs, DoneTest,
                         ::testing::Combine(::testing::Values(true, false),
                                            ::testing::Values(0, 3)));

TEST_P(DoneTest, PostsDoneMessageAndWaitsForItsEvent)
{
  const auto [isPreview, iterations] = GetParam();
  TRecorder recorder;
  auto* worker = MakeWorker(recorder.Wnd(), iterations, isPreview, false);
  const auto expected = KernelResult(*worker);
  const auto before = Samples(*worker->Image);
  int calls = 0;
  worker->OnProgress = [&](TThread* sender) {
    EXPECT_EQ(sender, worker);
    ++calls;
  };
  const DWORD id = worker->ThreadID();
  const TKernelHandle ended = worker->DuplicateHandleForWait();
  worker->Resume();

  recorder.PumpUntil(1);
  ASSERT_EQ(recorder.Posted.size(), 1u);
  EXPECT_EQ(recorder.Posted[0].Message, isPreview ? WM_PREVIEWDONE : WM_PROCESSDONE);
  EXPECT_EQ(recorder.Posted[0].ThreadID, id);
  EXPECT_EQ(calls, iterations);
  // Blocked on its event: the thread is still there and its result is readable.
  EXPECT_EQ(ended.Wait(300), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_EQ(Samples(*worker->Image), iterations == 0 ? before : expected);
  worker->DoneEvent.Set();
  // The worker has freed itself; the duplicated handle still tells its end.
  EXPECT_EQ(ended.Wait(10000), static_cast<DWORD>(WAIT_OBJECT_0));
  recorder.PumpUntil(2, 200);
  EXPECT_EQ(recorder.Posted.size(), 1u);
}

// Terminate requested by progress call `stopAt` of 5; 5 means after the last one.
class StopTest : public ::testing::TestWithParam<std::tuple<int, bool>> {};
INSTANTIATE_TEST_SUITE_P(Calls, StopTest,
                         ::testing::Combine(::testing::Values(1, 3, 5),
                                            ::testing::Values(false, true)));

TEST_P(StopTest, PostsStoppedAndEndsWithoutWaiting)
{
  const auto [stopAt, aggressive] = GetParam();
  TRecorder recorder;
  auto* worker = MakeWorker(recorder.Wnd(), 5, false, aggressive);
  int calls = 0;
  worker->OnProgress = [&](TThread* sender) {
    if (++calls == stopAt) sender->Terminate();
  };
  const DWORD id = worker->ThreadID();
  const TKernelHandle ended = worker->DuplicateHandleForWait();
  worker->Resume();

  recorder.PumpUntil(1);
  ASSERT_EQ(recorder.Posted.size(), 1u);
  EXPECT_EQ(recorder.Posted[0].Message, WM_PROCESSSTOPPED);
  EXPECT_EQ(recorder.Posted[0].ThreadID, id);
  // The iteration after the request completed its update but made no progress call.
  EXPECT_EQ(calls, stopAt);
  // Nobody sets the event: the thread ends on its own.
  EXPECT_EQ(ended.Wait(10000), static_cast<DWORD>(WAIT_OBJECT_0));
  recorder.PumpUntil(2, 200);
  EXPECT_EQ(recorder.Posted.size(), 1u);
}

TEST(LucyRichardsonThreadTest, SettingOneWorkersEventReleasesOnlyThatWorker)
{
  TRecorder recorder;
  auto* first = MakeWorker(recorder.Wnd(), 1, true, true);
  auto* second = MakeWorker(recorder.Wnd(), 1, true, true);
  const TKernelHandle firstEnded = first->DuplicateHandleForWait();
  const TKernelHandle secondEnded = second->DuplicateHandleForWait();
  first->Resume();
  second->Resume();
  recorder.PumpUntil(2);
  ASSERT_EQ(recorder.Posted.size(), 2u);

  first->DoneEvent.Set();
  EXPECT_EQ(firstEnded.Wait(10000), static_cast<DWORD>(WAIT_OBJECT_0));
  EXPECT_EQ(secondEnded.Wait(300), static_cast<DWORD>(WAIT_TIMEOUT));
  second->DoneEvent.Set();
  EXPECT_EQ(secondEnded.Wait(10000), static_cast<DWORD>(WAIT_OBJECT_0));
}

} // namespace
