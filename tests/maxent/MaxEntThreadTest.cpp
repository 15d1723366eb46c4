// Tests of the maximum-entropy worker thread and its completion protocol, under Wine.
#include "maxent/MaxEntThread.h"

#include <gtest/gtest.h>

#include "tests/framework/Generators.h"

#include <windows.h>

#include "WorkerRecorder.h"

#include <stdexcept>
#include <vector>

namespace {

// A worker on a 32 x 32 pattern with a small PSF, free-on-end as the dialog makes it. The
// caller resumes it.
TMaxEntThread* MakeWorker(HWND wnd, int iterations, bool isPreview)
{
  auto* worker = new TMaxEntThread(32, 32);
  worker->SetFreeOnTerminate(true);
  worker->Iterations = iterations;
  worker->IsPreview = isPreview;
  worker->Wnd = wnd;
  FillWorkerTestPlanes(*worker->Image, *worker->PSF);
  return worker;
}

using testgen::Samples;

// The kernel's own result for the worker's planes, computed before the worker runs.
std::vector<float> KernelResult(const TMaxEntThread& worker)
{
  TDataContainer image(32, 32), psf(32, 32);
  for (int i = 0; i < 32 * 32; ++i) {
    image.Data[i] = worker.Image->Data[i];
    psf.Data[i] = worker.PSF->Data[i];
  }
  MaximumEntropyDeconvolve(image, psf, worker.Iterations, nullptr, nullptr);
  return Samples(image);
}

class DoneTest : public ::testing::TestWithParam<std::tuple<bool, int>> {};
INSTANTIATE_TEST_SUITE_P(Runs, DoneTest,
                         ::testing::Combine(::testing::Values(true, false),
                                            ::testing::Values(0, 3)));

TEST_P(DoneTest, PostsDoneMessageAndWaitsForItsEvent)
{
  const auto [isPreview, iterations] = GetParam();
  TRecorder recorder;
  auto* worker = MakeWorker(recorder.Wnd(), iterations, isPreview);
  const auto expected = KernelResult(*worker);
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
  // The numbers themselves, which the dialog's message map shares: preview- and process-done.
  EXPECT_EQ(recorder.Posted[0].Message, isPreview ? WM_USER + 131u : WM_USER + 130u);
  EXPECT_EQ(recorder.Posted[0].ThreadID, id);
  EXPECT_EQ(calls, iterations);
  // Blocked on its event: the thread is still there and its result is readable.
  EXPECT_EQ(ended.Wait(300), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_TRUE(worker->Succeeded);
  const auto result = Samples(*worker->Image);
  EXPECT_EQ(result, expected);
  if (iterations == 0) {
    EXPECT_EQ(result, std::vector<float>(32 * 32, 0.0f));
  }
  worker->DoneEvent.Set();
  // The worker has freed itself; the duplicated handle still tells its end.
  EXPECT_EQ(ended.Wait(10000), static_cast<DWORD>(WAIT_OBJECT_0));
  recorder.PumpUntil(2, 200);
  EXPECT_EQ(recorder.Posted.size(), 1u);
}

// Terminate requested by progress call k of 5; 5 means during the last iteration.
class StopTest : public ::testing::TestWithParam<int> {};
INSTANTIATE_TEST_SUITE_P(Calls, StopTest, ::testing::Values(1, 3, 5));

TEST_P(StopTest, PostsStoppedAndEndsWithoutWaiting)
{
  const int stopAt = GetParam();
  TRecorder recorder;
  auto* worker = MakeWorker(recorder.Wnd(), 5, false);
  int calls = 0;
  worker->OnProgress = [&](TThread* sender) {
    if (++calls == stopAt) sender->Terminate();
  };
  const DWORD id = worker->ThreadID();
  const TKernelHandle ended = worker->DuplicateHandleForWait();
  worker->Resume();

  recorder.PumpUntil(1);
  ASSERT_EQ(recorder.Posted.size(), 1u);
  EXPECT_EQ(recorder.Posted[0].Message, WM_USER + 132u);  // process-stopped
  EXPECT_EQ(recorder.Posted[0].ThreadID, id);
  // The next iteration saw the request at its start, before any progress call of its own.
  EXPECT_EQ(calls, stopAt);
  // Nobody sets the event: the thread ends on its own.
  EXPECT_EQ(ended.Wait(10000), static_cast<DWORD>(WAIT_OBJECT_0));
  recorder.PumpUntil(2, 200);
  EXPECT_EQ(recorder.Posted.size(), 1u);
}

TEST(MaxEntThreadTest, ExceptionFromProgressStillEndsWithDoneMessage)
{
  TRecorder recorder;
  auto* worker = MakeWorker(recorder.Wnd(), 5, true);
  const auto observed = Samples(*worker->Image);
  int calls = 0;
  worker->OnProgress = [&](TThread*) {
    if (++calls == 2) throw std::runtime_error("progress failed");
  };
  const TKernelHandle ended = worker->DuplicateHandleForWait();
  worker->Resume();

  recorder.PumpUntil(1);
  ASSERT_EQ(recorder.Posted.size(), 1u);
  EXPECT_EQ(recorder.Posted[0].Message, WM_PREVIEWDONE);
  EXPECT_EQ(calls, 2);
  // The run ended there: the plane holds the observation, marked as no result.
  EXPECT_FALSE(worker->Succeeded);
  EXPECT_EQ(Samples(*worker->Image), observed);
  worker->DoneEvent.Set();
  EXPECT_EQ(ended.Wait(10000), static_cast<DWORD>(WAIT_OBJECT_0));
}

} // namespace
