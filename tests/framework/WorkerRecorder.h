// For the deconvolution worker tests: a hidden window that records what a worker posts to its
// dialog, and the small planes the workers run on.
#pragma once

#include <windows.h>

#include <cstddef>
#include <vector>

#include "WaitFactor.h"

class TDataContainer;

// A 32 x 32 pattern of bright points on a faint background, and a small disc PSF centred at
// (0, 0), both in the planes given.
void FillWorkerTestPlanes(TDataContainer& image, TDataContainer& psf);

struct TPosted {
  UINT Message;
  WPARAM ThreadID;
};

// Records every message from WM_USER to WM_USER + 0xFF, so that a wrong number shows too.
// One recorder at a time.
class TRecorder {
 public:
  TRecorder();
  ~TRecorder();
  TRecorder(const TRecorder&) = delete;
  TRecorder& operator=(const TRecorder&) = delete;

  HWND Wnd() const { return FWnd; }

  // Dispatches messages (the worker's progress calls among them) until count messages have
  // been recorded or timeoutMs has passed.
  void PumpUntil(size_t count, DWORD timeoutMs = ScaledWaitMs(10000));

  std::vector<TPosted> Posted;

 private:
  HWND FWnd = nullptr;
};
