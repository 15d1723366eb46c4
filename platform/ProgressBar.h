// Progress bar over the range 0..100.
#pragma once

#include "Control.h"

class TProgressBar : public TControl {
 public:
  TProgressBar(TWinControl* parent, const char* name);

  int Position() const { return FPosition; }
  // Positions outside 0..100 are held at the nearer end.
  void SetPosition(int position);

 private:
  int FPosition = 0;
};
