#include "Forms.h"

#include <vector>

namespace {

constexpr DWORD kFormStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN | DS_MODALFRAME;
constexpr DWORD kFormExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

TCursor gScreenCursor = crDefault;

// The thread's other enabled top-level windows, disabled while a modal loop runs and enabled
// again however the loop ends.
class TDisabledWindows {
 public:
  explicit TDisabledWindows(HWND keep) : FKeep(keep) {
    EnumThreadWindows(GetCurrentThreadId(), Collect, reinterpret_cast<LPARAM>(this));
    for (HWND window : FWindows) EnableWindow(window, FALSE);
  }
  ~TDisabledWindows() {
    for (HWND window : FWindows)
      if (IsWindow(window)) EnableWindow(window, TRUE);
  }
  TDisabledWindows(const TDisabledWindows&) = delete;
  TDisabledWindows& operator=(const TDisabledWindows&) = delete;

 private:
  static BOOL CALLBACK Collect(HWND window, LPARAM param) {
    auto* self = reinterpret_cast<TDisabledWindows*>(param);
    if (window != self->FKeep && IsWindowVisible(window) && IsWindowEnabled(window))
      self->FWindows.push_back(window);
    return TRUE;
  }

  HWND FKeep;
  std::vector<HWND> FWindows;
};

// Clears the modal flag however ShowModal ends.
class TModalFlag {
 public:
  explicit TModalFlag(bool& flag) : FFlag(flag) { FFlag = true; }
  ~TModalFlag() { FFlag = false; }
  TModalFlag(const TModalFlag&) = delete;
  TModalFlag& operator=(const TModalFlag&) = delete;

 private:
  bool& FFlag;
};

}  // namespace

TForm::TForm(const char* name) : TWinControl(name) {
  SetColor(clBtnFace);
  CreateHandle(nullptr, kFormStyle, kFormExStyle, "", nullptr, 0);
  SetClientSize(320, 240);
}

TForm::~TForm() = default;

void TForm::DoCreate() {
  if (OnCreate) OnCreate();
}

int TForm::ClientWidth() const {
  RECT client;
  GetClientRect(Handle(), &client);
  return client.right;
}

int TForm::ClientHeight() const {
  RECT client;
  GetClientRect(Handle(), &client);
  return client.bottom;
}

void TForm::SetClientSize(int width, int height) {
  RECT rect{0, 0, width, height};
  AdjustWindowRectEx(&rect, kFormStyle, FALSE, kFormExStyle);
  SetBounds(Left(), Top(), rect.right - rect.left, rect.bottom - rect.top);
}

void TForm::CentreOnScreen() {
  int left = (GetSystemMetrics(SM_CXSCREEN) - Width()) / 2;
  int top = (GetSystemMetrics(SM_CYSCREEN) - Height()) / 2;
  SetBounds(left, top, Width(), Height());
}

void TForm::SetModalResult(int modalResult) {
  FModalResult = modalResult;
  // Wakes the loop should the value come from outside a message (another thread's request).
  if (FModal && modalResult != mrNone) PostMessageA(Handle(), WM_NULL, 0, 0);
}

void TForm::OnMessage(UINT msg, std::function<void(WPARAM, LPARAM)> handler) {
  FMessageHandlers[msg] = std::move(handler);
}

bool TForm::CloseQuery() {
  bool canClose = true;
  if (OnCloseQuery) OnCloseQuery(canClose);
  return canClose;
}

void TForm::Close() {
  if (FModal) {
    SetModalResult(mrCancel);
    return;
  }
  if (!CloseQuery()) return;
  if (OnClose) OnClose();
  ShowWindow(Handle(), SW_HIDE);
}

