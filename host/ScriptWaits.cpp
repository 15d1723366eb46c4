#include "ScriptSession.h"

#include "platform/ControlName.h"
#include "QueueMarker.h"
#include "WaitFactor.h"

#include <algorithm>
#include <chrono>

namespace {

const unsigned kPollMs = 20;

struct TWindowSearch {
  DWORD Process;
  std::vector<HWND> Windows;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<TWindowSearch*>(param);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process == search->Process && IsWindowVisible(window)) {
    try {
      search->Windows.push_back(window);
    } catch (...) {
      return FALSE;  // out of memory: search what was found so far
    }
  }
  return TRUE;
}

}  // namespace

// Sleeps in short steps so that a destroyed runner is not kept waiting.
void TScriptSession::Pause(unsigned ms) {
  auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (true) {
    if (FCancel) throw TScriptError("stopped");
    auto now = std::chrono::steady_clock::now();
    if (now >= until) return;
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - now).count();
    Sleep(static_cast<DWORD>(std::min<long long>(left, kPollMs)));
  }
}

// Polls condition until it holds; false after timeoutMs.
bool TScriptSession::WaitFor(unsigned timeoutMs, const std::function<bool()>& condition) {
  auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (true) {
    if (condition()) return true;
    if (std::chrono::steady_clock::now() >= until) return false;
    Pause(kPollMs);
  }
}

// Returns once the window's thread has handled what this command posted: a marker is
// posted behind it, and the wait ends when the thread takes the marker from its queue. A
// thread takes its next posted message only after the one before has been handled, or from
// a nested message loop (a message box opened by a handler), where the script must go on.
// Sent messages prove nothing here: a thread answers them before it takes a posted one. A
// window that closed in the meantime ends the wait early.
void TScriptSession::Sync(HWND window) {
  if (FPosted == 0) return;
  FPosted = 0;
  TQueueMarker marker(window);
  marker.Wait(ScaledWaitMs(kSendTimeoutMs));
}

void TScriptSession::FindWindowByCaption(const std::string& caption, unsigned timeoutMs) {
  HWND found = nullptr;
  bool ok = WaitFor(timeoutMs, [&] {
    TWindowSearch search{GetCurrentProcessId(), {}};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
    HWND prefixMatch = nullptr;
    for (HWND window : search.Windows) {
      const std::string text = CaptionOf(window);
      if (text == caption) {
        found = window;
        return true;
      }
      if (prefixMatch == nullptr && text.compare(0, caption.size(), caption) == 0) prefixMatch = window;
    }
    found = prefixMatch;
    return found != nullptr;
  });
  if (!ok) {
    throw TScriptError("no window " + Quoted(caption) + " appeared within " + std::to_string(timeoutMs) + " ms");
  }
  // A window shows before its thread has finished opening it (a modal loop puts the focus on
  // its first control after showing): the script goes on once that thread takes input.
  TQueueMarker marker(found);
  marker.Wait(timeoutMs);
  FWindow = found;
  FCaption = CaptionOf(found);
}

void TScriptSession::WaitEnabled(const std::string& name, bool enabled, unsigned timeoutMs) {
  bool ok = WaitFor(timeoutMs, [&] {
    HWND control = FindControlByName(CurrentWindow(), name.c_str());
    return control != nullptr && (IsWindowEnabled(control) != FALSE) == enabled;
  });
  if (!ok) {
    throw TScriptError("the control '" + name + "' did not become " + (enabled ? "enabled" : "disabled") +
                       " within " + std::to_string(timeoutMs) + " ms");
  }
}

void TScriptSession::WaitText(const std::string& name, const std::string& text, unsigned timeoutMs) {
  std::string last;
  bool ok = WaitFor(timeoutMs, [&] {
    HWND control = FindControlByName(CurrentWindow(), name.c_str());
    if (control == nullptr) return false;
    last = TextOf(control);
    return last == text;
  });
  if (!ok) {
    throw TScriptError("the text of '" + name + "' is " + Quoted(last) + ", not " + Quoted(text) +
                       ", after " + std::to_string(timeoutMs) + " ms");
  }
}

void TScriptSession::WaitClosed(unsigned timeoutMs) {
  if (FWindow == nullptr) throw TScriptError("no current window (a 'window' command comes first)");
  HWND window = FWindow;
  if (!WaitFor(timeoutMs, [&] { return !IsWindow(window) || !IsWindowVisible(window); })) {
    throw TScriptError("the window " + Quoted(FCaption) + " is still open after " + std::to_string(timeoutMs) + " ms");
  }
  FWindow = nullptr;
}
