#include "Vista.h"

void SetSystemFont(TFont& font) {
  try {
    LOGFONTA logFont{};
    if (SystemParametersInfoA(SPI_GETICONTITLELOGFONT, sizeof logFont, &logFont, 0)) {
      if (HFONT handle = CreateFontIndirectA(&logFont)) font.SetHandle(handle);
    } else {
      SetDefaultGuiFont(font);
    }
  } catch (...) {
    // The font stays as it was.
  }
}

void SetDefaultGuiFont(TFont& font) {
  try {
    if (HGDIOBJ stock = GetStockObject(DEFAULT_GUI_FONT)) font.SetHandle(static_cast<HFONT>(stock));
  } catch (...) {
    // The font stays as it was.
  }
}
