#include "WorkerRecorder.h"

#include "framework/DataContainer.h"

namespace {

std::vector<TPosted>* gPosted = nullptr;

LRESULT CALLBACK RecordingProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message >= WM_USER && message < WM_USER + 0x100 && gPosted != nullptr) {
    gPosted->push_back({message, wParam});
    return 0;
  }
  return DefWindowProcA(wnd, message, wParam, lParam);
}

}  // namespace

TRecorder::TRecorder() {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = RecordingProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "SkelvaneWorkerRecorder";
  RegisterClassA(&wc);
  FWnd = CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                         wc.hInstance, nullptr);
  gPosted = &Posted;
}

TRecorder::~TRecorder() {
  gPosted = nullptr;
  DestroyWindow(FWnd);
}

void TRecorder::PumpUntil(size_t count, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  while (Posted.size() < count && GetTickCount() - start < timeoutMs) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  }
}

void FillWorkerTestPlanes(TDataContainer& image, TDataContainer& psf) {
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      image.SetValue(x, y, ((x * 7 + y * 13) % 17 == 0) ? 1.0f : 0.05f);
      const int dx = x < 16 ? x : 32 - x, dy = y < 16 ? y : 32 - y;
      psf.SetValue(x, y, dx * dx + dy * dy <= 2 ? 0.2f : 0.0f);
    }
}
