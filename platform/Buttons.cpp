#include "Buttons.h"

#include "Forms.h"

// ---- TButton

TButton::TButton(TWinControl* parent, const char* name) : TControl(parent, name, false) {
  SetBounds(0, 0, 75, 25);
  CreateHandle("BUTTON", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, "", parent->Handle(),
               parent->NextControlId());
}

void TButton::SetDefault(bool isDefault) {
  FDefault = isDefault;
  SendMessageA(Handle(), BM_SETSTYLE, isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void TButton::Click() {
  // The form is looked up first: OnClick may end this button's life (not the form's, during
  // a modal loop).
  TWinControl* form = Parent();
  while (form != nullptr && form->Parent() != nullptr) form = form->Parent();
  int modalResult = FModalResult;
  TControl::Click();
  if (modalResult != mrNone)
    if (auto* f = dynamic_cast<TForm*>(form)) f->SetModalResult(modalResult);
}

bool TButton::Reflect(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (msg == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
    Click();
    result = 0;
    return true;
  }
  return TControl::Reflect(msg, wParam, lParam, result);
}

LRESULT TButton::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  // The button control resets its style when it gets or loses the focus under the dialog
  // manager; a default button keeps its heavy border here.
  if (msg == BM_SETSTYLE && FDefault && LOWORD(wParam) == BS_PUSHBUTTON)
    wParam = BS_DEFPUSHBUTTON;
  return TControl::WndProc(msg, wParam, lParam);
}

// ---- TCheckBox

TCheckBox::TCheckBox(TWinControl* parent, const char* name) : TControl(parent, name, false) {
  SetBounds(0, 0, 97, 17);
  CreateHandle("BUTTON", WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 0, "", parent->Handle(),
               parent->NextControlId());
}

bool TCheckBox::Checked() const {
  return SendMessageA(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TCheckBox::SetChecked(bool checked) {
  if (checked == Checked()) return;
  SendMessageA(Handle(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
  Click();
}

bool TCheckBox::Reflect(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (msg == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
    Click();
    result = 0;
    return true;
  }
  return TControl::Reflect(msg, wParam, lParam, result);
}
