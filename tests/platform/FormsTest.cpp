// The modal loop of TForm driven from a second thread: keys, clicks, the close box, the close
// query, modal results, names, posted messages.
#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>

#include "DialogTestSupport.h"
#include "UiTestSupport.h"
#include "WaitFactor.h"
#include "platform/ControlName.h"
#include "platform/Controls.h"
#include "platform/Forms.h"
#include "platform/GroupBox.h"

namespace {

// A small dialog: a check box first in the Tab order (so no button has the focus), OK as the
// default button, Cancel as the cancel button, and a label whose click sets a modal result.
class TTestForm : public TForm {
 public:
  explicit TTestForm(const std::string& caption) : TForm("frmTest") {
    SetCaption(caption);
    SetClientSize(300, 120);
    chkOption = new TCheckBox(this, "chkOption");
    chkOption->SetCaption("Option");
    chkOption->SetBounds(8, 8, 120, 17);
    lblFive = new TLabel(this, "lblFive");
    lblFive->SetCaption("Five");
    lblFive->SetBounds(8, 40, 60, 16);
    lblFive->OnClick = [this] { SetModalResult(5); };
    btnOK = new TButton(this, "btnOK");
    btnOK->SetCaption("OK");
    btnOK->SetBounds(136, 88, 75, 25);
    btnOK->SetDefault(true);
    btnOK->SetModalResult(mrOk);
    btnCancel = new TButton(this, "btnCancel");
    btnCancel->SetCaption("Cancel");
    btnCancel->SetBounds(216, 88, 75, 25);
    btnCancel->SetCancel(true);
    btnCancel->SetModalResult(mrCancel);
    OnCloseQuery = [this](bool& canClose) {
      ++CloseQueries;
      canClose = AllowClose;
    };
    DoCreate();
  }

