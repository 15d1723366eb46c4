// A shown, non-modal form for tests of single controls, and message pumping helpers.
#pragma once

#include <windows.h>

#include <functional>

#include "platform/Forms.h"

class TTestForm : public TForm {
 public:
  TTestForm() : TForm("frmControlsTest") {
    SetClientSize(400, 300);
    ShowWindow(Handle(), SW_SHOWNA);
    UpdateWindow(Handle());
  }
};

// One form for all tests of a program: Wine takes about two seconds to take a shown window off
// an X display without a window manager. Tests put their controls on it and delete them.
inline TTestForm& SharedForm() {
  static TTestForm form;
  return form;
}

// Deletes a test's control from the shared form when the test ends.
template <class T>
class TOnForm {
 public:
  explicit TOnForm(const char* name) : FControl(new T(&SharedForm(), name)) {}
  ~TOnForm() { delete FControl; }
  TOnForm(const TOnForm&) = delete;
  TOnForm& operator=(const TOnForm&) = delete;
  T* operator->() const { return FControl; }
  T* Get() const { return FControl; }

 private:
  T* FControl;
};

// Dispatches the thread's messages until done() holds or timeoutMs passed; returns done().
// With a dialog window the keys go through its dialog manager first, as in a modal loop.
inline bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs, HWND dialog = nullptr) {
  DWORD start = GetTickCount();
  while (!done() && GetTickCount() - start < timeoutMs) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (dialog != nullptr && IsDialogMessageA(dialog, &msg)) continue;
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    Sleep(1);
  }
  return done();
}

inline void PumpFor(DWORD ms) {
  PumpUntil([] { return false; }, ms);
}
