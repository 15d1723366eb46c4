// The message box: the task dialog as Wine's comctl32 shows it (texts, owner, buttons and
// their results, the 1024-unit limit), and the standard message dialog that stands in for it
// below Windows 6.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "DialogTestSupport.h"
#include "UiTestSupport.h"
#include "WaitFactor.h"
#include "framework/Vista.h"
#include "platform/Forms.h"

namespace {

const char kInstruction[] = "Error Establishing Communication";
const char kContent[] =
    "There was an error establishing communication with Microsoft Excel.  Please make sure "
    "Microsoft Excel is installed correctly on this computer.";

std::string WindowText(HWND window) {
  int length = GetWindowTextLengthA(window);
  std::string text(static_cast<size_t>(length) + 1, '\0');
  text.resize(static_cast<size_t>(GetWindowTextA(window, &text[0], length + 1)));
  return text;
}

std::string ClassOf(HWND window) {
  char name[64] = "";
  GetClassNameA(window, name, sizeof name);
  return name;
}

BOOL CALLBACK CollectWindow(HWND window, LPARAM windows) {
  reinterpret_cast<std::vector<HWND>*>(windows)->push_back(window);
  return TRUE;
}

std::vector<HWND> ChildrenOf(HWND parent) {
  std::vector<HWND> children;
  EnumChildWindows(parent, CollectWindow, reinterpret_cast<LPARAM>(&children));
  return children;
}

bool IsButton(HWND window) { return lstrcmpiA(ClassOf(window).c_str(), "Button") == 0; }

// A button's caption without its '&'.
std::string ButtonCaption(HWND button) {
  std::string text = WindowText(button);
  text.erase(std::remove(text.begin(), text.end(), '&'), text.end());
  return text;
}

// A task dialog as a user sees it: caption, texts, buttons.
struct TShownDialog {
  bool Shown = false;
  HWND Owner = nullptr;
  std::string Caption;
  std::vector<std::string> Texts;
  std::vector<std::string> Buttons;
};

TShownDialog Inspect(HWND dialog) {
  TShownDialog shown;
  shown.Shown = true;
  shown.Owner = GetWindow(dialog, GW_OWNER);
  shown.Caption = WindowText(dialog);
  for (HWND child : ChildrenOf(dialog)) {
    if (!IsWindowVisible(child)) continue;
    if (IsButton(child)) {
      shown.Buttons.push_back(ButtonCaption(child));
    } else if (!WindowText(child).empty()) {
      shown.Texts.push_back(WindowText(child));
    }
  }
  return shown;
}

HWND ButtonOf(HWND dialog, const std::string& caption) {
  for (HWND child : ChildrenOf(dialog)) {
    if (IsButton(child) && ButtonCaption(child) == caption) return child;
  }
  return nullptr;
}

// The visible top-level window of this process whose caption starts with prefix, waited for
// up to timeoutMs (a cut caption has to be found before it can be checked).
HWND WaitForCaptionStart(const std::string& prefix, unsigned timeoutMs,
                         const std::atomic<bool>& stop) {
  for (unsigned waited = 0; waited < timeoutMs && !stop; waited += 20) {
    std::vector<HWND> windows;
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
    for (HWND window : windows) {
      DWORD process = 0;
      GetWindowThreadProcessId(window, &process);
      if (process == GetCurrentProcessId() && IsWindowVisible(window) &&
          WindowText(window).compare(0, prefix.size(), prefix) == 0) {
        return window;
      }
    }
    Sleep(20);
  }
  return nullptr;
}

// Runs show() while a second thread waits for the window whose caption starts with caption,
// notes what it shows and presses the button captioned press (OK, as a last resort, when
// there is none).
int ShowAndPress(const std::string& caption, const std::string& press, TShownDialog& seen,
                 const std::function<int()>& show, const std::string& screenshot = "") {
  int result;
  {
    TUiScript script([&](const std::atomic<bool>& stop) {
      HWND dialog = WaitForCaptionStart(caption, ScaledWaitMs(10000), stop);
      if (dialog == nullptr) return;
      Sleep(100);
      seen = Inspect(dialog);
      if (!screenshot.empty()) SaveScreenshot(dialog, screenshot);
      if (HWND button = ButtonOf(dialog, press)) {
        PostMessageA(button, BM_CLICK, 0, 0);
      } else {
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
      }
    });
    result = show();
  }
  return result;
}

TEST(TaskMessageDlg, WineReportsWindows6OrLater) {
  // GetVersion is a second route to the same figure.
  EXPECT_EQ(LOBYTE(LOWORD(GetVersion())) >= 6, IsWindowsVistaOrLater());
  EXPECT_TRUE(IsWindowsVistaOrLater());
}

TEST(TaskMessageDlg, ExportFailureShowsTitleInstructionContentAndOneOKButton) {
  TForm owner("frmOwner");
  TShownDialog seen;
  int result = ShowAndPress("Error", "OK", seen, [&] {
    return TaskMessageDlg(&owner, "Error", kInstruction, kContent, kTaskButtonOK, kTaskIconError);
  }, ArtifactPath("task-dialog-error.png"));
  ASSERT_TRUE(seen.Shown);
  EXPECT_EQ(mrOk, result);
  EXPECT_EQ(owner.Handle(), seen.Owner);
  EXPECT_EQ("Error", seen.Caption);
  EXPECT_EQ((std::vector<std::string>{kInstruction, kContent}), seen.Texts);
  EXPECT_EQ(std::vector<std::string>{"OK"}, seen.Buttons);
}

struct TButtonCase {
  const char* Label;
  int Buttons;
  const char* Press;
  int Result;
};

class TaskButtonTest : public ::testing::TestWithParam<TButtonCase> {};

TEST_P(TaskButtonTest, PressedButtonGivesItsModalResult) {
  const TButtonCase& c = GetParam();
  TShownDialog seen;
  int result = ShowAndPress("Buttons", c.Press, seen, [&] {
    return TaskMessageDlg(nullptr, "Buttons", "Which one?", "Press a button.", c.Buttons,
                          kTaskIconConfirmation);
  });
  ASSERT_TRUE(seen.Shown);
  EXPECT_NE(seen.Buttons.end(), std::find(seen.Buttons.begin(), seen.Buttons.end(), c.Press));
  EXPECT_EQ(c.Result, result);
}

INSTANTIATE_TEST_SUITE_P(
    Buttons, TaskButtonTest,
    ::testing::Values(TButtonCase{"OK", kTaskButtonOK | kTaskButtonCancel, "OK", mrOk},
                      TButtonCase{"Cancel", kTaskButtonOK | kTaskButtonCancel, "Cancel", mrCancel},
                      TButtonCase{"Yes", kTaskButtonYes | kTaskButtonNo, "Yes", mrYes},
                      TButtonCase{"No", kTaskButtonYes | kTaskButtonNo, "No", mrNo},
                      TButtonCase{"Retry", kTaskButtonRetry | kTaskButtonCancel, "Retry", mrRetry},
                      TButtonCase{"CloseGivesAbort", kTaskButtonClose, "Close", mrAbort}),
    [](const ::testing::TestParamInfo<TButtonCase>& info) { return std::string(info.param.Label); });

struct TLengthCase {
  const char* Label;
  size_t Length;
  size_t Shown;
};

class TaskTextLengthTest : public ::testing::TestWithParam<TLengthCase> {};

TEST_P(TaskTextLengthTest, TextsBeyond1024UnitsAreCut) {
  const TLengthCase& c = GetParam();
  std::string title(c.Length, 'T'), instruction(c.Length, 'i'), content(c.Length, 'c');
  title.replace(0, 6, "Length");
  TShownDialog seen;
  ShowAndPress("Length", "OK", seen, [&] {
    return TaskMessageDlg(nullptr, title, instruction, content, kTaskButtonOK, kTaskIconInformation);
  });
  ASSERT_TRUE(seen.Shown);
  EXPECT_EQ(title.substr(0, c.Shown), seen.Caption);
  EXPECT_EQ((std::vector<std::string>{instruction.substr(0, c.Shown), content.substr(0, c.Shown)}),
            seen.Texts);
}

INSTANTIATE_TEST_SUITE_P(Lengths, TaskTextLengthTest,
                         ::testing::Values(TLengthCase{"Exactly1024", 1024, 1024},
                                           TLengthCase{"Over1024", 1025, 1024},
                                           TLengthCase{"FarOver1024", 3000, 1024}),
                         [](const ::testing::TestParamInfo<TLengthCase>& info) {
                           return std::string(info.param.Label);
                         });

TEST(TaskMessageDlg, ClosingADialogWithCancelGivesCancel) {
  int result = ShowWithScript("window \"Error\"\nclose\nwait-closed\n", [] {
    return TaskMessageDlg(nullptr, "Error", kInstruction, kContent,
                          kTaskButtonOK | kTaskButtonCancel, kTaskIconError);
  });
  EXPECT_EQ(mrCancel, result);
}

struct TFallbackCase {
  const char* Label;
  int Icon;
  int Buttons;
  const char* Caption;
  std::vector<const char*> Present;
  const char* Press;
  int Result;
};

class FallbackMessageTest : public ::testing::TestWithParam<TFallbackCase> {};

TEST_P(FallbackMessageTest, ShowsTheContentWithKindAndButtonsOfTheFlags) {
  const TFallbackCase& c = GetParam();
  std::string script = "window \"" + std::string(c.Caption) + "\"\n" +
                       "expect-text Message \"" + kContent + "\"\n";
  for (const char* button : c.Present) script += std::string("wait-enabled ") + button + " 2000\n";
  script += "sleep 200\nscreenshot fallback-" + std::string(c.Label) + ".png\n";
  script += std::string("click ") + c.Press + "\nwait-closed\n";
  int result = ShowWithScript(script, [&] { return ShowFallbackMessage(kContent, c.Buttons, c.Icon); });
  EXPECT_EQ(c.Result, result);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, FallbackMessageTest,
    ::testing::Values(
        TFallbackCase{"ErrorOK", kTaskIconError, kTaskButtonOK, "Error", {"OK"}, "OK", mrOk},
        TFallbackCase{"ConfirmationYesNoCancel", kTaskIconConfirmation,
                      kTaskButtonYes | kTaskButtonNo | kTaskButtonCancel, "Confirm",
                      {"Yes", "No", "Cancel"}, "No", mrNo},
        TFallbackCase{"WarningRetryAndCloseAsAbort", kTaskIconWarning,
                      kTaskButtonRetry | kTaskButtonClose, "Warning", {"Retry", "Abort"}, "Abort",
                      mrAbort},
        TFallbackCase{"InformationRetryOtherBitsIgnored", kTaskIconInformation,
                      kTaskButtonRetry | 0x40 | 0x100, "Information", {"Retry"}, "Retry", mrRetry},
        TFallbackCase{"OtherIconIsUntypedWithTheProgramsName", 103, kTaskButtonOK,
                      "TaskMessageDlgTest", {"OK"}, "OK", mrOk}),
    [](const ::testing::TestParamInfo<TFallbackCase>& info) { return std::string(info.param.Label); });

}  // namespace
