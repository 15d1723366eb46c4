#include "GroupBox.h"

#include "SiblingClip.h"

TGroupBox::TGroupBox(TWinControl* parent, const char* name) : TWinControl(parent, name) {
  SetBounds(0, 0, 185, 105);
  // WS_EX_CONTROLPARENT lets Tab move into the controls of the box.
  CreateHandle(nullptr, WS_VISIBLE | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT, "", parent->Handle(),
               parent->NextControlId());
}

void TGroupBox::SetCaption(const std::string& caption) {
  TWinControl::SetCaption(caption);
  Invalidate();
}

int TGroupBox::CaptionHeight() const {
  HDC dc = GetDC(nullptr);
  HGDIOBJ oldFont = SelectObject(dc, Font().Handle());
  TEXTMETRICA metrics{};
  GetTextMetricsA(dc, &metrics);
  SelectObject(dc, oldFont);
  ReleaseDC(nullptr, dc);
  return metrics.tmHeight;
}

void TGroupBox::Paint(HDC dc) {
  ExcludeLaterSiblings(dc, *this);
  TControl::Paint(dc);
  std::string text = Caption();
  HGDIOBJ oldFont = SelectObject(dc, Font().Handle());
  TEXTMETRICA metrics{};
  GetTextMetricsA(dc, &metrics);
  // The frame runs through the middle of the caption line.
  RECT frame{0, metrics.tmHeight / 2, Width(), Height()};
  DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
  if (!text.empty()) {
    SIZE extent{};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    // A gap of two pixels on either side parts the caption from the frame line.
    RECT textRect{7, 0, 7 + extent.cx + 4, metrics.tmHeight};
    FillRect(dc, &textRect, BackgroundBrush());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, Enabled() ? ColorToRGB(Font().Color()) : GetSysColor(COLOR_GRAYTEXT));
    DrawTextA(dc, text.c_str(), -1, &textRect, DT_CENTER | DT_SINGLELINE | DT_NOPREFIX);
  }
  SelectObject(dc, oldFont);
}
