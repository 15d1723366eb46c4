// Worker threads that can run a method on the user-interface thread, and owned kernel handles.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>

// Owns one kernel handle (thread, event, ...) and closes it when it goes.
class TKernelHandle {
 public:
  TKernelHandle() = default;
  explicit TKernelHandle(HANDLE handle);
  ~TKernelHandle();
  TKernelHandle(TKernelHandle&& other) noexcept;
  TKernelHandle& operator=(TKernelHandle&& other) noexcept;
  TKernelHandle(const TKernelHandle&) = delete;
  TKernelHandle& operator=(const TKernelHandle&) = delete;

  HANDLE Get() const { return FHandle; }
  explicit operator bool() const { return FHandle != nullptr; }

  // WAIT_OBJECT_0 once the object is signalled, WAIT_TIMEOUT, or WAIT_FAILED.
  DWORD Wait(DWORD timeoutMs = INFINITE) const;

 private:
  HANDLE FHandle = nullptr;
};

// A worker thread. The object is created on the user-interface thread, always suspended, and
// its thread runs Execute once Resume is called. The thread sets the floating-point state of a
// new thread (all exceptions masked, round to nearest) before Execute, whatever mode the
// creating thread runs in. No exception leaves the thread: whatever Execute throws ends it.
class TThread {
 public:
  TThread();
  // Destroying an unfinished thread from another thread asks it to terminate and waits for it
  // to end; a thread that was never resumed ends without running Execute.
  virtual ~TThread();
  TThread(const TThread&) = delete;
  TThread& operator=(const TThread&) = delete;

  // Starts Execute; a second call does nothing.
  void Resume();
  // Asks the thread to end; Execute polls Terminated.
  void Terminate() { FTerminated = true; }
  bool Terminated() const { return FTerminated; }
  DWORD ThreadID() const { return FThreadID; }
  HANDLE Handle() const { return FHandle.Get(); }

  // With FreeOnTerminate the object deletes itself on its own thread once Execute has
  // returned; from Resume on, the owner must then treat the object as gone at any moment.
  bool FreeOnTerminate() const { return FFreeOnTerminate; }
  void SetFreeOnTerminate(bool value) { FFreeOnTerminate = value; }

  // A handle of the thread that outlives the object, so that an owner can wait for the end
  // of a thread that frees itself. Take it before Resume.
  TKernelHandle DuplicateHandleForWait() const;

  // Waits for the thread to end. Not for threads that free themselves (use the handle above).
  void WaitFor() const;
  // The same on the thread that created this object, which meanwhile keeps dispatching its
  // messages, so that the worker's Synchronize calls are served and it can reach its end. A
  // quit message met meanwhile is posted again once the thread has ended, for the loop that
  // runs further up.
  void WaitServingCalls() const;

 protected:
  virtual void Execute() = 0;

  // Runs method on the thread that created this object and waits until it has returned; an
  // exception thrown by method is thrown here again. That thread must be pumping messages
  // (its modal loop does), or the caller waits until it does. Called on the creating thread
  // itself, method simply runs.
  void Synchronize(const std::function<void()>& method);

 private:
  static unsigned __stdcall ThreadProc(void* param);

  TKernelHandle FHandle;
  DWORD FThreadID = 0;
  DWORD FOwnerThreadID = 0;
  HWND FSyncWindow = nullptr;
  bool FStarted = false;
  // Set by a destructor that ends a never-resumed thread: the thread then skips Execute.
  std::atomic<bool> FAbandoned{false};
  std::atomic<bool> FTerminated{false};
  std::atomic<bool> FFreeOnTerminate{false};
};
