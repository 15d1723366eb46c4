// Helpers for tests that drive our forms from a second thread, as a user would.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

// The visible top-level window with exactly this caption, waited for up to timeoutMs (times the
// wait factor, WaitFactor.h); nullptr when none appears. With stop set by another thread the
// wait ends early.
HWND WaitForWindow(const std::string& caption, int timeoutMs = 5000,
                   const std::atomic<bool>* stop = nullptr);

// Whether window becomes invisible (or is destroyed) within timeoutMs (times the wait factor).
bool WaitForHidden(HWND window, int timeoutMs = 3000);

// The window's client-area rectangle of its descendant named name, in the client coordinates of
// window; false when there is no such control.
bool ControlClientRect(HWND window, const char* name, RECT& rect);

// Posts a left click (button down and up) at the centre of the control named name inside
// window; false when there is no such control.
bool ClickControl(HWND window, const char* name);
// Posts a left click at client point (x, y) of window itself.
void ClickAt(HWND window, int x, int y);
// Posts a key press (down and up) to the window that has the focus in window's thread.
void PressKey(HWND window, UINT virtualKey);
// Asks to close window as its close box does.
void PressCloseBox(HWND window);

// Copies the window's rectangle from the screen into a PNG at path, as SaveWindowScreenshot
// does (from any thread, the copy taken on the window's). False when nothing could be written.
bool SaveScreenshot(HWND window, const std::string& path);
// path of fileName in the directory named by SKELVANE_ARTIFACTS, or in the program's temporary
// folder (TempFolder.h) when it is not set.
std::string ArtifactPath(const std::string& fileName);

// Runs a script on a second thread for the lifetime of the object; the destructor sets Stop
// and waits for the script. Scripts report through their own captured variables.
class TUiScript {
 public:
  explicit TUiScript(std::function<void(const std::atomic<bool>& stop)> script);
  ~TUiScript();
  TUiScript(const TUiScript&) = delete;
  TUiScript& operator=(const TUiScript&) = delete;

  void Stop() { FStop = true; }
  // Waits until the script has run to its end, without asking it to stop.
  void Join() {
    if (FThread.joinable()) FThread.join();
  }

 private:
  std::atomic<bool> FStop{false};
  std::thread FThread;
};
