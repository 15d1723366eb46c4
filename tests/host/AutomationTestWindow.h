// A raw Win32 window with one control of each kind the scripts drive, recording what reaches it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// What the test window's controls were told, in arrival order.
struct TTestLog {
  struct TScroll {
    int Code;            // LOWORD(wParam) of WM_HSCROLL
    int Position;        // HIWORD(wParam)
    int TrackPosition;   // TBM_GETPOS when the notification arrived
  };
  struct TMouse {
    UINT Message;
    WPARAM Keys;
    int X;
    int Y;
    DWORD TimeMs;
  };
  int PushClicks = 0;
  int CheckClicks = 0;
  int EditChanges = 0;
  std::string EditChars;            // every WM_CHAR that reached the edit, accepted or not
  std::vector<TScroll> Scrolls;
  std::vector<int> ComboSelections;  // CB_GETCURSEL at each CBN_SELCHANGE
  std::vector<std::string> RadioClicks;  // caption of each radio item reported clicked
  std::vector<TMouse> CanvasMouse;   // button and move messages on the canvas
  std::vector<UINT> CanvasKeysDown;
  std::vector<UINT> CanvasKeysUp;
  std::vector<int> CanvasWheel;      // wheel deltas
  bool CanvasHadFocusOnWheel = false;
};

// Colours the screenshot test looks for.
const COLORREF kTestBackground = RGB(10, 200, 30);
const COLORREF kTestCanvasColour = RGB(220, 40, 160);

// Controls and their Names:
//   btnPush  push button; each click counts; the first also starts a 300 ms timer that
//            enables btnLater and sets lblStatus to "Ready"
//   btnLater push button, disabled at first
//   btnAsk   push button whose click shows a message box "Question" (modal, on this thread)
//   chkOption auto check box       edtNumber edit that accepts only digits and backspace
//   trkLevel  track bar 0..100     cboMode   drop-down list "Alpha", "Beta", "Gamma"
//   grpSize   window holding the auto radio buttons "Small" (rdoSmall) and "Large" (rdoLarge)
//   pnlCanvas 200 x 100 custom window that records mouse, key and wheel input
//   lblStatus static text
class TTestWindow {
 public:
  explicit TTestWindow(const char* caption = "Automation Test");
  ~TTestWindow();
  TTestWindow(const TTestWindow&) = delete;
  TTestWindow& operator=(const TTestWindow&) = delete;

  HWND Handle() const { return FWindow; }
  HWND Control(const char* name) const;
  TTestLog Log;

 private:
  HWND FWindow = nullptr;
};

// Pumps this thread's messages for ms milliseconds.
void PumpMessages(unsigned ms);
