#include "GraphicControls.h"

#include "BitmapCanvas.h"
#include "GdiObjects.h"

// ---- TLabel

TLabel::TLabel(TWinControl* parent, const char* name) : TControl(parent, name, true) {
  CreateHandle(nullptr, WS_VISIBLE, 0, "", parent->Handle(), parent->NextControlId());
  AdjustSize();
}

void TLabel::SetCaption(const std::string& caption) {
  TControl::SetCaption(caption);
  AdjustSize();
}

void TLabel::SetBounds(int left, int top, int width, int height) {
  if (width != Width() || height != Height()) FAutoSize = false;
  TControl::SetBounds(left, top, width, height);
}

void TLabel::SetAutoSize(bool autoSize) {
  FAutoSize = autoSize;
  AdjustSize();
}

void TLabel::SetWordWrap(bool wordWrap) {
  FWordWrap = wordWrap;
  AdjustSize();
  Invalidate();
}

void TLabel::FontChanged() {
  TControl::FontChanged();
  AdjustSize();
}

void TLabel::AdjustSize() {
  if (!FAutoSize || Handle() == nullptr) return;
  std::string text = Caption();
  RECT rect{0, 0, FWordWrap ? Width() : 0, 0};
  {
    TScreenDC screen;
    TSelection font(screen.Get(), Font().Handle());
    UINT format = DT_CALCRECT | DT_NOPREFIX | (FWordWrap ? DT_WORDBREAK : 0);
    // An empty caption still takes one line's height.
    DrawTextA(screen.Get(), text.empty() ? " " : text.c_str(), -1, &rect, format);
  }
  TControl::SetBounds(Left(), Top(), rect.right - rect.left, rect.bottom - rect.top);
}

void TLabel::Paint(HDC dc) {
  TControl::Paint(dc);
  RECT client;
  GetClientRect(Handle(), &client);
  std::string text = Caption();
  TSelection font(dc, Font().Handle());
  SetBkMode(dc, TRANSPARENT);
  UINT format = DT_LEFT | DT_NOPREFIX | (FWordWrap ? DT_WORDBREAK : DT_SINGLELINE);
  if (Enabled()) {
    SetTextColor(dc, ColorToRGB(Font().Color()));
    DrawTextA(dc, text.c_str(), -1, &client, format);
  } else {
    // The engraved look of disabled text.
    RECT shifted = client;
    OffsetRect(&shifted, 1, 1);
    SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
    DrawTextA(dc, text.c_str(), -1, &shifted, format);
    SetTextColor(dc, GetSysColor(COLOR_BTNSHADOW));
    DrawTextA(dc, text.c_str(), -1, &client, format);
  }
}

// ---- TShape

TShape::TShape(TWinControl* parent, const char* name) : TControl(parent, name, true) {
  SetBounds(0, 0, 65, 65);
  CreateHandle(nullptr, WS_VISIBLE, 0, "", parent->Handle(), parent->NextControlId());
}

void TShape::SetPenColor(TColor color) {
  FPenColor = color;
  Invalidate();
}

void TShape::SetBrushColor(TColor color) {
  FBrushColor = color;
  Invalidate();
}

void TShape::Paint(HDC dc) {
  TGdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, ColorToRGB(FPenColor)));
  TGdiObject<HBRUSH> brush(CreateSolidBrush(ColorToRGB(FBrushColor)));
  TSelection penSelection(dc, pen.Get());
  TSelection brushSelection(dc, brush.Get());
  Rectangle(dc, 0, 0, Width(), Height());
}

// ---- TImage

TImage::TImage(TWinControl* parent, const char* name) : TControl(parent, name, true) {
  SetBounds(0, 0, 105, 105);
  CreateHandle(nullptr, WS_VISIBLE, 0, "", parent->Handle(), parent->NextControlId());
}

TImage::~TImage() {
  if (FIcon != nullptr) DestroyIcon(FIcon);
}

void TImage::SetPicture(std::unique_ptr<TBitmap24> picture) {
  FPicture = std::move(picture);
  Invalidate();
}

void TImage::SetIcon(HICON icon) {
  if (FIcon != nullptr && FIcon != icon) DestroyIcon(FIcon);
  FIcon = icon;
  Invalidate();
}

void TImage::SetTransparent(bool transparent) {
  FTransparent = transparent;
  Invalidate();
}

void TImage::Paint(HDC dc) {
  if (FTransparent)
    PaintUnderneath(dc);
  else
    TControl::Paint(dc);
  if (FPicture != nullptr) {
    DrawBitmap(dc, 0, 0, *FPicture);
  } else if (FIcon != nullptr) {
    DrawIconEx(dc, 0, 0, FIcon, 0, 0, 0, nullptr, DI_NORMAL);
  }
}
