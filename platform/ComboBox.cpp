#include "ComboBox.h"

namespace {

// Room for the open list below the box: enough for the short item lists of our dialogs.
constexpr int kDropDownHeightPx = 200;

}  // namespace

TComboBox::TComboBox(TWinControl* parent, const char* name) : TControl(parent, name, false) {
  CreateHandle("COMBOBOX", WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0, "",
               parent->Handle(), parent->NextControlId());
  SetBounds(0, 0, 145, 21);
}

std::vector<std::string> TComboBox::Items() const {
  std::vector<std::string> items;
  auto count = SendMessageA(Handle(), CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    auto length = SendMessageA(Handle(), CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
    std::string text(static_cast<size_t>(length < 0 ? 0 : length) + 1, '\0');
    SendMessageA(Handle(), CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&text[0]));
    text.resize(static_cast<size_t>(length < 0 ? 0 : length));
    items.push_back(text);
  }
  return items;
}

void TComboBox::SetItems(const std::vector<std::string>& items) {
  SendMessageA(Handle(), CB_RESETCONTENT, 0, 0);
  for (const std::string& item : items)
    SendMessageA(Handle(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
}

int TComboBox::ItemIndex() const {
  return static_cast<int>(SendMessageA(Handle(), CB_GETCURSEL, 0, 0));
}

void TComboBox::SetItemIndex(int index) {
  // CB_SETCURSEL sends no CBN_SELCHANGE, which keeps code changes silent.
  SendMessageA(Handle(), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void TComboBox::SetBounds(int left, int top, int width, int height) {
  TControl::SetBounds(left, top, width, height);
  if (Handle() != nullptr) MoveWindow(Handle(), left, top, width, height + kDropDownHeightPx, TRUE);
}

bool TComboBox::Reflect(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (msg == WM_COMMAND && HIWORD(wParam) == CBN_SELCHANGE) {
    if (OnChange) OnChange();
    result = 0;
    return true;
  }
  return TControl::Reflect(msg, wParam, lParam, result);
}
