#include "TrackBar.h"

#include <commctrl.h>

#include <algorithm>

#include "CommonControls.h"

TTrackBar::TTrackBar(TWinControl* parent, const char* name) : TControl(parent, name, false) {
  EnsureCommonControls();
  SetBounds(0, 0, 150, 45);
  CreateHandle(TRACKBAR_CLASSA,
               WS_VISIBLE | WS_TABSTOP | TBS_HORZ | TBS_BOTTOM | TBS_AUTOTICKS | TBS_FIXEDLENGTH,
               0, "", parent->Handle(), parent->NextControlId());
  SendMessageA(Handle(), TBM_SETRANGEMIN, FALSE, FMin);
  SendMessageA(Handle(), TBM_SETRANGEMAX, FALSE, FMax);
  SendMessageA(Handle(), TBM_SETTICFREQ, static_cast<WPARAM>(FFrequency), 0);
  SendMessageA(Handle(), TBM_SETTHUMBLENGTH, static_cast<WPARAM>(FThumbLength), 0);
  SendMessageA(Handle(), TBM_SETPOS, TRUE, FPosition);
}

void TTrackBar::SetMin(int min) {
  if (min == FMin || min > FMax) return;
  FMin = min;
  SendMessageA(Handle(), TBM_SETRANGEMIN, TRUE, FMin);
  // The control may have moved its thumb on its own; ours decides.
  SendMessageA(Handle(), TBM_SETPOS, TRUE, FPosition);
  ChangePosition(std::clamp(FPosition, FMin, FMax));
}

void TTrackBar::SetMax(int max) {
  if (max == FMax || max < FMin) return;
  FMax = max;
  SendMessageA(Handle(), TBM_SETRANGEMAX, TRUE, FMax);
  SendMessageA(Handle(), TBM_SETPOS, TRUE, FPosition);
  ChangePosition(std::clamp(FPosition, FMin, FMax));
}

void TTrackBar::SetPosition(int position) { ChangePosition(std::clamp(position, FMin, FMax)); }

void TTrackBar::ChangePosition(int position) {
  if (position == FPosition) return;
  FPosition = position;
  SendMessageA(Handle(), TBM_SETPOS, TRUE, FPosition);
  if (OnChange) OnChange();
}

void TTrackBar::SetFrequency(int frequency) {
  FFrequency = frequency;
  SendMessageA(Handle(), TBM_SETTICFREQ, static_cast<WPARAM>(frequency), 0);
}

void TTrackBar::SetTickStyle(TTickStyle style) {
  FTickStyle = style;
  LONG bits = GetWindowLongA(Handle(), GWL_STYLE) & ~(TBS_AUTOTICKS | TBS_NOTICKS);
  bits |= style == tsAuto ? TBS_AUTOTICKS : TBS_NOTICKS;
  SetWindowLongA(Handle(), GWL_STYLE, bits);
  SendMessageA(Handle(), TBM_SETTICFREQ, static_cast<WPARAM>(FFrequency), 0);
  Invalidate();
}

void TTrackBar::SetThumbLength(int length) {
  FThumbLength = length;
  SendMessageA(Handle(), TBM_SETTHUMBLENGTH, static_cast<WPARAM>(length), 0);
  Invalidate();
}

bool TTrackBar::Reflect(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (msg == WM_HSCROLL) {
    // Every user move (drag, click beside the thumb, keys) arrives here; the control keeps
    // its thumb inside the range it was given.
    auto position = static_cast<int>(SendMessageA(Handle(), TBM_GETPOS, 0, 0));
    ChangePosition(std::clamp(position, FMin, FMax));
    result = 0;
    return true;
  }
  return TControl::Reflect(msg, wParam, lParam, result);
}
