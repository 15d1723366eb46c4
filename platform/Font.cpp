#include "Control.h"

#include <cstring>

COLORREF ColorToRGB(TColor color) {
  if (color & kSystemColorFlag) return GetSysColor(static_cast<int>(color & 0xFF));
  return color;
}

// ---- TFont

TFont::TFont() {
  std::strcpy(FLogFont.lfFaceName, "MS Sans Serif");
  FLogFont.lfHeight = -11;
  FLogFont.lfWeight = FW_NORMAL;
  FLogFont.lfCharSet = DEFAULT_CHARSET;
  FLogFont.lfOutPrecision = OUT_DEFAULT_PRECIS;
  FLogFont.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  FLogFont.lfQuality = DEFAULT_QUALITY;
  FLogFont.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
}

TFont::~TFont() { ReleaseHandle(); }

void TFont::ReleaseHandle() const {
  if (FHandle != nullptr) DeleteObject(FHandle);
  FHandle = nullptr;
}

std::string TFont::Name() const { return FLogFont.lfFaceName; }

void TFont::SetName(const std::string& name) {
  LOGFONTA logFont = FLogFont;
  std::memset(logFont.lfFaceName, 0, sizeof logFont.lfFaceName);
  std::strncpy(logFont.lfFaceName, name.c_str(), LF_FACESIZE - 1);
  SetLogFont(logFont);
}

void TFont::SetHeight(int height) {
  LOGFONTA logFont = FLogFont;
  logFont.lfHeight = height;
  SetLogFont(logFont);
}

TFontStyles TFont::Style() const {
  TFontStyles style = 0;
  if (FLogFont.lfWeight >= FW_BOLD) style |= fsBold;
  if (FLogFont.lfItalic) style |= fsItalic;
  if (FLogFont.lfUnderline) style |= fsUnderline;
  if (FLogFont.lfStrikeOut) style |= fsStrikeOut;
  return style;
}

void TFont::SetStyle(TFontStyles style) {
  LOGFONTA logFont = FLogFont;
  logFont.lfWeight = (style & fsBold) ? FW_BOLD : FW_NORMAL;
  logFont.lfItalic = (style & fsItalic) ? 1 : 0;
  logFont.lfUnderline = (style & fsUnderline) ? 1 : 0;
  logFont.lfStrikeOut = (style & fsStrikeOut) ? 1 : 0;
  SetLogFont(logFont);
}

void TFont::SetColor(TColor color) {
  if (color == FColor) return;
  FColor = color;
  Changed();
}

void TFont::SetHandle(HFONT handle) {
  if (handle == nullptr) return;
  LOGFONTA logFont{};
  if (GetObjectA(handle, sizeof logFont, &logFont) == 0) return;
  ReleaseHandle();
  FLogFont = logFont;
  FHandle = handle;
  Changed();
}

HFONT TFont::Handle() const {
  if (FHandle == nullptr) FHandle = CreateFontIndirectA(&FLogFont);
  return FHandle;
}

void TFont::SetLogFont(const LOGFONTA& logFont) {
  ReleaseHandle();
  FLogFont = logFont;
  Changed();
}

void TFont::Assign(const TFont& source) {
  if (&source == this) return;
  ReleaseHandle();
  FLogFont = source.FLogFont;
  FColor = source.FColor;
  Changed();
}

void TFont::Changed() {
  if (OnChange) OnChange();
}
