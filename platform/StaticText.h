// Static text: a windowed text control of fixed size on its parent's colour.
#pragma once

#include "Control.h"

class TStaticText : public TControl {
 public:
  TStaticText(TWinControl* parent, const char* name);
};
