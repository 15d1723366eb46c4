// Kernel events, named or not, with automatic or manual reset.
#pragma once

#include <windows.h>

#include <string>

#include "Threads.h"

enum TWaitResult { wrSignaled, wrTimeout, wrAbandoned, wrError };

class TEvent {
 public:
  // A named event opens the existing object of that name when there is one (its reset mode
  // and state are then the existing object's). Throws std::system_error when neither works.
  TEvent(bool manualReset, bool initialState, const std::string& name = std::string());

  void Set();
  void Reset();
  TWaitResult WaitFor(DWORD timeoutMs = INFINITE);
  HANDLE Handle() const { return FHandle.Get(); }

 private:
  TKernelHandle FHandle;
};
