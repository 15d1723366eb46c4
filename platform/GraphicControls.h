// Controls that only paint, on our own window class: labels, shapes and images.
#pragma once

#include <memory>
#include <string>

#include "Control.h"

class TBitmap24;

// Text painted on the parent's colour. Sized to its text (AutoSize) until SetBounds gives it
// a size; with WordWrap the text wraps at the width.
class TLabel : public TControl {
 public:
  TLabel(TWinControl* parent, const char* name);

  void SetCaption(const std::string& caption) override;
  void SetBounds(int left, int top, int width, int height) override;
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool autoSize);
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool wordWrap);

 protected:
  void Paint(HDC dc) override;
  void FontChanged() override;

 private:
  void AdjustSize();

  bool FAutoSize = true;
  bool FWordWrap = false;
};

enum TShapeType { stRectangle };

// Rectangle drawn with a pen (1 pixel) and a brush.
class TShape : public TControl {
 public:
  TShape(TWinControl* parent, const char* name);

  TColor PenColor() const { return FPenColor; }
  void SetPenColor(TColor color);
  TColor BrushColor() const { return FBrushColor; }
  void SetBrushColor(TColor color);

 protected:
  void Paint(HDC dc) override;

 private:
  TColor FPenColor = clBlack;
  TColor FBrushColor = clWhite;
};

// Shows a 24-bit picture at its top left, unscaled and clipped, or an icon. Transparent shows
// what lies beneath wherever the picture does not cover (the icon's own transparency).
class TImage : public TControl {
 public:
  TImage(TWinControl* parent, const char* name);
  ~TImage() override;

  // The picture, owned by the image (nullptr: none). After drawing into it call Invalidate.
  TBitmap24* Picture() const { return FPicture.get(); }
  void SetPicture(std::unique_ptr<TBitmap24> picture);
  // Shows icon instead of a picture; the image takes ownership (pass a copy of shared icons).
  void SetIcon(HICON icon);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool transparent);

 protected:
  void Paint(HDC dc) override;

 private:
  std::unique_ptr<TBitmap24> FPicture;
  HICON FIcon = nullptr;
  bool FTransparent = false;
};
