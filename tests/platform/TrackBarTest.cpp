#include "platform/TrackBar.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include "ControlsTestForm.h"

namespace {

class TrackBarTest : public ::testing::Test {
 protected:
  TrackBarTest() : FTrack("trkTest") {
    FTrack->SetBounds(8, 8, 185, 33);
    FTrack->SetMin(0);
    FTrack->SetMax(100);
    FTrack->SetPosition(10);
    FTrack->OnChange = [this] {
      ++FChanges;
      FSeen = FTrack->Position();
    };
  }

  int ShownPosition() const {
    return static_cast<int>(SendMessageA(FTrack->Handle(), TBM_GETPOS, 0, 0));
  }

  TOnForm<TTrackBar> FTrack;
  int FChanges = 0;
  int FSeen = -1;
};

TEST_F(TrackBarTest, CodeChangeFiresOnceWithTheNewPosition) {
  FTrack->SetPosition(42);
  EXPECT_EQ(FChanges, 1);
  EXPECT_EQ(FSeen, 42);
  EXPECT_EQ(ShownPosition(), 42);
}

TEST_F(TrackBarTest, SamePositionFiresNothing) {
  FTrack->SetPosition(10);
  EXPECT_EQ(FChanges, 0);
}

struct TClampCase {
  const char* Label;
  int Written;
  int Expected;
  int Changes;
};

class TrackBarClampTest : public TrackBarTest, public ::testing::WithParamInterface<TClampCase> {};

TEST_P(TrackBarClampTest, PositionIsClampedAndFiresOnlyWhenItMoves) {
  FTrack->SetPosition(GetParam().Written);
  EXPECT_EQ(FTrack->Position(), GetParam().Expected);
  EXPECT_EQ(ShownPosition(), GetParam().Expected);
  EXPECT_EQ(FChanges, GetParam().Changes);
}

INSTANTIATE_TEST_SUITE_P(
    Writes, TrackBarClampTest,
    ::testing::Values(TClampCase{"AboveMax", 150, 100, 1}, TClampCase{"BelowMin", -5, 0, 1},
                      TClampCase{"AtMax", 100, 100, 1}, TClampCase{"Inside", 11, 11, 1},
                      TClampCase{"Unchanged", 10, 10, 0}),
    [](const ::testing::TestParamInfo<TClampCase>& info) { return info.param.Label; });

TEST_F(TrackBarTest, WritingBeyondTheRangeAgainAtTheEndFiresNothing) {
  FTrack->SetPosition(100);
  FChanges = 0;
  FTrack->SetPosition(500);
  EXPECT_EQ(FTrack->Position(), 100);
  EXPECT_EQ(FChanges, 0);
}

TEST_F(TrackBarTest, MaxBelowPositionPullsItDownAndFiresOnce) {
  FTrack->SetMax(1000);
  FTrack->SetPosition(700);
  FChanges = 0;
  FTrack->SetMax(100);
  EXPECT_EQ(FTrack->Position(), 100);
  EXPECT_EQ(FSeen, 100);
  EXPECT_EQ(FChanges, 1);
  EXPECT_EQ(ShownPosition(), 100);
}

TEST_F(TrackBarTest, RangeChangesThatKeepThePositionFireNothing) {
  FTrack->SetMax(1000);
  FTrack->SetMax(50);
  FTrack->SetMin(5);
  EXPECT_EQ(FTrack->Position(), 10);
  EXPECT_EQ(FChanges, 0);
  EXPECT_EQ(ShownPosition(), 10);
}

TEST_F(TrackBarTest, MinAbovePositionPullsItUpAndFiresOnce) {
  FTrack->SetMin(20);
  EXPECT_EQ(FTrack->Position(), 20);
  EXPECT_EQ(FChanges, 1);
}

TEST_F(TrackBarTest, MinAboveMaxIsRefused) {
  FTrack->SetMin(200);
  EXPECT_EQ(FTrack->Min(), 0);
  EXPECT_EQ(FTrack->Position(), 10);
  EXPECT_EQ(FChanges, 0);
}

TEST_F(TrackBarTest, UserKeyMovesThePositionAndFires) {
  // The control moves its thumb itself and tells the parent by WM_HSCROLL.
  SendMessageA(FTrack->Handle(), WM_KEYDOWN, VK_RIGHT, 0);
  EXPECT_EQ(FTrack->Position(), 11);
  EXPECT_EQ(FSeen, 11);
  EXPECT_EQ(FChanges, 1);
}

TEST_F(TrackBarTest, ScrollMessageWithoutMovementFiresNothing) {
  SendMessageA(SharedForm().Handle(), WM_HSCROLL, MAKEWPARAM(TB_ENDTRACK, 0),
               reinterpret_cast<LPARAM>(FTrack->Handle()));
  EXPECT_EQ(FChanges, 0);
}

TEST_F(TrackBarTest, UserDragReportedByScrollMessageFires) {
  SendMessageA(FTrack->Handle(), TBM_SETPOS, TRUE, 33);
  SendMessageA(SharedForm().Handle(), WM_HSCROLL, MAKEWPARAM(TB_THUMBTRACK, 33),
               reinterpret_cast<LPARAM>(FTrack->Handle()));
  EXPECT_EQ(FTrack->Position(), 33);
  EXPECT_EQ(FChanges, 1);
}

}  // namespace
