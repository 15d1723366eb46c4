#include "Edit.h"

namespace {

TShiftState KeyboardShift() {
  TShiftState shift = 0;
  if (GetKeyState(VK_SHIFT) < 0) shift |= ssShift;
  if (GetKeyState(VK_CONTROL) < 0) shift |= ssCtrl;
  if (GetKeyState(VK_MENU) < 0) shift |= ssAlt;
  return shift;
}

}  // namespace

TCustomEdit::TCustomEdit(TWinControl* parent, const char* name) : TCustomEdit(parent, name, 0) {}

TCustomEdit::TCustomEdit(TWinControl* parent, const char* name, DWORD extraStyle)
    : TWinControl(parent, name) {
  SetColor(clWindow);
  SetBounds(0, 0, 121, 21);
  CreateHandle("EDIT", WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL | extraStyle, WS_EX_CLIENTEDGE, "",
               parent->Handle(), parent->NextControlId());
}

void TCustomEdit::SetText(const std::string& text) {
  if (Text() == text) return;
  FSettingText = true;
  SetWindowTextA(Handle(), text.c_str());
  FSettingText = false;
  // Raised here rather than from the control's notification, which multi-line edit
  // controls do not send for a text set by the program.
  RaiseChange(false);
}

void TCustomEdit::RaiseChange(bool byUser) {
  // Restored however the handler ends: a change nested in another keeps the outer one's origin.
  struct TRestore {
    bool& Flag;
    bool Outer;
    ~TRestore() { Flag = Outer; }
  } restore{FChangingByUser, FChangingByUser};
  FChangingByUser = byUser;
  Change();
}

int TCustomEdit::SelStart() const {
  DWORD start = 0;
  SendMessageA(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
  return static_cast<int>(start);
}

int TCustomEdit::SelLength() const {
  DWORD start = 0, end = 0;
  SendMessageA(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return static_cast<int>(end - start);
}

void TCustomEdit::SetSelStart(int start) { SendMessageA(Handle(), EM_SETSEL, start, start); }

void TCustomEdit::SetSelLength(int length) {
  int start = SelStart();
  SendMessageA(Handle(), EM_SETSEL, start, start + length);
}

void TCustomEdit::SelectAll() { SendMessageA(Handle(), EM_SETSEL, 0, -1); }

void TCustomEdit::SetReadOnly(bool readOnly) {
  FReadOnly = readOnly;
  SendMessageA(Handle(), EM_SETREADONLY, readOnly ? TRUE : FALSE, 0);
}

void TCustomEdit::SetMaxLength(int maxLength) {
  FMaxLength = maxLength;
  SendMessageA(Handle(), EM_LIMITTEXT, static_cast<WPARAM>(maxLength > 0 ? maxLength : 0), 0);
}

void TCustomEdit::KeyDown(WORD& key, TShiftState shift) {
  if (OnKeyDown) OnKeyDown(key, shift);
}

void TCustomEdit::KeyPress(char& key) {
  if (OnKeyPress) OnKeyPress(key);
}

void TCustomEdit::DoEnter() {
  // A multi-line control keeps its caret where the user put it.
  if (FAutoSelect && !FLeftButtonDown && (GetWindowLongA(Handle(), GWL_STYLE) & ES_MULTILINE) == 0)
    SelectAll();
  if (OnEnter) OnEnter();
}

void TCustomEdit::DoExit() {
  if (OnExit) OnExit();
}

void TCustomEdit::Change() {
  if (OnChange) OnChange();
}

LRESULT TCustomEdit::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_KEYDOWN: {
      WORD key = static_cast<WORD>(wParam);
      KeyDown(key, KeyboardShift());
      if (key == 0) return 0;
      return TWinControl::WndProc(msg, key, lParam);
    }
    case WM_CHAR: {
      char key = static_cast<char>(wParam);
      KeyPress(key);
      if (key == 0) return 0;
      return TWinControl::WndProc(msg, static_cast<unsigned char>(key), lParam);
    }
    case WM_MOUSEWHEEL: {
      int delta = GET_WHEEL_DELTA_WPARAM(wParam);
      POINT mousePos{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      const TShiftState shift = ShiftFromKeys(GET_KEYSTATE_WPARAM(wParam));
      bool handled = false;
      if (delta < 0 && OnMouseWheelDown) OnMouseWheelDown(shift, mousePos, handled);
      if (delta > 0 && OnMouseWheelUp) OnMouseWheelUp(shift, mousePos, handled);
      if (handled) return 0;
      break;
    }
    case WM_LBUTTONDOWN: {
      // The edit control takes the focus inside its own handling of the press.
      FLeftButtonDown = true;
      return TWinControl::WndProc(msg, wParam, lParam);
    }
    case WM_LBUTTONUP: {
      LRESULT result = TWinControl::WndProc(msg, wParam, lParam);
      FLeftButtonDown = false;
      return result;
    }
    case WM_SETFOCUS: {
      LRESULT result = TWinControl::WndProc(msg, wParam, lParam);
      DoEnter();
      return result;
    }
    case WM_KILLFOCUS: {
      LRESULT result = TWinControl::WndProc(msg, wParam, lParam);
      FLeftButtonDown = false;
      DoExit();
      return result;
    }
    case WM_GETDLGCODE: {
      // Tab and Escape stay with the form. A multi-line edit control would claim every key
      // for itself; it keeps only Enter, which then reaches the character handling.
      LRESULT code = DLGC_HASSETSEL | DLGC_WANTCHARS | DLGC_WANTARROWS;
      auto* message = reinterpret_cast<const MSG*>(lParam);
      if (message != nullptr && (GetWindowLongA(Handle(), GWL_STYLE) & ES_MULTILINE) != 0 &&
          (message->message == WM_KEYDOWN || message->message == WM_CHAR) && message->wParam == VK_RETURN)
        code |= DLGC_WANTALLKEYS;
      return code;
    }
    default:
      break;
  }
  return TWinControl::WndProc(msg, wParam, lParam);
}

bool TCustomEdit::Reflect(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (msg == WM_COMMAND && HIWORD(wParam) == EN_CHANGE) {
    if (!FSettingText) RaiseChange(true);
    result = 0;
    return true;
  }
  if (msg == WM_CTLCOLOREDIT || msg == WM_CTLCOLORSTATIC) {
    result = reinterpret_cast<LRESULT>(BackgroundBrush());
    return true;
  }
  return TWinControl::Reflect(msg, wParam, lParam, result);
}
