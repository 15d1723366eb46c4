#include "UiTestSupport.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "Screenshot.h"
#include "TempFolder.h"
#include "WaitFactor.h"
#include "platform/ControlName.h"

namespace {

constexpr int kPollMs = 20;

struct TFindCaption {
  const std::string* Caption;
  HWND Found;
};

BOOL CALLBACK MatchCaption(HWND window, LPARAM param) {
  auto* state = reinterpret_cast<TFindCaption*>(param);
  char text[256];
  int length = GetWindowTextA(window, text, sizeof text);
  if (IsWindowVisible(window) && *state->Caption == std::string(text, static_cast<size_t>(length))) {
    state->Found = window;
    return FALSE;
  }
  return TRUE;
}

LPARAM CentreOf(HWND control) {
  RECT client;
  GetClientRect(control, &client);
  return MAKELPARAM(client.right / 2, client.bottom / 2);
}

// The bound of a wait of timeoutMs, scaled by the wait factor.
unsigned WaitBound(int timeoutMs) {
  return ScaledWaitMs(static_cast<unsigned>(std::max(0, timeoutMs)));
}

}  // namespace

HWND WaitForWindow(const std::string& caption, int timeoutMs, const std::atomic<bool>* stop) {
  const unsigned bound = WaitBound(timeoutMs);
  for (unsigned waited = 0; waited <= bound; waited += kPollMs) {
    TFindCaption state{&caption, nullptr};
    EnumWindows(MatchCaption, reinterpret_cast<LPARAM>(&state));
    if (state.Found != nullptr) return state.Found;
    if (stop != nullptr && *stop) return nullptr;
    Sleep(kPollMs);
  }
  return nullptr;
}

bool WaitForHidden(HWND window, int timeoutMs) {
  const unsigned bound = WaitBound(timeoutMs);
  for (unsigned waited = 0; waited <= bound; waited += kPollMs) {
    if (!IsWindow(window) || !IsWindowVisible(window)) return true;
    Sleep(kPollMs);
  }
  return false;
}

bool ControlClientRect(HWND window, const char* name, RECT& rect) {
  HWND control = FindControlByName(window, name);
  if (control == nullptr) return false;
  GetWindowRect(control, &rect);
  MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rect), 2);
  return true;
}

bool ClickControl(HWND window, const char* name) {
  HWND control = FindControlByName(window, name);
  if (control == nullptr) return false;
  LPARAM centre = CentreOf(control);
  PostMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, centre);
  PostMessageA(control, WM_LBUTTONUP, 0, centre);
  return true;
}

void ClickAt(HWND window, int x, int y) {
  PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
  PostMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

void PressKey(HWND window, UINT virtualKey) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  HWND target = window;
  if (GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) && info.hwndFocus != nullptr)
    target = info.hwndFocus;
  UINT scan = MapVirtualKeyA(virtualKey, 0);
  PostMessageA(target, WM_KEYDOWN, virtualKey, 1 | (static_cast<LPARAM>(scan) << 16));
  PostMessageA(target, WM_KEYUP, virtualKey, 1 | (static_cast<LPARAM>(scan) << 16) | (3u << 30));
}

void PressCloseBox(HWND window) { PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0); }

bool SaveScreenshot(HWND window, const std::string& path) {
  return !path.empty() && SaveWindowScreenshot(window, path);
}

std::string ArtifactPath(const std::string& fileName) {
  const char* directory = std::getenv("SKELVANE_ARTIFACTS");
  if (directory == nullptr || *directory == '\0') return TestTempPath(fileName);
  std::string path = directory;
  if (path.back() != '/' && path.back() != '\\') path += '/';
  return path + fileName;
}

TUiScript::TUiScript(std::function<void(const std::atomic<bool>& stop)> script)
    : FThread([this, script] {
        try {
          script(FStop);
        } catch (...) {
          // A failing script shows as a missing report in the test.
        }
      }) {}

TUiScript::~TUiScript() {
  FStop = true;
  Join();
}
