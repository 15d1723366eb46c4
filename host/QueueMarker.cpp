#include "QueueMarker.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <vector>

namespace {

// The marker is a posted WM_NULL, which every window procedure ignores, with this tag.
const WPARAM kMarkerTag = 0x534B4D52;  // "SKMR"

std::atomic<LPARAM> gNextCookie{1};
std::mutex gLock;
std::vector<LPARAM> gTaken;  // cookies whose marker has been taken and not yet waited for

// Runs on the watched thread whenever it takes a message from its queue.
LRESULT CALLBACK GetMessageHook(int code, WPARAM removal, LPARAM message) {
  if (code == HC_ACTION && removal == PM_REMOVE) {
    const MSG* msg = reinterpret_cast<const MSG*>(message);
    if (msg->message == WM_NULL && msg->wParam == kMarkerTag) {
      std::lock_guard<std::mutex> lock(gLock);
      gTaken.push_back(msg->lParam);
    }
  }
  return CallNextHookEx(nullptr, code, removal, message);
}

bool TakeCookie(LPARAM cookie) {
  std::lock_guard<std::mutex> lock(gLock);
  auto it = std::find(gTaken.begin(), gTaken.end(), cookie);
  if (it == gTaken.end()) return false;
  gTaken.erase(it);
  return true;
}

}  // namespace

TQueueMarker::TQueueMarker(HWND window) : FWindow(window), FCookie(gNextCookie++) {
  const DWORD thread = GetWindowThreadProcessId(window, nullptr);
  if (thread == 0) return;
  // A hook on a thread of this process needs no module: the procedure is already there.
  FHook = SetWindowsHookExW(WH_GETMESSAGE, GetMessageHook, nullptr, thread);
  FPosted = FHook != nullptr && PostMessageW(window, WM_NULL, kMarkerTag, FCookie);
}

TQueueMarker::~TQueueMarker() {
  if (FHook != nullptr) UnhookWindowsHookEx(FHook);
  TakeCookie(FCookie);
}

bool TQueueMarker::Wait(unsigned timeoutMs) {
  if (!FPosted) return false;
  const DWORD start = GetTickCount();
  for (;;) {
    if (TakeCookie(FCookie)) return true;
    // A dialog that closed (hidden or destroyed) may never take another message.
    const HWND root = GetAncestor(FWindow, GA_ROOT);
    if (!IsWindow(FWindow) || root == nullptr || !IsWindowVisible(root)) return false;
    if (GetTickCount() - start >= timeoutMs) return false;
    Sleep(1);
  }
}
