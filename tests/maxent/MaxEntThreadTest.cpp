// Tests of the maximum-entropy worker thread and its completion protocol, under Wine.
#include "maxent/MaxEntThread_win.h"

#include <gtest/gtest.h>

#include "tests/framework/Generators.h"

#include <windows.h>

#include "WaitFactor.h"
#include "WorkerChecks.h"
#include "WorkerRecorder.h"

#include <stdexcept>
#include <vector>

namespace {

using testgen::Samples;

// The worker; a run without iterations leaves an all-zero plane.
TWorkerCase MaxEntWorker()
{
  TWorkerCase worker;
  worker.Make = [] { return new TMaxEntThread(32, 32); };
  worker.Kernel = [](TDataContainer& image, TDataContainer& psf, int iterations) {
    MaximumEntropyDeconvolve(image, psf, iterations, nullptr, nullptr);
  };
  worker.Messages = {WM_USER + 130, WM_USER + 131, WM_USER + 132};
  worker.NoIterationResult = [](const std::vector<float>&) {
    return std::vector<float>(32 * 32, 0.0f);
  };
  return worker;
}

class DoneTest : public ::testing::TestWithParam<TDoneRun> {};
INSTANTIATE_TEST_SUITE_P(Runs, DoneTest, DoneRuns());

TEST_P(DoneTest, PostsDoneMessageAndWaitsForItsEvent)
{
  CheckDoneRun(MaxEntWorker(), GetParam());
}

// Terminate requested by progress call k of 5; 5 means during the last iteration. The next
// iteration sees the request at its start, before any progress call of its own.
class StopTest : public ::testing::TestWithParam<int> {};
INSTANTIATE_TEST_SUITE_P(Calls, StopTest, ::testing::Values(1, 3, 5));

TEST_P(StopTest, PostsStoppedAndEndsWithoutWaiting)
{
  CheckStoppedRun(MaxEntWorker(), GetParam());
}

TEST(MaxEntThreadTest, ExceptionFromProgressStillEndsWithDoneMessage)
{
  TRecorder recorder;
  auto* worker = MakeWorker(MaxEntWorker(), recorder.Wnd(), 5, true);
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
  EXPECT_EQ(ended.Wait(ScaledWaitMs(10000)), static_cast<DWORD>(WAIT_OBJECT_0));
}

} // namespace
