// Push buttons and check boxes: the system's button control under our form layer.
#pragma once

#include "Control.h"

// Push button.
class TButton : public TControl {
 public:
  TButton(TWinControl* parent, const char* name);

  // The form's Enter key presses the default button, Escape the cancel button.
  bool Default() const { return FDefault; }
  void SetDefault(bool isDefault);
  bool Cancel() const { return FCancel; }
  void SetCancel(bool isCancel) { FCancel = isCancel; }
  // Non-zero: a click sets the form's ModalResult to it (after OnClick).
  int ModalResult() const { return FModalResult; }
  void SetModalResult(int modalResult) { FModalResult = modalResult; }

  void Click() override;

 protected:
  bool Reflect(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  bool FDefault = false;
  bool FCancel = false;
  int FModalResult = mrNone;
};

// Check box with its caption at the right.
class TCheckBox : public TControl {
 public:
  TCheckBox(TWinControl* parent, const char* name);

  bool Checked() const;
  void SetChecked(bool checked);

 protected:
  bool Reflect(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
};
