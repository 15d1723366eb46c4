#include "AutomationTestWindow.h"

#include "ControlName.h"

#include <commctrl.h>

namespace {

const char kMainClass[] = "SkelvaneAutomationTestWindow";
const char kCanvasClass[] = "SkelvaneAutomationTestCanvas";
const char kGroupClass[] = "SkelvaneAutomationTestGroup";
const UINT_PTR kLaterTimer = 1;

enum : int { kIdPush = 101, kIdLater, kIdAsk, kIdOption, kIdNumber, kIdLevel, kIdMode, kIdSmall, kIdLarge };

// The brushes live as long as the test program.
HBRUSH BackgroundBrush() {
  static HBRUSH brush = CreateSolidBrush(kTestBackground);
  return brush;
}
HBRUSH CanvasBrush() {
  static HBRUSH brush = CreateSolidBrush(kTestCanvasColour);
  return brush;
}

TTestLog* LogOf(HWND window) {
  HWND root = GetAncestor(window, GA_ROOT);
  return reinterpret_cast<TTestLog*>(GetWindowLongPtrA(root, GWLP_USERDATA));
}

LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  try {
    TTestLog* log = LogOf(window);
    switch (message) {
      case WM_COMMAND:
        if (log == nullptr) break;
        switch (LOWORD(wParam)) {
          case kIdPush:
            if (HIWORD(wParam) == BN_CLICKED && log->PushClicks++ == 0) SetTimer(window, kLaterTimer, 300, nullptr);
            return 0;
          case kIdAsk:
            if (HIWORD(wParam) == BN_CLICKED) MessageBoxA(window, "Go on?", "Question", MB_OKCANCEL);
            return 0;
          case kIdOption:
            if (HIWORD(wParam) == BN_CLICKED) ++log->CheckClicks;
            return 0;
          case kIdNumber:
            if (HIWORD(wParam) == EN_CHANGE) ++log->EditChanges;
            return 0;
          case kIdMode:
            if (HIWORD(wParam) == CBN_SELCHANGE) {
              log->ComboSelections.push_back(static_cast<int>(SendMessageA(reinterpret_cast<HWND>(lParam), CB_GETCURSEL, 0, 0)));
            }
            return 0;
        }
        break;
      case WM_HSCROLL:
        if (log != nullptr && lParam != 0) {
          auto position = static_cast<int>(SendMessageA(reinterpret_cast<HWND>(lParam), TBM_GETPOS, 0, 0));
          log->Scrolls.push_back({LOWORD(wParam), HIWORD(wParam), position});
        }
        return 0;
      case WM_TIMER:
        if (wParam == kLaterTimer) {
          KillTimer(window, kLaterTimer);
          EnableWindow(FindControlByName(window, "btnLater"), TRUE);
          SetWindowTextA(FindControlByName(window, "lblStatus"), "Ready");
        }
        return 0;
      case WM_CTLCOLORSTATIC:
        SetBkColor(reinterpret_cast<HDC>(wParam), kTestBackground);
        return reinterpret_cast<LRESULT>(BackgroundBrush());
    }
  } catch (...) {
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK CanvasProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  try {
    TTestLog* log = LogOf(window);
    switch (message) {
      case WM_LBUTTONDOWN:
      case WM_LBUTTONUP:
      case WM_MOUSEMOVE:
        if (log != nullptr) {
          log->CanvasMouse.push_back({message, wParam, static_cast<short>(LOWORD(lParam)),
                                      static_cast<short>(HIWORD(lParam)), GetTickCount()});
        }
        return 0;
      case WM_KEYDOWN:
        if (log != nullptr) log->CanvasKeysDown.push_back(static_cast<UINT>(wParam));
        return 0;
      case WM_KEYUP:
        if (log != nullptr) log->CanvasKeysUp.push_back(static_cast<UINT>(wParam));
        return 0;
      case WM_MOUSEWHEEL:
        if (log != nullptr) {
          log->CanvasWheel.push_back(GET_WHEEL_DELTA_WPARAM(wParam));
          log->CanvasHadFocusOnWheel = GetFocus() == window;
        }
        return 0;
      case WM_GETDLGCODE:
        return DLGC_WANTALLKEYS;
    }
  } catch (...) {
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK GroupProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  try {
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
      if (TTestLog* log = LogOf(window)) {
        char caption[64];
        GetWindowTextA(reinterpret_cast<HWND>(lParam), caption, sizeof caption);
        log->RadioClicks.push_back(caption);
      }
      return 0;
    }
  } catch (...) {
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

// The edit lets only digits and backspace through, like a numeric field's key filter.
LRESULT CALLBACK NumberEditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
  try {
    if (message == WM_CHAR) {
      if (TTestLog* log = LogOf(window)) log->EditChars += static_cast<char>(wParam);
      if (!((wParam >= '0' && wParam <= '9') || wParam == VK_BACK)) return 0;
    }
  } catch (...) {
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

void RegisterClasses() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  WNDCLASSA windowClass = {};
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  windowClass.lpfnWndProc = MainProc;
  windowClass.hbrBackground = BackgroundBrush();
  windowClass.lpszClassName = kMainClass;
  RegisterClassA(&windowClass);
  windowClass.lpfnWndProc = CanvasProc;
  windowClass.hbrBackground = CanvasBrush();
  windowClass.lpszClassName = kCanvasClass;
  RegisterClassA(&windowClass);
  windowClass.lpfnWndProc = GroupProc;
  windowClass.hbrBackground = BackgroundBrush();
  windowClass.lpszClassName = kGroupClass;
  RegisterClassA(&windowClass);
}

HWND AddControl(HWND parent, const char* className, const char* text, DWORD style, int x, int y, int width,
                int height, int id, const char* name) {
  HWND control = CreateWindowExA(0, className, text, WS_CHILD | WS_VISIBLE | style, x, y, width, height, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
  SetControlName(control, name);
  return control;
}

}  // namespace

TTestWindow::TTestWindow(const char* caption) {
  RegisterClasses();
  FWindow = CreateWindowExA(0, kMainClass, caption, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, 40, 40, 480, 360,
                            nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  SetWindowLongPtrA(FWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&Log));
  SetControlName(FWindow, "frmTest");
  AddControl(FWindow, "BUTTON", "Push", BS_PUSHBUTTON | WS_TABSTOP, 8, 8, 80, 24, kIdPush, "btnPush");
  HWND later = AddControl(FWindow, "BUTTON", "Later", BS_PUSHBUTTON | WS_TABSTOP, 96, 8, 80, 24, kIdLater, "btnLater");
  EnableWindow(later, FALSE);
  AddControl(FWindow, "BUTTON", "Ask", BS_PUSHBUTTON | WS_TABSTOP, 184, 8, 80, 24, kIdAsk, "btnAsk");
  AddControl(FWindow, "BUTTON", "Option", BS_AUTOCHECKBOX | WS_TABSTOP, 8, 40, 100, 20, kIdOption, "chkOption");
  HWND edit = AddControl(FWindow, "EDIT", "", WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP, 120, 40, 100, 22, kIdNumber,
                         "edtNumber");
  SetWindowSubclass(edit, NumberEditProc, 1, 0);
  HWND level = AddControl(FWindow, TRACKBAR_CLASSA, "", TBS_HORZ | WS_TABSTOP, 8, 70, 200, 30, kIdLevel, "trkLevel");
  SendMessageA(level, TBM_SETRANGE, TRUE, MAKELPARAM(0, 100));
  HWND mode = AddControl(FWindow, "COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 220, 70, 120, 120,
                         kIdMode, "cboMode");
  for (const char* item : {"Alpha", "Beta", "Gamma"}) SendMessageA(mode, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
  SendMessageA(mode, CB_SETCURSEL, 0, 0);
  HWND group = AddControl(FWindow, kGroupClass, "", 0, 350, 40, 100, 70, 0, "grpSize");
  AddControl(group, "BUTTON", "Small", BS_AUTORADIOBUTTON | WS_GROUP, 4, 4, 90, 20, kIdSmall, "rdoSmall");
  AddControl(group, "BUTTON", "Large", BS_AUTORADIOBUTTON, 4, 30, 90, 20, kIdLarge, "rdoLarge");
  AddControl(FWindow, kCanvasClass, "", 0, 8, 120, 200, 100, 0, "pnlCanvas");
  AddControl(FWindow, "STATIC", "Waiting", 0, 220, 120, 100, 20, 0, "lblStatus");
  ShowWindow(FWindow, SW_SHOW);
  UpdateWindow(FWindow);
}

TTestWindow::~TTestWindow() {
  if (IsWindow(FWindow)) {
    SetWindowLongPtrA(FWindow, GWLP_USERDATA, 0);
    DestroyWindow(FWindow);
  }
}

HWND TTestWindow::Control(const char* name) const { return FindControlByName(FWindow, name); }

void PumpMessages(unsigned ms) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < ms) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
}
