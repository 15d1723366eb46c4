// Group box: a container with an etched frame and its caption in the top edge.
#pragma once

#include "Control.h"

class TGroupBox : public TWinControl {
 public:
  TGroupBox(TWinControl* parent, const char* name);

  void SetCaption(const std::string& caption) override;

 protected:
  void Paint(HDC dc) override;
  // Height of the caption line in the current font.
  int CaptionHeight() const;
};
