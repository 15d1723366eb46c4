#include "Threads.h"

#include "FloatingPointState.h"
#include "WindowClass.h"

#include <process.h>

#include <exception>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <system_error>
#include <utility>
#include <vector>

TKernelHandle::TKernelHandle(HANDLE handle)
    : FHandle(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}

TKernelHandle::~TKernelHandle() {
  if (FHandle != nullptr) CloseHandle(FHandle);
}

TKernelHandle::TKernelHandle(TKernelHandle&& other) noexcept
    : FHandle(std::exchange(other.FHandle, nullptr)) {}

TKernelHandle& TKernelHandle::operator=(TKernelHandle&& other) noexcept {
  if (this != &other) {
    if (FHandle != nullptr) CloseHandle(FHandle);
    FHandle = std::exchange(other.FHandle, nullptr);
  }
  return *this;
}

DWORD TKernelHandle::Wait(DWORD timeoutMs) const {
  if (FHandle == nullptr) return WAIT_FAILED;
  return WaitForSingleObject(FHandle, timeoutMs);
}

namespace {

const UINT kSyncMessage = WM_APP + 1;

// One call of Synchronize in flight: the worker waits on Done until the window has run
// Method on its own thread.
struct TSyncRequest {
  const std::function<void()>* Method;
  std::exception_ptr Error;
  HANDLE Done;
};

LRESULT CALLBACK SyncWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != kSyncMessage) return DefWindowProcA(window, message, wParam, lParam);
  auto* request = reinterpret_cast<TSyncRequest*>(lParam);
  try {
    (*request->Method)();
  } catch (...) {
    request->Error = std::current_exception();
  }
  SetEvent(request->Done);
  return 0;
}

// The hidden message-only windows through which workers reach the threads that created them:
// one per such thread, kept for the life of the module so that no request can find its window
// gone. At unload the windows of the unloading thread are destroyed; those of threads that
// have ended went with their threads.
class TSyncWindows {
 public:
  ~TSyncWindows() {
    DWORD current = GetCurrentThreadId();
    for (auto& entry : FWindows)
      if (entry.first == current && IsWindow(entry.second)) DestroyWindow(entry.second);
  }

  HWND ForCurrentThread() {
    std::lock_guard<std::mutex> lock(FLock);
    DWORD current = GetCurrentThreadId();
    for (auto& entry : FWindows) {
      if (entry.first != current) continue;
      // A thread identifier can be reused after its thread (and its window) ended.
      if (IsWindow(entry.second) && GetWindowThreadProcessId(entry.second, nullptr) == current)
        return entry.second;
      entry.second = CreateSyncWindow();
      return entry.second;
    }
    HWND window = CreateSyncWindow();
    FWindows.emplace_back(current, window);
    return window;
  }

 private:
  HWND CreateSyncWindow() {
    // Registered with the first window; a failed registration is tried again with the next.
    if (FClass == nullptr || !FClass->Registered())
      FClass = std::make_unique<TWindowClass>("SkelvaneThreadSync", SyncWindowProc);
    HWND window = CreateWindowExA(0, FClass->Name(), "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  ModuleInstance(), nullptr);
    if (window == nullptr) throw std::system_error(GetLastError(), std::system_category(), "CreateWindowEx");
    return window;
  }

  std::mutex FLock;
  std::vector<std::pair<DWORD, HWND>> FWindows;
  // Unregistered when the object goes, after its destructor has destroyed the windows.
  std::unique_ptr<TWindowClass> FClass;
};

TSyncWindows& SyncWindows() {
  static TSyncWindows windows;
  return windows;
}

}  // namespace

TThread::TThread() : FOwnerThreadID(GetCurrentThreadId()), FSyncWindow(SyncWindows().ForCurrentThread()) {
  unsigned id = 0;
  uintptr_t handle = _beginthreadex(nullptr, 0, ThreadProc, this, CREATE_SUSPENDED, &id);
  if (handle == 0) throw std::system_error(errno, std::generic_category(), "_beginthreadex");
  FHandle = TKernelHandle(reinterpret_cast<HANDLE>(handle));
  FThreadID = id;
}

TThread::~TThread() {
  if (GetCurrentThreadId() == FThreadID) return;  // freeing itself at the end of its thread
  if (!FStarted) {
    FAbandoned = true;
    FFreeOnTerminate = false;
    ResumeThread(FHandle.Get());
  } else {
    Terminate();
  }
  FHandle.Wait();
}

void TThread::Resume() {
  if (FStarted) return;
  FStarted = true;
  ResumeThread(FHandle.Get());
}

TKernelHandle TThread::DuplicateHandleForWait() const {
  HANDLE copy = nullptr;
  if (!DuplicateHandle(GetCurrentProcess(), FHandle.Get(), GetCurrentProcess(), &copy, SYNCHRONIZE, FALSE, 0))
    throw std::system_error(GetLastError(), std::system_category(), "DuplicateHandle");
  return TKernelHandle(copy);
}

void TThread::WaitFor() const { FHandle.Wait(); }

void TThread::WaitServingCalls() const {
  HANDLE thread = FHandle.Get();
  bool quit = false;
  WPARAM exitCode = 0;
  // Keeping the quit back until the end matters: posted again at once, it would wake the
  // wait below at once, over and over, for as long as the worker runs.
  while (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        quit = true;
        exitCode = msg.wParam;
        continue;
      }
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
  if (quit) PostQuitMessage(static_cast<int>(exitCode));
}

void TThread::Synchronize(const std::function<void()>& method) {
  if (GetCurrentThreadId() == FOwnerThreadID) {
    method();
    return;
  }
  TKernelHandle done(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  if (!done) throw std::system_error(GetLastError(), std::system_category(), "CreateEvent");
  TSyncRequest request{&method, nullptr, done.Get()};
  if (!PostMessageA(FSyncWindow, kSyncMessage, 0, reinterpret_cast<LPARAM>(&request)))
    throw std::system_error(GetLastError(), std::system_category(), "PostMessage");
  done.Wait();
  if (request.Error) std::rethrow_exception(request.Error);
}

unsigned __stdcall TThread::ThreadProc(void* param) {
  auto* thread = static_cast<TThread*>(param);
  if (thread->FAbandoned) return 0;
  SetWorkerFloatingPointState();
  try {
    thread->Execute();
  } catch (...) {
    // Nothing may unwind into the system's frames; the thread simply ends.
  }
  if (thread->FFreeOnTerminate) {
    try {
      delete thread;
    } catch (...) {
    }
  }
  return 0;
}
