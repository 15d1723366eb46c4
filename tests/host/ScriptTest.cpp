// Drives a raw Win32 test window with scripts from the runner's thread while this thread pumps.
#include "Script.h"

#include "AutomationTestWindow.h"
#include "Screenshot.h"
#include "TempFolder.h"
#include "WaitFactor.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace {

const char kOpen[] = "window \"Automation Test\"\n";

// Runs the script while this thread pumps the test window's messages; "" on success.
std::string RunScript(const std::string& text, unsigned timeoutMs = 60000) {
  TScriptRunner runner(text, TestTempFolder());
  runner.Start();
  const DWORD start = GetTickCount();
  while (!runner.Wait(0)) {
    if (GetTickCount() - start > ScaledWaitMs(timeoutMs)) return "the script did not finish";
    PumpMessages(5);
  }
  PumpMessages(20);  // whatever the last command caused
  return runner.Succeeded() ? "" : runner.Error();
}

class ScriptTest : public ::testing::Test {
 protected:
  TTestWindow Window;
};

TEST_F(ScriptTest, Click_PushButtonCountsEachClick) {
  EXPECT_EQ("", RunScript(std::string(kOpen) + "click btnPush\nclick btnPush\n"));
  EXPECT_EQ(2, Window.Log.PushClicks);
}

TEST_F(ScriptTest, Click_OtherControlGetsButtonDownAndUpAtItsCentreOrThePoint) {
  EXPECT_EQ("", RunScript(std::string(kOpen) + "click pnlCanvas\nclick-at pnlCanvas 5 7\n"));
  const auto& mouse = Window.Log.CanvasMouse;
  ASSERT_EQ(4u, mouse.size());
  EXPECT_EQ(static_cast<UINT>(WM_LBUTTONDOWN), mouse[0].Message);
  EXPECT_EQ(static_cast<WPARAM>(MK_LBUTTON), mouse[0].Keys);
  EXPECT_EQ(100, mouse[0].X);
  EXPECT_EQ(50, mouse[0].Y);
  EXPECT_EQ(static_cast<UINT>(WM_LBUTTONUP), mouse[1].Message);
  EXPECT_EQ(static_cast<UINT>(WM_LBUTTONDOWN), mouse[2].Message);
  EXPECT_EQ(5, mouse[2].X);
  EXPECT_EQ(7, mouse[2].Y);
  EXPECT_EQ(static_cast<UINT>(WM_LBUTTONUP), mouse[3].Message);
  EXPECT_EQ(5, mouse[3].X);
}

TEST_F(ScriptTest, Set_TrackBarNotifiesTheParentAsADragEndsWithTheNewPosition) {
  EXPECT_EQ("", RunScript(std::string(kOpen) + "set trkLevel 42\nset trkLevel 100\n"));
  const auto& scrolls = Window.Log.Scrolls;
  ASSERT_EQ(4u, scrolls.size());
  EXPECT_EQ(TB_THUMBPOSITION, scrolls[0].Code);
  EXPECT_EQ(42, scrolls[0].Position);
  EXPECT_EQ(42, scrolls[0].TrackPosition);
  EXPECT_EQ(TB_ENDTRACK, scrolls[1].Code);
  EXPECT_EQ(42, scrolls[1].TrackPosition);
  EXPECT_EQ(TB_THUMBPOSITION, scrolls[2].Code);
  EXPECT_EQ(100, scrolls[2].TrackPosition);
  EXPECT_EQ(TB_ENDTRACK, scrolls[3].Code);
}

TEST_F(ScriptTest, Set_ComboBoxByTextOrIndexNotifiesTheSelection) {
  EXPECT_EQ("", RunScript(std::string(kOpen) + "set cboMode Gamma\nset cboMode 1\nexpect-text cboMode Beta\n"));
  EXPECT_EQ((std::vector<int>{2, 1}), Window.Log.ComboSelections);
}

TEST_F(ScriptTest, Set_CheckBoxClicksOnlyWhenTheStateDiffers) {
  EXPECT_EQ("", RunScript(std::string(kOpen) + "set chkOption 1\nset chkOption 1\nset chkOption 0\nset chkOption 1\n"));
  EXPECT_EQ(3, Window.Log.CheckClicks);
  EXPECT_EQ(BST_CHECKED, SendMessageA(Window.Control("chkOption"), BM_GETCHECK, 0, 0));
}

