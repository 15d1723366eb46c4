#include "RadioGroup.h"

#include <algorithm>

// One item of the group. It is an automatic radio button, because the dialog manager moves
// the selection with the arrow keys only through those; the group follows every click of an
// item and alone decides whether the selection changed.
class TRadioGroup::TItemButton : public TControl {
 public:
  TItemButton(TRadioGroup* group, int index)
      : TControl(group, (group->Name() + "_" + std::to_string(index)).c_str(), false),
        FGroup(group), FIndex(index) {
    DWORD style = WS_VISIBLE | BS_AUTORADIOBUTTON | (index == 0 ? WS_GROUP | WS_TABSTOP : 0);
    CreateHandle("BUTTON", style, 0, group->FItems[static_cast<size_t>(index)].c_str(),
                 group->Handle(), group->NextControlId());
  }

  // The selected item is the one Tab reaches (tabStop defaults to the check).
  void SetChecked(bool checked) { SetChecked(checked, checked); }
  void SetChecked(bool checked, bool tabStop) {
    SendMessageA(Handle(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    LONG style = GetWindowLongA(Handle(), GWL_STYLE);
    style = tabStop ? (style | WS_TABSTOP) : (style & ~WS_TABSTOP);
    SetWindowLongA(Handle(), GWL_STYLE, style);
  }

  void Click() override {
    TControl::Click();
    FGroup->ItemClicked(FIndex);
  }

 protected:
  bool Reflect(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
    if (msg == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
      Click();
      result = 0;
      return true;
    }
    return TControl::Reflect(msg, wParam, lParam, result);
  }

 private:
  TRadioGroup* FGroup;
  int FIndex;
};

TRadioGroup::TRadioGroup(TWinControl* parent, const char* name) : TGroupBox(parent, name) {}

void TRadioGroup::SetItems(const std::vector<std::string>& items) {
  for (TItemButton* button : FButtons) delete button;  // unlinks itself from the group
  FButtons.clear();
  FItems = items;
  FItemIndex = -1;
  for (size_t i = 0; i < FItems.size(); ++i)
    FButtons.push_back(new TItemButton(this, static_cast<int>(i)));
  ArrangeButtons();
}

void TRadioGroup::SetItemIndex(int index) {
  if (index < 0 || index >= static_cast<int>(FItems.size())) index = -1;
  if (index == FItemIndex) return;
  if (FItemIndex >= 0) FButtons[static_cast<size_t>(FItemIndex)]->SetChecked(false);
  FItemIndex = index;
  if (index < 0) {
    // With nothing selected Tab still reaches the group at its first item.
    if (!FButtons.empty()) FButtons.front()->SetChecked(false, true);
    return;
  }
  FButtons[static_cast<size_t>(index)]->SetChecked(true);
  if (OnClick) OnClick();
}

void TRadioGroup::ItemClicked(int index) { SetItemIndex(index); }

void TRadioGroup::SetBounds(int left, int top, int width, int height) {
  TGroupBox::SetBounds(left, top, width, height);
  ArrangeButtons();
}

void TRadioGroup::FontChanged() {
  TGroupBox::FontChanged();
  ArrangeButtons();
}

void TRadioGroup::ArrangeButtons() {
  if (FButtons.empty() || Handle() == nullptr) return;
  // Rows share the height below the caption evenly. Each button is only as wide as its text,
  // so that controls laid over the group's right part stay uncovered.
  int top = CaptionHeight() + 1;
  int rowHeight = std::max(1, (Height() - top - 4) / static_cast<int>(FButtons.size()));
  int checkWidth = GetSystemMetrics(SM_CXMENUCHECK) + 6;
  HDC dc = GetDC(nullptr);
  HGDIOBJ oldFont = SelectObject(dc, Font().Handle());
  for (size_t i = 0; i < FButtons.size(); ++i) {
    SIZE extent{};
    GetTextExtentPoint32A(dc, FItems[i].c_str(), static_cast<int>(FItems[i].size()), &extent);
    int width = std::min(checkWidth + static_cast<int>(extent.cx) + 4, std::max(1, Width() - 16));
    FButtons[i]->SetBounds(8, top + static_cast<int>(i) * rowHeight, width, rowHeight);
  }
  SelectObject(dc, oldFont);
  ReleaseDC(nullptr, dc);
}
