// The image-size warning: when it shows, what it stores, and where its check box sits.
#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "UiTestSupport.h"
#include "framework/helper.h"

namespace {

const char kValue[] = "DoNotShowSizeWarn";

enum class TStored { NoKey, NoValue, Zero, One, Two, Binary };

void Prepare(TStored state) {
  RegDeleteTreeA(HKEY_CURRENT_USER, kProductRegistryKey);
  if (state == TStored::NoKey) return;
  HKEY key;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, kProductRegistryKey, 0, nullptr, 0,
                                           KEY_WRITE, nullptr, &key, nullptr));
  DWORD value = state == TStored::One ? 1 : state == TStored::Two ? 2 : 0;
  if (state == TStored::Binary) {
    BYTE bytes[4] = {1, 0, 0, 0};
    RegSetValueExA(key, kValue, 0, REG_BINARY, bytes, sizeof bytes);
  } else if (state != TStored::NoValue) {
    RegSetValueExA(key, kValue, 0, REG_DWORD, reinterpret_cast<BYTE*>(&value), sizeof value);
  }
  RegCloseKey(key);
}

// "none", "key missing", "dword N" or "binary".
std::string Stored() {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kProductRegistryKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
    return "key missing";
  DWORD type = 0;
  DWORD value = 0;
  DWORD size = sizeof value;
  LONG status = RegQueryValueExA(key, kValue, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS) return "none";
  if (type == REG_DWORD) return "dword " + std::to_string(value);
  return "binary";
}

struct TWarningRun {
  bool Shown = false;
  RECT CheckBox{};
  RECT Client{};
};

// Calls ShowSizeWarning; if the warning appears, optionally checks the box and presses OK.
TWarningRun RunWarning(int width, int height, bool check, const std::string& screenshot = "") {
  TWarningRun run;
  std::atomic<bool> shown{false};
  {
    TUiScript script([&](const std::atomic<bool>& stop) {
      HWND window = WaitForWindow("Warning", 4000, &stop);
      if (window == nullptr) return;
      shown = true;
      ControlClientRect(window, "chkDontShowAgain", run.CheckBox);
      GetClientRect(window, &run.Client);
      if (!screenshot.empty()) {
        Sleep(200);
        SaveScreenshot(window, screenshot);
      }
      if (check) {
        ClickControl(window, "chkDontShowAgain");
        Sleep(50);
      }
      ClickControl(window, "OK");
      if (!WaitForHidden(window, 3000)) PostMessageA(window, WM_CLOSE, 0, 0);
    });
    ShowSizeWarning(width, height);
    script.Stop();
  }
  run.Shown = shown;
  return run;
}

struct TWarningCase {
  const char* Label;
  int Width, Height;
  TStored Before;
  bool Check;
  bool ExpectShown;
  const char* ExpectStored;
};

class SizeWarningTest : public ::testing::TestWithParam<TWarningCase> {
 protected:
  void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, kProductRegistryKey); }
};

TEST_P(SizeWarningTest, ShowsAndStoresAsExpected) {
  const TWarningCase& c = GetParam();
  Prepare(c.Before);
  TWarningRun run = RunWarning(c.Width, c.Height, c.Check);
  EXPECT_EQ(c.ExpectShown, run.Shown);
  EXPECT_EQ(c.ExpectStored, Stored());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SizeWarningTest,
    ::testing::Values(
        TWarningCase{"WideImageShowsUnchecked", 2048, 1, TStored::NoValue, false, true, "dword 0"},
        TWarningCase{"TallImageShowsChecked", 1, 2048, TStored::Zero, true, true, "dword 1"},
        TWarningCase{"SmallImageShowsNothing", 2047, 2047, TStored::NoValue, false, false, "none"},
        TWarningCase{"SuppressedByOne", 4000, 4000, TStored::One, false, false, "dword 1"},
        TWarningCase{"OtherValueShows", 2048, 2048, TStored::Two, false, true, "dword 0"},
        TWarningCase{"WrongTypeEndsSilently", 2048, 2048, TStored::Binary, true, false, "binary"},
        TWarningCase{"MissingKeyShowsAndStoresNothing", 2048, 2048, TStored::NoKey, true, true,
                     "key missing"}),
    [](const ::testing::TestParamInfo<TWarningCase>& info) { return std::string(info.param.Label); });

TEST(SizeWarning, CheckedBoxSuppressesNextWarningUncheckedDoesNot) {
  Prepare(TStored::NoValue);
  EXPECT_TRUE(RunWarning(3000, 10, false).Shown);
  EXPECT_TRUE(RunWarning(3000, 10, true).Shown);
  EXPECT_FALSE(RunWarning(3000, 10, false).Shown);
  RegDeleteTreeA(HKEY_CURRENT_USER, kProductRegistryKey);
}

TEST(SizeWarning, CheckBoxSitsBesideButtonRow) {
  Prepare(TStored::NoValue);
  TWarningRun run = RunWarning(2048, 2048, false, ArtifactPath("size-warning.png"));
  ASSERT_TRUE(run.Shown);
  EXPECT_EQ(12, run.CheckBox.left);
  EXPECT_EQ(run.Client.bottom - 30, run.CheckBox.top);
  EXPECT_EQ(200, run.CheckBox.right - run.CheckBox.left);
  RegDeleteTreeA(HKEY_CURRENT_USER, kProductRegistryKey);
}

}  // namespace