TEST_F(ScriptTest, Set_RadioGroupByCaptionOrIndexAndRadioItemByName) {
  EXPECT_EQ("", RunScript(std::string(kOpen) + "set grpSize Large\nset grpSize 0\nset rdoLarge 1\nset rdoLarge 1\n"));
  EXPECT_EQ((std::vector<std::string>{"Large", "Small", "Large"}), Window.Log.RadioClicks);
  EXPECT_EQ(BST_CHECKED, SendMessageA(Window.Control("rdoLarge"), BM_GETCHECK, 0, 0));
  EXPECT_EQ(BST_UNCHECKED, SendMessageA(Window.Control("rdoSmall"), BM_GETCHECK, 0, 0));
}

TEST_F(ScriptTest, Set_EditReplacesTheWholeTextAndTheEditReportsTheChange) {
  EXPECT_EQ("", RunScript(std::string(kOpen) + "set edtNumber 12\nset edtNumber \"3 \\\"4\\\"\"\n"
                                                "expect-text edtNumber \"3 \\\"4\\\"\"\n"));
  EXPECT_EQ(2, Window.Log.EditChanges);
  EXPECT_EQ("", Window.Log.EditChars);  // replaced, not typed: the character filter is not involved
}

TEST_F(ScriptTest, Type_CharactersArriveAsWmCharSoTheEditsFilterRuns) {
  EXPECT_EQ("", RunScript(std::string(kOpen) + "type edtNumber \"4x2 7\"\nexpect-text edtNumber 427\n"));
  EXPECT_EQ("4x2 7", Window.Log.EditChars);
}

TEST_F(ScriptTest, Key_ReachesTheControlAsDownAndUp) {
  EXPECT_EQ("", RunScript(std::string(kOpen) + "key pnlCanvas UP\nkey pnlCanvas 0x41\nkey pnlCanvas RETURN\n"));
  const std::vector<UINT> expected{VK_UP, 'A', VK_RETURN};
  EXPECT_EQ(expected, Window.Log.CanvasKeysDown);
  EXPECT_EQ(expected, Window.Log.CanvasKeysUp);
}

TEST_F(ScriptTest, Wheel_TurnsByWholeNotchesAtTheFocusedControl) {
  EXPECT_EQ("", RunScript(std::string(kOpen) + "wheel pnlCanvas -1\nwheel pnlCanvas +1\n"));
  EXPECT_EQ((std::vector<int>{-WHEEL_DELTA, WHEEL_DELTA}), Window.Log.CanvasWheel);
  EXPECT_TRUE(Window.Log.CanvasHadFocusOnWheel);
}

TEST_F(ScriptTest, Drag_ProducesDownMovesWithTheButtonAndUpAtClientCoordinates) {
  EXPECT_EQ("", RunScript(std::string(kOpen) + "drag pnlCanvas 10 20 50 60 4\n"));
  struct TStep {
    UINT Message;
    WPARAM Keys;
    int X, Y;
  };
  const std::vector<TStep> expected{{WM_LBUTTONDOWN, MK_LBUTTON, 10, 20}, {WM_MOUSEMOVE, MK_LBUTTON, 20, 30},
                                    {WM_MOUSEMOVE, MK_LBUTTON, 30, 40},   {WM_MOUSEMOVE, MK_LBUTTON, 40, 50},
                                    {WM_MOUSEMOVE, MK_LBUTTON, 50, 60},   {WM_LBUTTONUP, 0, 50, 60}};
  const auto& mouse = Window.Log.CanvasMouse;
  ASSERT_EQ(expected.size(), mouse.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(expected[i].Message, mouse[i].Message);
    EXPECT_EQ(expected[i].Keys, mouse[i].Keys);
    EXPECT_EQ(expected[i].X, mouse[i].X);
    EXPECT_EQ(expected[i].Y, mouse[i].Y);
  }
}

TEST_F(ScriptTest, Hold_KeepsTheButtonDownForTheGivenTime) {
  EXPECT_EQ("", RunScript(std::string(kOpen) + "hold pnlCanvas 300\n"));
  const auto& mouse = Window.Log.CanvasMouse;
  ASSERT_EQ(2u, mouse.size());
  EXPECT_EQ(static_cast<UINT>(WM_LBUTTONDOWN), mouse[0].Message);
  EXPECT_EQ(static_cast<UINT>(WM_LBUTTONUP), mouse[1].Message);
  EXPECT_GE(mouse[1].TimeMs - mouse[0].TimeMs, 280u);  // GetTickCount has a coarse resolution
}

