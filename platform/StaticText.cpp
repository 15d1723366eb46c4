#include "StaticText.h"

TStaticText::TStaticText(TWinControl* parent, const char* name) : TControl(parent, name, false) {
  SetBounds(0, 0, 65, 17);
  CreateHandle("STATIC", WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 0, "", parent->Handle(),
               parent->NextControlId());
}
