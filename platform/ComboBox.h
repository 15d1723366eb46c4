// Combo box in the drop-down list style: the user picks one of the items, no free text.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "Control.h"

// OnChange fires only when the user picks an item; setting ItemIndex in code never fires it.
class TComboBox : public TControl {
 public:
  TComboBox(TWinControl* parent, const char* name);

  std::vector<std::string> Items() const;
  // Replaces the items; nothing is selected afterwards.
  void SetItems(const std::vector<std::string>& items);

  // -1 when nothing is selected.
  int ItemIndex() const;
  void SetItemIndex(int index);

  // The height is the closed box's; the drop-down list gets room below it.
  void SetBounds(int left, int top, int width, int height) override;

  std::function<void()> OnChange;

 protected:
  bool Reflect(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
};
