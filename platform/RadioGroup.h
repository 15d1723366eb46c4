// Radio group: a group box with one radio button per item, one column.
#pragma once

#include <string>
#include <vector>

#include "GroupBox.h"

// The item buttons are real windows named "<Name>_<index>" (for example "grpPSF_0") with the
// item text as their caption. OnClick fires whenever ItemIndex really changes, whether the
// user picked an item or the code set it; picking the selected item again fires nothing.
class TRadioGroup : public TGroupBox {
 public:
  TRadioGroup(TWinControl* parent, const char* name);

  const std::vector<std::string>& Items() const { return FItems; }
  // Replaces the items; the selection is cleared (ItemIndex -1) without an event.
  void SetItems(const std::vector<std::string>& items);

  // -1 when no item is selected.
  int ItemIndex() const { return FItemIndex; }
  // Values outside 0..count-1 select nothing.
  void SetItemIndex(int index);

  void SetBounds(int left, int top, int width, int height) override;
  // A click on the group's own area (outside the items) selects nothing and raises nothing.
  void Click() override {}

 protected:
  void FontChanged() override;

 private:
  class TItemButton;
  friend class TItemButton;
  void ItemClicked(int index);
  void ArrangeButtons();

  std::vector<std::string> FItems;
  std::vector<TItemButton*> FButtons;  // owned as child controls
  int FItemIndex = -1;
};
