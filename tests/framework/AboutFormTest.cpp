// The about box: its layout and fonts, and every way it closes.
#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "UiTestSupport.h"
#include "framework/AboutForm.h"
#include "framework/Vista.h"

namespace {

const char kCaption[] = "Skelvane for Photoshop";

struct TBoundsCase {
  const char* Name;
  int Left, Top, Width, Height;
};

class AboutLayoutTest : public ::testing::TestWithParam<TBoundsCase> {};

TEST_P(AboutLayoutTest, ControlSitsAtItsPlace) {
  const TBoundsCase& c = GetParam();
  TfrmAbout about;
  RECT rect;
  ASSERT_TRUE(ControlClientRect(about.Handle(), c.Name, rect));
  EXPECT_EQ(c.Left, rect.left);
  EXPECT_EQ(c.Top, rect.top);
  if (c.Width < 0) return;  // a label: sized to its text
  EXPECT_EQ(c.Width, rect.right - rect.left);
  EXPECT_EQ(c.Height, rect.bottom - rect.top);
}

INSTANTIATE_TEST_SUITE_P(
    Controls, AboutLayoutTest,
    ::testing::Values(TBoundsCase{"Shape1", 0, 0, 57, 385}, TBoundsCase{"Image1", 4, 8, 49, 49},
                      TBoundsCase{"Label1", 137, 8, -1, -1}, TBoundsCase{"Label2", 72, 32, -1, -1},
                      TBoundsCase{"Label4", 288, 32, -1, -1}, TBoundsCase{"Label6", 144, 64, -1, -1},
                      TBoundsCase{"Button1", 296, 344, 75, 25}),
    [](const ::testing::TestParamInfo<TBoundsCase>& info) { return std::string(info.param.Name); });

TEST(AboutForm, FormAndOwnFonts) {
  TfrmAbout about;
  EXPECT_EQ(377, about.ClientWidth());
  EXPECT_EQ(377, about.ClientHeight());
  EXPECT_EQ(kCaption, about.Caption());
  // The form and the controls following it carry the icon-title font after creation.
  TFont system;
  SetSystemFont(system);
  EXPECT_EQ(system.Name(), about.Font().Name());
  EXPECT_EQ(system.Name(), about.Label2->Font().Name());
  EXPECT_EQ(system.Name(), about.Button1->Font().Name());
  EXPECT_EQ("Arial", about.Label1->Font().Name());
  EXPECT_EQ(-16, about.Label1->Font().Height());
  EXPECT_EQ(clNavy, about.Label1->Font().Color());
  EXPECT_EQ("Arial", about.Label6->Font().Name());
  EXPECT_EQ(-13, about.Label6->Font().Height());
  EXPECT_EQ(clBlue, about.Label6->Font().Color());
  EXPECT_EQ(static_cast<TFontStyles>(fsUnderline), about.Label6->Font().Style());
  EXPECT_EQ(crHandPoint, about.Label6->Cursor());
  EXPECT_EQ(kWebAddress, about.Label6->Caption());
}

enum class TCloseBy { Click, Enter, FormClick };

struct TCloseCase {
  const char* Label;
  TCloseBy By;
  const char* Control;
};

class AboutCloseTest : public ::testing::TestWithParam<TCloseCase> {};

TEST_P(AboutCloseTest, ClosesTheBox) {
  const TCloseCase& c = GetParam();
  std::atomic<bool> closed{false};
  TUiScript script([&](const std::atomic<bool>& stop) {
    HWND window = WaitForWindow(kCaption, 5000, &stop);
    if (window == nullptr) return;
    Sleep(200);
    if (c.By == TCloseBy::Click) {
      SaveScreenshot(window, ArtifactPath("about-box.png"));
      ClickControl(window, c.Control);
    } else if (c.By == TCloseBy::Enter) {
      PressKey(window, VK_RETURN);
    } else {
      ClickAt(window, 200, 200);  // empty form area
    }
    closed = WaitForHidden(window, 3000);
    if (!closed) PostMessageA(window, WM_CLOSE, 0, 0);
  });
  DoAbout();
  script.Join();
  EXPECT_TRUE(closed);
}

INSTANTIATE_TEST_SUITE_P(
    Ways, AboutCloseTest,
    ::testing::Values(TCloseCase{"Button1", TCloseBy::Click, "Button1"},
                      TCloseCase{"Label1", TCloseBy::Click, "Label1"},
                      TCloseCase{"Label2", TCloseBy::Click, "Label2"},
                      TCloseCase{"Label4", TCloseBy::Click, "Label4"},
                      TCloseCase{"Image1", TCloseBy::Click, "Image1"},
                      TCloseCase{"Form", TCloseBy::FormClick, ""},
                      TCloseCase{"Enter", TCloseBy::Enter, ""}),
    [](const ::testing::TestParamInfo<TCloseCase>& info) { return std::string(info.param.Label); });

TEST(Vista, SystemFontIsIconTitleFont) {
  LOGFONTA expected{};
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETICONTITLELOGFONT, sizeof expected, &expected, 0));
  TFont font;
  SetSystemFont(font);
  EXPECT_STREQ(expected.lfFaceName, font.Name().c_str());
  EXPECT_EQ(expected.lfHeight, font.Height());
}

TEST(Vista, DefaultGuiFontIsStockFont) {
  LOGFONTA expected{};
  ASSERT_NE(0, GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof expected, &expected));
  TFont font;
  SetDefaultGuiFont(font);
  EXPECT_STREQ(expected.lfFaceName, font.Name().c_str());
  EXPECT_EQ(expected.lfHeight, font.Height());
  // The stock object handed over may be released by the font without harm.
  TFont other;
  SetDefaultGuiFont(other);
  EXPECT_NE(nullptr, GetStockObject(DEFAULT_GUI_FONT));
}

}  // namespace
