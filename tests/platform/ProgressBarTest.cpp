#include "platform/ProgressBar.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include "ControlsTestForm.h"

namespace {

class ProgressBarTest : public ::testing::TestWithParam<std::pair<int, int>> {};

TEST_P(ProgressBarTest, PositionIsHeldInsideTheRange) {
  TOnForm<TProgressBar> bar("ProgressBar");
  bar->SetPosition(GetParam().first);
  EXPECT_EQ(bar->Position(), GetParam().second);
  EXPECT_EQ(SendMessageA(bar->Handle(), PBM_GETPOS, 0, 0), GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(Writes, ProgressBarTest,
                         ::testing::Values(std::make_pair(0, 0), std::make_pair(42, 42),
                                           std::make_pair(100, 100), std::make_pair(101, 100),
                                           std::make_pair(102, 100), std::make_pair(-1, 0)));

}  // namespace