TEST_F(ScriptTest, WaitCommands_WaitUntilTheControlChanges) {
  EXPECT_EQ("", RunScript(std::string(kOpen) +
                          "wait-disabled btnLater 100\n"
                          "click btnPush\n"
                          "expect-enabled btnLater 0\n"
                          "wait-enabled btnLater 5000\n"
                          "expect-enabled btnLater 1\n"
                          "wait-text lblStatus Ready 5000\n"
                          "expect-text lblStatus Ready\n"));
}

TEST_F(ScriptTest, Window_WaitsForALateWindowAndMatchesACaptionPrefix) {
  TScriptRunner runner("window Late 5000\nclick btnPush\n", TestTempFolder());
  runner.Start();
  PumpMessages(300);
  TTestWindow late("Late Window");
  const DWORD start = GetTickCount();
  while (!runner.Wait(0) && GetTickCount() - start < ScaledWaitMs(20000)) PumpMessages(5);
  PumpMessages(20);
  EXPECT_TRUE(runner.Succeeded()) << runner.Error();
  EXPECT_EQ(1, late.Log.PushClicks);
  EXPECT_EQ(0, Window.Log.PushClicks);
}

TEST_F(ScriptTest, Click_ThatOpensAMessageBoxDoesNotBlockTheScript) {
  EXPECT_EQ("", RunScript(std::string(kOpen) +
                          "click btnAsk\n"
                          "window Question\n"
                          "close\n"
                          "wait-closed\n"
                          "window \"Automation Test\"\n"
                          "click btnPush\n"));
  EXPECT_EQ(1, Window.Log.PushClicks);
}

TEST_F(ScriptTest, Close_SendsTheWindowAwayAndWaitClosedSeesIt) {
  EXPECT_EQ("", RunScript(std::string(kOpen) + "close\nwait-closed 5000\n"));
  EXPECT_FALSE(IsWindow(Window.Handle()));
}

// Reads back a PNG made of stored deflate blocks with filter type None, as WritePng writes
// it: width, height and the RGB samples.
struct TPng {
  int Width = 0;
  int Height = 0;
  int ColourType = -1;
  std::vector<uint8_t> Rgb;
};

uint32_t BigEndian(const uint8_t* bytes) {
  return (uint32_t(bytes[0]) << 24) | (uint32_t(bytes[1]) << 16) | (uint32_t(bytes[2]) << 8) | bytes[3];
}

