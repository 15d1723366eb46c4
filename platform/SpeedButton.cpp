#include "SpeedButton.h"

#include "BitmapCanvas.h"

TSpeedButton::TSpeedButton(TWinControl* parent, const char* name) : TControl(parent, name, true) {
  SetBounds(0, 0, 23, 22);
  CreateHandle(nullptr, WS_VISIBLE, 0, "", parent->Handle(), 0);
}

void TSpeedButton::SetFlat(bool flat) {
  FFlat = flat;
  Invalidate();
}

bool TSpeedButton::LoadGlyph(HINSTANCE module, const char* resourceName, TColor transparentColor) {
  auto glyph = LoadBitmapResource(module, resourceName);
  bool loaded = glyph != nullptr;
  SetGlyph(std::move(glyph), transparentColor);
  return loaded;
}

void TSpeedButton::SetGlyph(std::unique_ptr<TBitmap24> glyph, TColor transparentColor) {
  FGlyph = std::move(glyph);
  FTransparentColor = ColorToRGB(transparentColor);
  Invalidate();
}

bool TSpeedButton::MouseCaptured() const { return Handle() != nullptr && GetCapture() == Handle(); }

bool TSpeedButton::Contains(int x, int y) const {
  return x >= 0 && y >= 0 && x < Width() && y < Height();
}

void TSpeedButton::SetDown(bool down) {
  if (down == FDown) return;
  FDown = down;
  Invalidate();
}

void TSpeedButton::SetHot(bool hot) {
  if (hot == FHot) return;
  FHot = hot;
  if (FFlat) Invalidate();
}

void TSpeedButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft) {
    FPressed = true;
    SetCapture(Handle());
    SetDown(true);
  }
  if (OnMouseDown) OnMouseDown(button, shift, x, y);
}

void TSpeedButton::MouseMove(TShiftState shift, int x, int y) {
  // Leaving the button while it is held leaves the down state; coming back re-enters it.
  if (FPressed) SetDown(Contains(x, y));
  if (OnMouseMove) OnMouseMove(shift, x, y);
}

void TSpeedButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  bool clicked = false;
  if (button == mbLeft && FPressed) {
    clicked = Contains(x, y);
    FPressed = false;
    SetDown(false);
    if (MouseCaptured()) ReleaseCapture();
  }
  if (OnMouseUp) OnMouseUp(button, shift, x, y);
  // Last: a click may end the form's life.
  if (clicked) Click();
}

LRESULT TSpeedButton::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  int x = static_cast<short>(LOWORD(lParam));
  int y = static_cast<short>(HIWORD(lParam));
  switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      MouseDown(ButtonOfMessage(msg), ShiftFromKeys(wParam), x, y);
      return 0;
    case WM_MOUSEMOVE: {
      if (!FHot) {
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, Handle(), 0};
        TrackMouseEvent(&track);
      }
      SetHot(Contains(x, y));
      MouseMove(ShiftFromKeys(wParam), x, y);
      return 0;
    }
    case WM_MOUSELEAVE:
      SetHot(false);
      return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
      MouseUp(ButtonOfMessage(msg), ShiftFromKeys(wParam), x, y);
      return 0;
    case WM_CAPTURECHANGED:
      // Capture taken away (another window, a message box): the press is over, no click.
      if (reinterpret_cast<HWND>(lParam) != Handle()) {
        FPressed = false;
        SetDown(false);
      }
      return 0;
    default:
      return TControl::WndProc(msg, wParam, lParam);
  }
}

void TSpeedButton::DrawGlyph(HDC dc, int left, int top, COLORREF color, bool useOwnColors) const {
  // Glyphs are a few dozen pixels; keying them out pixel by pixel needs no mask bitmaps.
  for (int y = 0; y < FGlyph->Height(); ++y) {
    const std::uint8_t* row = FGlyph->Row(y);
    for (int x = 0; x < FGlyph->Width(); ++x) {
      COLORREF pixel = RGB(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
      if (pixel == FTransparentColor) continue;
      SetPixelV(dc, left + x, top + y, useOwnColors ? pixel : color);
    }
  }
}

void TSpeedButton::Paint(HDC dc) {
  RECT client{0, 0, Width(), Height()};
  if (FFlat) {
    PaintUnderneath(dc);
    if (FDown)
      DrawEdge(dc, &client, BDR_SUNKENOUTER, BF_RECT);
    else if (FHot && Enabled())
      DrawEdge(dc, &client, BDR_RAISEDINNER, BF_RECT);
  } else {
    DrawFrameControl(dc, &client, DFC_BUTTON, DFCS_BUTTONPUSH | (FDown ? DFCS_PUSHED : 0));
  }
  if (FGlyph == nullptr) return;
  int left = (Width() - FGlyph->Width()) / 2 + (FDown ? 1 : 0);
  int top = (Height() - FGlyph->Height()) / 2 + (FDown ? 1 : 0);
  if (Enabled()) {
    DrawGlyph(dc, left, top, 0, true);
  } else {
    // The engraved look of a disabled glyph.
    DrawGlyph(dc, left + 1, top + 1, GetSysColor(COLOR_BTNHIGHLIGHT), false);
    DrawGlyph(dc, left, top, GetSysColor(COLOR_BTNSHADOW), false);
  }
}
