// Panel: a plain container, with a raised outer bevel or none.
#pragma once

#include "Control.h"

enum TBevelCut { bvNone, bvRaised, bvLowered };

// A panel lies above every sibling made before it. Controls that take the focus inside a
// panel would therefore come first in the Tab order; our panels hold none.
class TPanel : public TWinControl {
 public:
  TPanel(TWinControl* parent, const char* name);

  TBevelCut BevelOuter() const { return FBevelOuter; }
  void SetBevelOuter(TBevelCut bevel);

 protected:
  void Paint(HDC dc) override;

 private:
  TBevelCut FBevelOuter = bvRaised;
};
