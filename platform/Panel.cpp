#include "Panel.h"

#include "SiblingClip.h"

TPanel::TPanel(TWinControl* parent, const char* name) : TWinControl(parent, name) {
  SetBounds(0, 0, 185, 41);
  CreateHandle(nullptr, WS_VISIBLE | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT, "", parent->Handle(),
               parent->NextControlId());
  // Panels are laid over controls made before them (the thumbnail panel over the radio
  // group), and the display paints only the uppermost of overlapping windows, so the panel
  // goes to the top of the window order. It is no Tab stop itself, so the Tab order of the
  // other controls, which is their window order, stays as it was.
  SetWindowPos(Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TPanel::SetBevelOuter(TBevelCut bevel) {
  FBevelOuter = bevel;
  Invalidate();
}

void TPanel::Paint(HDC dc) {
  ExcludeLaterSiblings(dc, *this);
  TControl::Paint(dc);
  RECT client{0, 0, Width(), Height()};
  if (FBevelOuter == bvRaised) DrawEdge(dc, &client, BDR_RAISEDINNER, BF_RECT);
  if (FBevelOuter == bvLowered) DrawEdge(dc, &client, BDR_SUNKENOUTER, BF_RECT);
}