int TForm::ShowModal() {
  if (FModal) return mrCancel;  // already running its loop further up the stack
  HWND window = Handle();
  HWND previousActive = GetActiveWindow();
  FModalResult = mrNone;
  int result = mrCancel;
  {
    TModalFlag modal(FModal);
    TDisabledWindows disabled(window);
    CentreOnScreen();
    if (OnShow) OnShow();
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    SetActiveWindow(window);
    if (HWND first = GetNextDlgTabItem(window, nullptr, FALSE)) SetFocus(first);

    MSG msg;
    for (;;) {
      if (FModalResult != mrNone) {
        if (CloseQuery()) break;
        FModalResult = mrNone;
      }
      BOOL got = GetMessageA(&msg, nullptr, 0, 0);
      if (got == 0) {
        // Someone asked the thread to quit: end as a cancel and leave WM_QUIT for the outer loop.
        PostQuitMessage(static_cast<int>(msg.wParam));
        FModalResult = mrCancel;
        break;
      }
      if (got == -1) {
        FModalResult = mrCancel;
        break;
      }
      if (!IsDialogMessageA(window, &msg)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
      }
    }
    result = FModalResult;
    if (OnClose) OnClose();
  }
  // The other windows are enabled again before this one hides, so activation can return.
  ShowWindow(window, SW_HIDE);
  if (previousActive != nullptr && IsWindow(previousActive)) SetActiveWindow(previousActive);
  return result;
}

TButton* TForm::FindButton(bool wantDefault) const {
  std::vector<const TWinControl*> pending{this};
  while (!pending.empty()) {
    const TWinControl* container = pending.back();
    pending.pop_back();
    for (const auto& control : container->Controls()) {
      if (auto* button = dynamic_cast<TButton*>(control.get())) {
        if ((wantDefault ? button->Default() : button->Cancel()) && button->Visible()) return button;
      } else if (auto* child = dynamic_cast<const TWinControl*>(control.get())) {
        pending.push_back(child);
      }
    }
  }
  return nullptr;
}

LRESULT TForm::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  auto handler = FMessageHandlers.find(msg);
  if (handler != FMessageHandlers.end()) {
    handler->second(wParam, lParam);
    return 0;
  }
  switch (msg) {
    case WM_CLOSE:
      Close();
      return 0;
    case DM_GETDEFID: {
      // Enter presses the focused push button, wherever it lies in the form, else the
      // default button. The dialog manager finds the button by this id among all the form's
      // windows, which is why ids are unique in the whole form.
      HWND focus = GetFocus();
      if (focus != nullptr && IsChild(Handle(), focus) &&
          dynamic_cast<TButton*>(FromHandle(focus)) != nullptr)
        return MAKELRESULT(GetDlgCtrlID(focus), DC_HASDEFID);
      if (TButton* button = FindButton(true))
        return MAKELRESULT(GetDlgCtrlID(button->Handle()), DC_HASDEFID);
      return 0;
    }
    case WM_COMMAND:
      // The dialog manager's IDOK (Enter with no usable default id) and IDCANCEL (Escape)
      // come without a control of ours.
      if (FromHandle(reinterpret_cast<HWND>(lParam)) == nullptr &&
          (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        TButton* button = FindButton(LOWORD(wParam) == IDOK);
        if (button != nullptr && button->Enabled()) button->Click();
        return 0;
      }
      break;
    default:
      break;
  }
  return TWinControl::WndProc(msg, wParam, lParam);
}

void ProcessMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    HWND active = GetActiveWindow();
    if (active != nullptr && dynamic_cast<TForm*>(TControl::FromHandle(active)) != nullptr &&
        IsDialogMessageA(active, &msg))
      continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

TCursor ScreenCursor() { return gScreenCursor; }

void SetScreenCursor(TCursor cursor) {
  gScreenCursor = cursor;
  SetCursor(CursorHandle(cursor));
}

THourGlass::THourGlass() : FPrevious(ScreenCursor()) { SetScreenCursor(crHourGlass); }

THourGlass::~THourGlass() { SetScreenCursor(FPrevious); }
