#include "SiblingClip.h"

#include "Control.h"

void ExcludeLaterSiblings(HDC dc, const TControl& control) {
  const TWinControl* parent = control.Parent();
  if (parent == nullptr) return;
  bool later = false;
  for (const auto& sibling : parent->Controls()) {
    if (sibling.get() == &control) {
      later = true;
      continue;
    }
    if (!later || !sibling->Visible()) continue;
    int left = sibling->Left() - control.Left();
    int top = sibling->Top() - control.Top();
    ExcludeClipRect(dc, left, top, left + sibling->Width(), top + sibling->Height());
  }
}
