#include "platform/Timer.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

#include "ControlsTestForm.h"
#include "WaitFactor.h"

namespace {

TEST(TimerTest, FiresRepeatedlyWhileEnabled) {
  TTimer timer;
  int ticks = 0;
  timer.SetInterval(20);
  timer.SetOnTimer([&] { ++ticks; });
  EXPECT_TRUE(PumpUntil([&] { return ticks >= 3; }, ScaledWaitMs(3000)));
}

TEST(TimerTest, DisabledTimerDoesNotFire) {
  TTimer timer;
  int ticks = 0;
  timer.SetEnabled(false);
  timer.SetInterval(10);
  timer.SetOnTimer([&] { ++ticks; });
  PumpFor(150);
  EXPECT_EQ(ticks, 0);
  timer.SetEnabled(true);
  EXPECT_TRUE(PumpUntil([&] { return ticks >= 1; }, ScaledWaitMs(3000)));
  timer.SetEnabled(false);
  int seen = ticks;
  PumpFor(150);
  EXPECT_EQ(ticks, seen);
}

TEST(TimerTest, HandlerMayDestroyItsTimerAndExceptionsStayAtTheTick) {
  auto timer = std::make_unique<TTimer>();
  int ticks = 0;
  timer->SetInterval(10);
  timer->SetOnTimer([&] {
    ++ticks;
    timer.reset();
    throw std::runtime_error("tick");
  });
  PumpFor(200);
  EXPECT_EQ(ticks, 1);
}

TEST(TimerTest, DestroyedTimerNoLongerFires) {
  int ticks = 0;
  {
    TTimer timer;
    timer.SetInterval(10);
    timer.SetOnTimer([&] { ++ticks; });
  }
  PumpFor(100);
  EXPECT_EQ(ticks, 0);
}

}  // namespace