bool ReadStoredPng(const std::string& path, TPng& png) {
  std::ifstream file(path, std::ios::binary);
  std::vector<uint8_t> data((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (data.size() < 8 || !std::equal(kSignature, kSignature + 8, data.begin())) return false;
  std::vector<uint8_t> z;
  for (size_t at = 8; at + 12 <= data.size();) {
    const uint32_t length = BigEndian(&data[at]);
    const std::string type(data.begin() + static_cast<long>(at) + 4, data.begin() + static_cast<long>(at) + 8);
    if (at + 12 + length > data.size()) return false;
    const uint8_t* body = &data[at + 8];
    if (type == "IHDR") {
      png.Width = static_cast<int>(BigEndian(body));
      png.Height = static_cast<int>(BigEndian(body + 4));
      png.ColourType = body[9];
    } else if (type == "IDAT") {
      z.insert(z.end(), body, body + length);
    }
    at += 12 + length;
  }
  std::vector<uint8_t> raw;
  for (size_t at = 2; at + 5 <= z.size();) {
    const bool last = (z[at] & 1) != 0;
    if ((z[at] & 6) != 0) return false;  // not a stored block
    const size_t length = z[at + 1] | (size_t(z[at + 2]) << 8);
    raw.insert(raw.end(), z.begin() + static_cast<long>(at) + 5, z.begin() + static_cast<long>(at + 5 + length));
    at += 5 + length;
    if (last) break;
  }
  const size_t rowBytes = static_cast<size_t>(png.Width) * 3;
  if (png.ColourType != 2 || raw.size() != (rowBytes + 1) * static_cast<size_t>(png.Height)) return false;
  for (int y = 0; y < png.Height; ++y) {
    const auto row = raw.begin() + static_cast<long>((rowBytes + 1) * static_cast<size_t>(y));
    if (*row != 0) return false;
    png.Rgb.insert(png.Rgb.end(), row + 1, row + 1 + static_cast<long>(rowBytes));
  }
  return true;
}

COLORREF PixelAt(const TPng& png, int x, int y) {
  const size_t at = (static_cast<size_t>(y) * static_cast<size_t>(png.Width) + static_cast<size_t>(x)) * 3;
  return RGB(png.Rgb[at], png.Rgb[at + 1], png.Rgb[at + 2]);
}

TEST_F(ScriptTest, Screenshot_WritesAPngOfTheWholeWindowAsTheScreenShowsIt) {
  const std::string path = TestTempPath("shot.png");
  EXPECT_EQ("", RunScript(std::string(kOpen) + "screenshot shot.png\n"));
  TPng png;
  ASSERT_TRUE(ReadStoredPng(path, png));
  RECT bounds;
  GetWindowRect(Window.Handle(), &bounds);
  EXPECT_EQ(bounds.right - bounds.left, png.Width);
  EXPECT_EQ(bounds.bottom - bounds.top, png.Height);
  // Where the client area and the canvas lie inside the window rectangle.
  POINT client{0, 0};
  ClientToScreen(Window.Handle(), &client);
  const int clientX = client.x - bounds.left;
  const int clientY = client.y - bounds.top;
  EXPECT_EQ(kTestBackground, PixelAt(png, clientX + 300, clientY + 300));  // no control there
  EXPECT_EQ(kTestCanvasColour, PixelAt(png, clientX + 8 + 100, clientY + 120 + 50));
}

TEST(ScreenshotTest, SaveWindowScreenshot_RefusesAWindowThatDoesNotExist) {
  EXPECT_FALSE(SaveWindowScreenshot(nullptr, TestTempPath("none.png")));
}

struct TFailureCase {
  const char* Title;
  const char* Script;
  int Line;
  std::string Fragment;
};

class ScriptFailureTest : public ScriptTest, public ::testing::WithParamInterface<TFailureCase> {};

TEST_P(ScriptFailureTest, StopsWithTheLineAndLeavesTheWindowOpen) {
  const TFailureCase& failure = GetParam();
  const std::string error = RunScript(failure.Script);
  EXPECT_EQ(0u, error.find("line " + std::to_string(failure.Line) + ":")) << error;
  EXPECT_NE(std::string::npos, error.find(failure.Fragment)) << error;
  EXPECT_TRUE(IsWindowVisible(Window.Handle()));
  EXPECT_EQ(0, Window.Log.PushClicks);  // nothing after the failure (or before an error in the text) ran
}

const TFailureCase kFailures[] = {
    {"FailedExpectation", "# checks\n\nwindow \"Automation Test\"\nexpect-text edtNumber \"5\"\nclick btnPush\n", 4,
     "expected \"5\""},
    {"UnknownControl", "window \"Automation Test\"\nclick btnMissing\nclick btnPush\n", 2, "btnMissing"},
    {"DisabledControl", "window \"Automation Test\"\nclick btnLater\nclick btnPush\n", 2, "disabled"},
    // The time a wait took, which is the one the script gave times the wait factor.
    {"WaitTimesOut", "window \"Automation Test\"\nwait-enabled btnLater 200\nclick btnPush\n", 2,
     "within " + std::to_string(ScaledWaitMs(200)) + " ms"},
    {"NoWindow", "window \"No Such Window\" 200\nclick btnPush\n", 1, "No Such Window"},
    {"NoCurrentWindow", "click btnPush\n", 1, "no current window"},
    {"TrackBarOutOfRange", "window \"Automation Test\"\nset trkLevel 101\nclick btnPush\n", 2, "0..100"},
    {"UnknownComboItem", "window \"Automation Test\"\nset cboMode Delta\nclick btnPush\n", 2, "Delta"},
    {"UnknownCommandFoundBeforeAnythingRuns", "window \"Automation Test\"\nclick btnPush\nclik btnPush\n", 3,
     "unknown command 'clik'"},
    {"MissingQuote", "window \"Automation Test\"\nclick btnPush\nexpect-text lblStatus \"Ready\n", 3, "quote"},
    {"NotANumber", "window \"Automation Test\"\nclick btnPush\nsleep soon\n", 3, "not a number"},
    {"WrongArgumentCount", "window \"Automation Test\"\nclick btnPush\ndrag pnlCanvas 1 2 3\n", 3, "usage"},
};

INSTANTIATE_TEST_SUITE_P(Cases, ScriptFailureTest, ::testing::ValuesIn(kFailures),
                         [](const ::testing::TestParamInfo<TFailureCase>& info) { return info.param.Title; });

TEST(ScriptRunnerTest, DestroyingARunningScriptStopsItPromptly) {
  const auto start = std::chrono::steady_clock::now();
  {
    TScriptRunner runner("sleep 60000\n", "");
    EXPECT_FALSE(runner.Wait(0));  // not started yet
    runner.Start();
    EXPECT_FALSE(runner.Wait(100));
    EXPECT_FALSE(runner.Succeeded());
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

}  // namespace