  TCheckBox* chkOption;
  TLabel* lblFive;
  TButton* btnOK;
  TButton* btnCancel;
  std::atomic<int> CloseQueries{0};
  std::atomic<bool> AllowClose{true};
};

enum class TAction { Enter, Escape, CloseBox, ClickOK, ClickCancel, ClickLabel };

struct TModalCase {
  const char* Label;
  TAction Action;
  int Expected;
};

class ModalLoopTest : public ::testing::TestWithParam<TModalCase> {};

TEST_P(ModalLoopTest, ActionEndsLoopWithItsResult) {
  const TModalCase& c = GetParam();
  std::string caption = std::string("Modal ") + c.Label;
  TTestForm form(caption);
  std::atomic<bool> found{false};
  TUiScript script([&](const std::atomic<bool>& stop) {
    HWND window = WaitForWindow(caption, 5000, &stop);
    if (window == nullptr) return;
    found = true;
    switch (c.Action) {
      case TAction::Enter: PressKey(window, VK_RETURN); break;
      case TAction::Escape: PressKey(window, VK_ESCAPE); break;
      case TAction::CloseBox: PressCloseBox(window); break;
      case TAction::ClickOK: ClickControl(window, "btnOK"); break;
      case TAction::ClickCancel: ClickControl(window, "btnCancel"); break;
      case TAction::ClickLabel: ClickControl(window, "lblFive"); break;
    }
    // A loop that did not end is ended by force, so the failure shows as a wrong result.
    if (!WaitForHidden(window, 3000)) PostMessageA(window, WM_USER + 999, 0, 0);
  });
  form.OnMessage(WM_USER + 999, [&](WPARAM, LPARAM) { form.SetModalResult(-1); });
  int result = form.ShowModal();
  EXPECT_TRUE(found);
  EXPECT_EQ(c.Expected, result);
  EXPECT_EQ(1, form.CloseQueries.load());
  EXPECT_FALSE(IsWindowVisible(form.Handle()));
}

INSTANTIATE_TEST_SUITE_P(
    Actions, ModalLoopTest,
    ::testing::Values(TModalCase{"Enter", TAction::Enter, mrOk},
                      TModalCase{"Escape", TAction::Escape, mrCancel},
                      TModalCase{"CloseBox", TAction::CloseBox, mrCancel},
                      TModalCase{"ClickOK", TAction::ClickOK, mrOk},
                      TModalCase{"ClickCancel", TAction::ClickCancel, mrCancel},
                      TModalCase{"ClickLabel", TAction::ClickLabel, 5}),
    [](const ::testing::TestParamInfo<TModalCase>& info) { return std::string(info.param.Label); });

// A group box whose controls come before OK, with ids that their siblings' ids would repeat
// were ids unique only among siblings.
class TNestedForm : public TForm {
 public:
  TNestedForm() : TForm("frmNested") {
    SetCaption("Nested");
    SetClientSize(300, 120);
    auto* group = new TGroupBox(this, "grpInner");
    group->SetBounds(8, 8, 200, 70);
    auto* inner = new TButton(group, "btnInner");
    inner->SetBounds(8, 16, 75, 25);
    inner->SetModalResult(mrYes);
    auto* option = new TCheckBox(group, "chkInner");
    option->SetBounds(8, 46, 120, 17);
    auto* ok = new TButton(this, "btnOK");
    ok->SetBounds(216, 88, 75, 25);
    ok->SetDefault(true);
    ok->SetModalResult(mrOk);
    DoCreate();
  }
};

struct TEnterCase {
  const char* Control;
  int Expected;
};

class EnterInGroupTest : public ::testing::TestWithParam<TEnterCase> {};

INSTANTIATE_TEST_SUITE_P(Controls, EnterInGroupTest,
                         ::testing::Values(TEnterCase{"chkInner", mrOk},
                                           TEnterCase{"btnInner", mrYes}),
                         [](const ::testing::TestParamInfo<TEnterCase>& info) {
                           return std::string(info.param.Control);
                         });

// Enter presses the focused button wherever it lies, else the default button.
TEST_P(EnterInGroupTest, PressesTheFocusedOrTheDefaultButton) {
  TNestedForm form;
  EXPECT_EQ(ShowModalWithScript(form, std::string("window Nested\nkey ") + GetParam().Control +
                                          " RETURN\nwait-closed\n"),
            GetParam().Expected);
}

TEST(ModalLoop, RefusingCloseQueryKeepsFormOpen) {
  TTestForm form("Modal refuse");
  form.AllowClose = false;
  std::atomic<bool> stayedOpen{false};
  TUiScript script([&](const std::atomic<bool>& stop) {
    HWND window = WaitForWindow("Modal refuse", 5000, &stop);
    if (window == nullptr) return;
    PressCloseBox(window);
    PressKey(window, VK_ESCAPE);
    ClickControl(window, "btnOK");
    // Three requests refused; the form must still be up.
    const DWORD begin = GetTickCount();
    while (form.CloseQueries < 3 && GetTickCount() - begin < ScaledWaitMs(2000)) Sleep(20);
    stayedOpen = !WaitForHidden(window, 300) && form.CloseQueries == 3;
    form.AllowClose = true;
    ClickControl(window, "btnOK");
  });
  int result = form.ShowModal();
  EXPECT_TRUE(stayedOpen);
  EXPECT_EQ(mrOk, result);
  EXPECT_EQ(4, form.CloseQueries.load());
}

TEST(ModalLoop, DisablesOtherWindowsOfThreadAndEnablesThemAgain) {
  TTestForm other("Modal other");
  ShowWindow(other.Handle(), SW_SHOWNA);
  TTestForm form("Modal main");
  std::atomic<int> otherEnabledDuring{-1};
  TUiScript script([&](const std::atomic<bool>& stop) {
    HWND window = WaitForWindow("Modal main", 5000, &stop);
    if (window == nullptr) return;
    otherEnabledDuring = IsWindowEnabled(other.Handle()) ? 1 : 0;
    ClickControl(window, "btnCancel");
  });
  EXPECT_EQ(mrCancel, form.ShowModal());
  EXPECT_EQ(0, otherEnabledDuring.load());
  EXPECT_TRUE(IsWindowEnabled(other.Handle()));
}

TEST(ModalLoop, PostedMessageReachesItsHandler) {
  TTestForm form("Modal message");
  WPARAM gotW = 0;
  LPARAM gotL = 0;
  form.OnMessage(WM_USER + 133, [&](WPARAM w, LPARAM l) {
    gotW = w;
    gotL = l;
    form.SetModalResult(mrOk);
  });
  TUiScript script([&](const std::atomic<bool>& stop) {
    if (HWND window = WaitForWindow("Modal message", 5000, &stop))
      PostMessageA(window, WM_USER + 133, 7, 9);
  });
  EXPECT_EQ(mrOk, form.ShowModal());
  EXPECT_EQ(7u, gotW);
  EXPECT_EQ(9, gotL);
}

TEST(ModalLoop, ExceptionInHandlerStaysInsideWindowProcedure) {
  TTestForm form("Modal throw");
  int clicks = 0;
  form.chkOption->OnClick = [&] {
    ++clicks;
    throw std::runtime_error("handler failure");
  };
  TUiScript script([&](const std::atomic<bool>& stop) {
    HWND window = WaitForWindow("Modal throw", 5000, &stop);
    if (window == nullptr) return;
    ClickControl(window, "chkOption");
    ClickControl(window, "btnOK");
  });
  EXPECT_EQ(mrOk, form.ShowModal());
  EXPECT_EQ(1, clicks);
}

TEST(Controls, EveryWindowCarriesItsName) {
  TTestForm form("Names");
  EXPECT_EQ("frmTest", GetControlName(form.Handle()));
  for (const char* name : {"chkOption", "lblFive", "btnOK", "btnCancel"}) {
    HWND control = FindControlByName(form.Handle(), name);
    ASSERT_NE(nullptr, control) << name;
    EXPECT_EQ(form.FindControl(name)->Handle(), control) << name;
    EXPECT_EQ(form.FindControl(name), TControl::FromHandle(control)) << name;
  }
}

TEST(Controls, FormClientSizeAndChildBounds) {
  TTestForm form("Bounds");
  EXPECT_EQ(300, form.ClientWidth());
  EXPECT_EQ(120, form.ClientHeight());
  RECT rect;
  ASSERT_TRUE(ControlClientRect(form.Handle(), "btnCancel", rect));
  EXPECT_EQ(216, rect.left);
  EXPECT_EQ(88, rect.top);
  EXPECT_EQ(75, rect.right - rect.left);
  EXPECT_EQ(25, rect.bottom - rect.top);
}

TEST(Controls, ChildrenFollowFormFontUntilTheirOwnIsSet) {
  TTestForm form("Fonts");
  form.lblFive->Font().SetName("Arial");
  form.Font().SetName("Courier New");
  form.Font().SetHeight(-15);
  EXPECT_EQ("Courier New", form.btnOK->Font().Name());
  EXPECT_EQ(-15, form.btnOK->Font().Height());
  EXPECT_EQ("Arial", form.lblFive->Font().Name());
  EXPECT_EQ(-11, form.lblFive->Font().Height());
}

TEST(Controls, DeletedControlLeavesItsParent) {
  TTestForm form("Delete");
  HWND window = form.btnCancel->Handle();
  size_t before = form.Controls().size();
  delete form.btnCancel;
  EXPECT_EQ(before - 1, form.Controls().size());
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(nullptr, form.FindControl("btnCancel"));
}

TEST(Forms, ProcessMessagesHandlesPendingMessages) {
  TTestForm form("Pending");
  int calls = 0;
  form.OnMessage(WM_USER + 5, [&](WPARAM, LPARAM) { ++calls; });
  PostMessageA(form.Handle(), WM_USER + 5, 0, 0);
  PostMessageA(form.Handle(), WM_USER + 5, 0, 0);
  ProcessMessages();
  EXPECT_EQ(2, calls);
}

TEST(Forms, HourGlassIsRestored) {
  {
    THourGlass wait;
    EXPECT_EQ(crHourGlass, ScreenCursor());
  }
  EXPECT_EQ(crDefault, ScreenCursor());
}

}  // namespace
