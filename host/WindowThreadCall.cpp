#include "WindowThreadCall.h"

#include <condition_variable>
#include <map>
#include <mutex>

namespace {

// The carrier is a sent WM_NULL, which every window procedure ignores, with this tag and the
// call's cookie.
const WPARAM kCallTag = 0x534B5243;  // "SKRC"

enum class TCallState { Waiting, Running, Done };

struct TCall {
  const std::function<void()>* Work;
  TCallState State;
};

// Calls by cookie. A caller that gave up withdraws its call under the lock, so a carrier that
// arrives late finds nothing to run; one whose work has started waits for it instead.
std::mutex gLock;
std::condition_variable gChanged;
std::map<LPARAM, TCall> gCalls;
LPARAM gNextCookie = 1;

void RunCall(LPARAM cookie) {
  const std::function<void()>* work;
  {
    std::lock_guard<std::mutex> lock(gLock);
    auto call = gCalls.find(cookie);
    if (call == gCalls.end() || call->second.State != TCallState::Waiting) return;
    call->second.State = TCallState::Running;
    work = call->second.Work;
  }
  (*work)();
  {
    std::lock_guard<std::mutex> lock(gLock);
    gCalls.at(cookie).State = TCallState::Done;
  }
  gChanged.notify_all();
}

// Runs on the owning thread for every message sent to its windows.
LRESULT CALLBACK CallWndProcHook(int code, WPARAM sentByThisThread, LPARAM param) {
  if (code == HC_ACTION) {
    const auto* message = reinterpret_cast<const CWPSTRUCT*>(param);
    if (message->message == WM_NULL && message->wParam == kCallTag) RunCall(message->lParam);
  }
  return CallNextHookEx(nullptr, code, sentByThisThread, param);
}

}  // namespace

bool RunOnWindowThread(HWND window, unsigned timeoutMs, const std::function<void()>& work) {
  DWORD process = 0;
  const DWORD thread = GetWindowThreadProcessId(window, &process);
  if (thread == 0 || process != GetCurrentProcessId()) return false;
  if (thread == GetCurrentThreadId()) {
    work();
    return true;
  }
  LPARAM cookie;
  {
    std::lock_guard<std::mutex> lock(gLock);
    cookie = gNextCookie++;
    gCalls.emplace(cookie, TCall{&work, TCallState::Waiting});
  }
  // A hook on a thread of this process needs no module: the procedure is already there.
  if (HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, CallWndProcHook, nullptr, thread)) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(window, WM_NULL, kCallTag, cookie, SMTO_NORMAL, timeoutMs, &ignored);
    UnhookWindowsHookEx(hook);
  }
  std::unique_lock<std::mutex> lock(gLock);
  gChanged.wait(lock, [cookie] { return gCalls.at(cookie).State != TCallState::Running; });
  const bool ran = gCalls.at(cookie).State == TCallState::Done;
  gCalls.erase(cookie);
  return ran;
}
