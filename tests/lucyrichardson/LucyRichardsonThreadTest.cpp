// Tests of the Lucy-Richardson worker thread and its completion protocol, under Wine.
#include "lucyrichardson/LucyRichardsonThread_win.h"

#include <gtest/gtest.h>

#include <windows.h>

#include "WaitFactor.h"
#include "WorkerChecks.h"
#include "WorkerRecorder.h"

#include <vector>

namespace {

// The worker of the given variant; a run without iterations leaves the observation.
TWorkerCase LucyRichardsonWorker(bool aggressive)
{
  TWorkerCase worker;
  worker.Make = [aggressive] {
    auto* thread = new TLucyRichardsonThread(32, 32);
    thread->Aggressive = aggressive;
    return thread;
  };
  worker.Kernel = [aggressive](TDataContainer& image, TDataContainer& psf, int iterations) {
    Deconvolve(image, psf, iterations, aggressive, nullptr, nullptr);
  };
  worker.Messages = {WM_USER + 133, WM_USER + 134, WM_USER + 135};
  worker.NoIterationResult = [](const std::vector<float>& observed) { return observed; };
  return worker;
}

class DoneTest : public ::testing::TestWithParam<TDoneRun> {};
INSTANTIATE_TEST_SUITE_P(Runs, DoneTest, DoneRuns());

TEST_P(DoneTest, PostsDoneMessageAndWaitsForItsEvent)
{
  CheckDoneRun(LucyRichardsonWorker(false), GetParam());
}

// Terminate requested by progress call `stopAt` of 5; 5 means after the last one. The
// iteration after the request completes its update but makes no progress call.
class StopTest : public ::testing::TestWithParam<std::tuple<int, bool>> {};
INSTANTIATE_TEST_SUITE_P(Calls, StopTest,
                         ::testing::Combine(::testing::Values(1, 3, 5),
                                            ::testing::Values(false, true)));

TEST_P(StopTest, PostsStoppedAndEndsWithoutWaiting)
{
  const auto [stopAt, aggressive] = GetParam();
  CheckStoppedRun(LucyRichardsonWorker(aggressive), stopAt);
}

TEST(LucyRichardsonThreadTest, SettingOneWorkersEventReleasesOnlyThatWorker)
{
  TRecorder recorder;
  auto* first = MakeWorker(LucyRichardsonWorker(true), recorder.Wnd(), 1, true);
  auto* second = MakeWorker(LucyRichardsonWorker(true), recorder.Wnd(), 1, true);
  const TKernelHandle firstEnded = first->DuplicateHandleForWait();
  const TKernelHandle secondEnded = second->DuplicateHandleForWait();
  first->Resume();
  second->Resume();
  recorder.PumpUntil(2);
  ASSERT_EQ(recorder.Posted.size(), 2u);

  first->DoneEvent.Set();
  EXPECT_EQ(firstEnded.Wait(ScaledWaitMs(10000)), static_cast<DWORD>(WAIT_OBJECT_0));
  EXPECT_EQ(secondEnded.Wait(300), static_cast<DWORD>(WAIT_TIMEOUT));
  second->DoneEvent.Set();
  EXPECT_EQ(secondEnded.Wait(ScaledWaitMs(10000)), static_cast<DWORD>(WAIT_OBJECT_0));
}

} // namespace
