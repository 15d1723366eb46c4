// The one-line edit control: text with selection, read-only mode, length limit, select-all on
// entry, change notification, and the key, focus and wheel events of a text box.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "Control.h"

// An EDIT window. It is a windowed container too, so that a derived control can put child
// controls inside it.
class TCustomEdit : public TWinControl {
 public:
  TCustomEdit(TWinControl* parent, const char* name);

  std::string Text() const { return Caption(); }
  // Replaces the text when it differs, which raises OnChange once.
  void SetText(const std::string& text);

  int SelStart() const;
  int SelLength() const;
  void SetSelStart(int start);
  void SetSelLength(int length);
  void SelectAll();

  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool readOnly);
  // 0: no limit.
  int MaxLength() const { return FMaxLength; }
  void SetMaxLength(int maxLength);
  // Select the whole text when the control receives the focus (single-line style).
  bool AutoSelect() const { return FAutoSelect; }
  void SetAutoSelect(bool autoSelect) { FAutoSelect = autoSelect; }

  bool Focused() const { return Handle() != nullptr && GetFocus() == Handle(); }
  // True while OnChange reports an edit the user made (typing, cut, paste, undo); false while
  // it reports a text the program set, also when that happens inside the user's change.
  bool ChangingByUser() const { return FChangingByUser; }

  // Raised whenever the text changes, by the user or by the code.
  std::function<void()> OnChange;
  std::function<void()> OnEnter;
  std::function<void()> OnExit;
  // Setting key to 0 drops the key.
  std::function<void(WORD& key, TShiftState shift)> OnKeyDown;
  // Setting key to 0 drops the character.
  std::function<void(char& key)> OnKeyPress;
  // One call per wheel message; handled true keeps the edit control from seeing it.
  std::function<void(TShiftState shift, POINT mousePos, bool& handled)> OnMouseWheelUp;
  std::function<void(TShiftState shift, POINT mousePos, bool& handled)> OnMouseWheelDown;

 protected:
  // extraStyle is added to the edit window's style (a derived control's window style).
  TCustomEdit(TWinControl* parent, const char* name, DWORD extraStyle);

  // Each raises its event; a derived control filters before or after the inherited call.
  virtual void KeyDown(WORD& key, TShiftState shift);
  virtual void KeyPress(char& key);
  // The control received or lost the focus.
  virtual void DoEnter();
  virtual void DoExit();
  virtual void Change();

  // True while the left button went down on this control and is still held.
  bool LeftButtonDown() const { return FLeftButtonDown; }

  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
  bool Reflect(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  // Raises Change with ChangingByUser() telling who changed the text.
  void RaiseChange(bool byUser);

  bool FReadOnly = false;
  int FMaxLength = 0;
  bool FAutoSelect = true;
  bool FLeftButtonDown = false;
  // While SetText replaces the text, the control's own change notification is ignored.
  bool FSettingText = false;
  bool FChangingByUser = false;
};
