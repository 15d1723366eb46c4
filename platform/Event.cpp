#include "Event.h"

#include <system_error>

TEvent::TEvent(bool manualReset, bool initialState, const std::string& name)
    : FHandle(CreateEventA(nullptr, manualReset, initialState, name.empty() ? nullptr : name.c_str())) {
  if (!FHandle) throw std::system_error(GetLastError(), std::system_category(), "CreateEvent");
}

void TEvent::Set() { SetEvent(FHandle.Get()); }

void TEvent::Reset() { ResetEvent(FHandle.Get()); }

TWaitResult TEvent::WaitFor(DWORD timeoutMs) {
  switch (FHandle.Wait(timeoutMs)) {
    case WAIT_OBJECT_0: return wrSignaled;
    case WAIT_TIMEOUT: return wrTimeout;
    case WAIT_ABANDONED: return wrAbandoned;
    default: return wrError;
  }
}
