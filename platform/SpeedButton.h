// Speed button: a painted button with a glyph that never takes the focus.
#pragma once

#include <memory>

#include "Bitmap24.h"
#include "Control.h"

// Shows its down state while the left mouse button, pressed on it, is held with the pointer
// over it, and raises OnClick when that button is released over it. Flat buttons show no
// border until the pointer is over them. The window carries the button's Name.
class TSpeedButton : public TControl {
 public:
  TSpeedButton(TWinControl* parent, const char* name);

  bool Flat() const { return FFlat; }
  void SetFlat(bool flat);

  // The glyph is drawn centred; its pixels of transparentColor are left out. LoadGlyph reads
  // the bitmap resource resourceName of module and returns false (no glyph) when it fails.
  bool LoadGlyph(HINSTANCE module, const char* resourceName, TColor transparentColor);
  void SetGlyph(std::unique_ptr<TBitmap24> glyph, TColor transparentColor);
  const TBitmap24* Glyph() const { return FGlyph.get(); }

  // The down state: pressed with the left button and the pointer over the button.
  bool Down() const { return FDown; }
  // True while the button holds the mouse capture (from a left press until its release).
  bool MouseCaptured() const;

 protected:
  // Mouse handling; derived buttons extend it and call these first. MouseDown with the left
  // button enters the down state and captures the mouse; MouseUp of the left button leaves
  // it and clicks when released over the button. Each raises its mouse event.
  virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseMove(TShiftState shift, int x, int y);
  virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);

  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
  void Paint(HDC dc) override;

 private:
  bool Contains(int x, int y) const;
  void SetDown(bool down);
  void SetHot(bool hot);
  void DrawGlyph(HDC dc, int left, int top, COLORREF color, bool useOwnColors) const;

  std::unique_ptr<TBitmap24> FGlyph;
  COLORREF FTransparentColor = 0;
  bool FFlat = false;
  bool FPressed = false;  // left button pressed on the button and not yet released
  bool FDown = false;
  bool FHot = false;      // pointer over the button (for the flat look)
};
