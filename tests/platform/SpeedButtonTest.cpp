#include "platform/SpeedButton.h"

#include <gtest/gtest.h>

#include "ControlsTestForm.h"

namespace {

class SpeedButtonTest : public ::testing::Test {
 protected:
  SpeedButtonTest() : FButton("btnAbout") {
    FButton->SetBounds(8, 8, 23, 22);
    FButton->SetFlat(true);
    FButton->OnClick = [this] { ++FClicks; };
    FButton->OnMouseDown = [this](TMouseButton, TShiftState shift, int, int) {
      ++FDowns;
      FDownShift = shift;
    };
    FButton->OnMouseUp = [this](TMouseButton, TShiftState, int, int) { ++FUps; };
  }

  void Send(UINT msg, WPARAM keys, int x, int y) {
    SendMessageA(FButton->Handle(), msg, keys, MAKELPARAM(x, y));
  }

  TOnForm<TSpeedButton> FButton;
  int FClicks = 0, FDowns = 0, FUps = 0;
  TShiftState FDownShift = 0;
};

TEST_F(SpeedButtonTest, IsARealWindowCarryingItsName) {
  EXPECT_EQ(SharedForm().FindControl("btnAbout"), FButton.Get());
  EXPECT_TRUE(IsWindow(FButton->Handle()));
}

TEST_F(SpeedButtonTest, DownWhileHeldAndClickOnReleaseOverIt) {
  Send(WM_LBUTTONDOWN, MK_LBUTTON, 5, 5);
  EXPECT_TRUE(FButton->Down());
  EXPECT_TRUE(FButton->MouseCaptured());
  EXPECT_EQ(FClicks, 0);
  EXPECT_EQ(FDowns, 1);
  EXPECT_EQ(FDownShift & ssLeft, static_cast<TShiftState>(ssLeft));
  Send(WM_LBUTTONUP, 0, 6, 6);
  EXPECT_FALSE(FButton->Down());
  EXPECT_FALSE(FButton->MouseCaptured());
  EXPECT_EQ(FClicks, 1);
  EXPECT_EQ(FUps, 1);
}

TEST_F(SpeedButtonTest, ReleaseOutsideGivesNoClick) {
  Send(WM_LBUTTONDOWN, MK_LBUTTON, 5, 5);
  Send(WM_MOUSEMOVE, MK_LBUTTON, 40, 5);
  EXPECT_FALSE(FButton->Down());  // dragged off: the down state is left
  Send(WM_LBUTTONUP, 0, 40, 5);
  EXPECT_EQ(FClicks, 0);
  EXPECT_EQ(FUps, 1);
}

TEST_F(SpeedButtonTest, ComingBackBeforeReleaseClicks) {
  Send(WM_LBUTTONDOWN, MK_LBUTTON, 5, 5);
  Send(WM_MOUSEMOVE, MK_LBUTTON, -3, 5);
  Send(WM_MOUSEMOVE, MK_LBUTTON, 10, 10);
  EXPECT_TRUE(FButton->Down());
  Send(WM_LBUTTONUP, 0, 10, 10);
  EXPECT_EQ(FClicks, 1);
}

TEST_F(SpeedButtonTest, RightButtonRaisesMouseEventsButNoClick) {
  Send(WM_RBUTTONDOWN, MK_RBUTTON, 5, 5);
  EXPECT_FALSE(FButton->Down());
  Send(WM_RBUTTONUP, 0, 5, 5);
  EXPECT_EQ(FDowns, 1);
  EXPECT_EQ(FUps, 1);
  EXPECT_EQ(FClicks, 0);
}

TEST_F(SpeedButtonTest, LostCaptureEndsThePressWithoutClick) {
  Send(WM_LBUTTONDOWN, MK_LBUTTON, 5, 5);
  ReleaseCapture();
  EXPECT_FALSE(FButton->Down());
  Send(WM_LBUTTONUP, 0, 5, 5);
  EXPECT_EQ(FClicks, 0);
}

TEST_F(SpeedButtonTest, MissingGlyphResourceLeavesNoGlyph) {
  EXPECT_FALSE(FButton->LoadGlyph(GetModuleHandleA(nullptr), "NO_SUCH_GLYPH", RGB(255, 0, 255)));
  EXPECT_EQ(FButton->Glyph(), nullptr);
}

}  // namespace

namespace {

// What the screen shows at client point (x, y) of window.
COLORREF ShownPixel(HWND window, int x, int y) {
  HDC dc = GetDC(window);
  COLORREF pixel = GetPixel(dc, x, y);
  ReleaseDC(window, dc);
  return pixel;
}

TEST_F(SpeedButtonTest, GlyphIsDrawnCentredWithItsTransparentColourKeyedOut) {
  // A 3 x 3 glyph: a black centre on magenta, which must not reach the screen.
  auto glyph = TBitmap24::Create(3, 3);
  glyph->Fill(255, 0, 255);
  glyph->SetPixel(1, 1, 0, 0, 0);
  FButton->SetBounds(8, 8, 15, 7);
  FButton->SetGlyph(std::move(glyph), RGB(255, 0, 255));
  FButton->Repaint();
  PumpFor(50);
  // Centred: the glyph's top left is at ((15 - 3) / 2, (7 - 3) / 2) = (6, 2).
  EXPECT_EQ(ShownPixel(FButton->Handle(), 7, 3), RGB(0, 0, 0));
  for (int y = 2; y < 5; ++y)
    for (int x = 6; x < 9; ++x)
      EXPECT_NE(ShownPixel(FButton->Handle(), x, y), RGB(255, 0, 255)) << x << "," << y;
}

}  // namespace
