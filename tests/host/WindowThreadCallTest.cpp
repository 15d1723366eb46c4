// Work handed to the thread that owns a window, from the test window's own thread and from a
// second one.
#include "WindowThreadCall.h"

#include "AutomationTestWindow.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

// The work refers to the caller's stack, so work that has started is waited for even when it
// outlasts the caller's timeout, as it does here once the owner has taken the message.
TEST(RunOnWindowThreadTest, RunsTheWorkOnTheThreadThatOwnsTheWindowAndWaitsForItsEnd) {
  TTestWindow window;
  const DWORD owner = GetCurrentThreadId();
  DWORD ranOn = 0;
  std::atomic<bool> returned{false};
  bool result = false;
  DWORD ranOnAtReturn = 0;
  std::thread caller([&] {
    result = RunOnWindowThread(window.Handle(), 1000, [&ranOn] {
      Sleep(1500);
      ranOn = GetCurrentThreadId();
    });
    ranOnAtReturn = ranOn;
    returned = true;
  });
  while (!returned) PumpMessages(5);
  caller.join();
  EXPECT_TRUE(result);
  EXPECT_EQ(owner, ranOnAtReturn);

  ranOn = 0;
  EXPECT_TRUE(RunOnWindowThread(window.Handle(), 0, [&ranOn] { ranOn = GetCurrentThreadId(); }));
  EXPECT_EQ(owner, ranOn);
}

TEST(RunOnWindowThreadTest, GivesUpOnAThreadThatDoesNotAnswerInTime) {
  TTestWindow window;
  int runs = 0;
  bool result = true;
  std::thread caller([&] { result = RunOnWindowThread(window.Handle(), 200, [&runs] { ++runs; }); });
  caller.join();  // without pumping: this thread does not answer meanwhile
  PumpMessages(200);
  EXPECT_FALSE(result);
  EXPECT_EQ(0, runs);
}

}  // namespace
