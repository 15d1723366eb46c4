#include "ProgressBar.h"

#include <commctrl.h>

#include <algorithm>

#include "CommonControls.h"

namespace {

constexpr int kMin = 0;
constexpr int kMax = 100;

}  // namespace

TProgressBar::TProgressBar(TWinControl* parent, const char* name) : TControl(parent, name, false) {
  EnsureCommonControls();
  SetBounds(0, 0, 150, 16);
  CreateHandle(PROGRESS_CLASSA, WS_VISIBLE, 0, "", parent->Handle(), parent->NextControlId());
  SendMessageA(Handle(), PBM_SETRANGE32, kMin, kMax);
  SendMessageA(Handle(), PBM_SETPOS, 0, 0);
}

void TProgressBar::SetPosition(int position) {
  FPosition = std::clamp(position, kMin, kMax);
  SendMessageA(Handle(), PBM_SETPOS, static_cast<WPARAM>(FPosition), 0);
}
