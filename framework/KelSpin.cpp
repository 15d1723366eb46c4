#include "framework/KelSpin.h"

#include <cmath>
#include <stdexcept>

#include "platform/Forms.h"
#include "platform/NumberFormat.h"
#include "platform/Panel.h"
#include "platform/Sound.h"
#include "platform/Timer.h"

namespace {

const int kFirstRepeatMs = 250;
const int kRepeatSpeedUpMs = 15;
const int kFastestRepeatMs = 20;

const int kMinHeight = 20;
const int kHolderWidth = 21;
const TColor kGlyphTransparent = RGB(255, 0, 255);

// MessageBeep types: the default sound for a refused arrow, the simple beep for a refused key.
const UINT kBeepDefault = 0;
const UINT kBeepSimple = 0xFFFF;

TKelSpin::TBeepProc gBeepProc = nullptr;

void SpinBeep(UINT type) {
  if (gBeepProc != nullptr)
    gBeepProc(type);
  else
    Beep(type);
}

// The plain windowed control that holds the arrow panel at the spin edit's right edge.
class TButtonHolder : public TWinControl {
 public:
  TButtonHolder(TWinControl* parent, const char* name) : TWinControl(parent, name) {
    CreateHandle(nullptr, WS_VISIBLE | WS_CLIPCHILDREN, 0, "", parent->Handle(), parent->NextControlId());
  }
};

// Rounds to the nearest integer, halves to the even neighbour (the default rounding mode).
long double RoundToEven(long double value) { return std::nearbyint(value); }

}  // namespace

// ---- TSuperSpeedButton

TSuperSpeedButton::TSuperSpeedButton(TWinControl* parent, const char* name)
    : TSpeedButton(parent, name), FRepeatTimer(std::make_unique<TTimer>()) {
  FRepeatPause = kFirstRepeatMs;
  FRepeatTimer->SetEnabled(false);
  FRepeatTimer->SetInterval(kFirstRepeatMs);
  FRepeatTimer->SetOnTimer([this] { TimerExpired(); });
}

TSuperSpeedButton::~TSuperSpeedButton() = default;

void TSuperSpeedButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TSpeedButton::MouseDown(button, shift, x, y);
  FRepeatTimer->SetEnabled(true);
}

void TSuperSpeedButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  // The inherited handling may click, and the click may end the form; the timer goes with the
  // button, so it is reset first. Nothing below depends on the order.
  FRepeatTimer->SetEnabled(false);
  FRepeatTimer->SetInterval(kFirstRepeatMs);
  FRepeatPause = kFirstRepeatMs;
  TSpeedButton::MouseUp(button, shift, x, y);
}

void TSuperSpeedButton::TimerExpired() {
  if (!Down() || !MouseCaptured()) {
    // The pointer left the button (or the press ended elsewhere): start again from the
    // slowest rate when it comes back.
    FRepeatPause = kFirstRepeatMs;
    FRepeatTimer->SetInterval(kFirstRepeatMs);
    return;
  }
  try {
    Click();
  } catch (...) {
    FRepeatTimer->SetEnabled(false);
    throw;
  }
  FRepeatPause -= kRepeatSpeedUpMs;
  if (FRepeatPause < kFastestRepeatMs) FRepeatPause = kFastestRepeatMs;
  FRepeatTimer->SetInterval(static_cast<unsigned>(FRepeatPause));
}

// ---- TKelSpin

TKelSpin::TKelSpin(TWinControl* parent, const char* name)
    // A multi-line edit control is the one that honours a formatting rectangle; the arrows
    // are children and must not be painted over.
    : TCustomEdit(parent, name, ES_MULTILINE | WS_CLIPCHILDREN) {
  SetText("0");
  SetWidth(80);
  FDefaultValue = 0;
  FMinValue = 0;
  FMaxValue = 0;
  FIncrement = 0;
  FEditorEnabled = true;
  FDataType = dtFloat;
  FFloatFormat = "0.00";
  OnMouseWheelUp = [this](TShiftState shift, POINT pos, bool& handled) { WheelUp(shift, pos, handled); };
  OnMouseWheelDown = [this](TShiftState shift, POINT pos, bool& handled) { WheelDown(shift, pos, handled); };

  std::string prefix = Name();
  FButtonHolder = new TButtonHolder(this, (prefix + "_ButtonHolder").c_str());
  FButtonPanel = new TPanel(FButtonHolder, (prefix + "_ButtonPanel").c_str());

  FUpButton = new TSuperSpeedButton(FButtonPanel, (prefix + "_UpButton").c_str());
  FUpButton->SetFlat(true);
  FUpButton->OnClick = [this] { UpClick(); };
  FUpButton->OnMouseDown = [this](TMouseButton b, TShiftState s, int x, int y) { UpMouseDown(b, s, x, y); };
  FUpButton->LoadGlyph(ModuleInstance(), "SPEED_UP", kGlyphTransparent);

  FDownButton = new TSuperSpeedButton(FButtonPanel, (prefix + "_DownButton").c_str());
  FDownButton->SetFlat(true);
  FDownButton->OnClick = [this] { DownClick(); };
  FDownButton->OnMouseDown = [this](TMouseButton b, TShiftState s, int x, int y) { DownMouseDown(b, s, x, y); };
  FDownButton->LoadGlyph(ModuleInstance(), "SPEED_DOWN", kGlyphTransparent);

  // The window exists from the first line of construction on, but the layout and the text
  // rectangle need the arrows: they are applied now, and on every resize from here on.
  WMSize();
}

void TKelSpin::SetBeepProc(TBeepProc proc) { gBeepProc = proc; }

long double TKelSpin::CheckValue(long double value) const {
  if (FMinValue == FMaxValue) return value;  // no range in force
  if (value < FMinValue) return FMinValue;
  if (value > FMaxValue) return FMaxValue;
  return value;
}

long double TKelSpin::Value() const {
  long double value = 0;
  if (!TryStrToFloat(Text(), value)) return FMinValue;
  return value;
}

void TKelSpin::SetValue(long double value) {
  // SetText replaces (and raises OnChange) only when the text really changes.
  SetText(FormatFloat(FFloatFormat, CheckValue(value)));
}

int32_t TKelSpin::IntValue() const {
  int32_t value = 0;
  if (TryStrToInt(Text(), value)) return value;
  long double rounded = RoundToEven(FMinValue);
  // A bound beyond the integer range gives the nearest integer there is.
  if (!(rounded >= INT32_MIN)) return INT32_MIN;
  if (rounded > INT32_MAX) return INT32_MAX;
  return static_cast<int32_t>(rounded);
}

void TKelSpin::SetDefaultValue(long double value) {
  if (value == FDefaultValue) return;
  if (CheckValue(value) != value) throw std::invalid_argument("Invalid default value.");
  FDefaultValue = value;
}

void TKelSpin::SetMinValue(long double value) {
  if (value == FMinValue) return;
  FMinValue = value;
  SetValue(CheckValue(Value()));
  FDefaultValue = CheckValue(FDefaultValue);
}

void TKelSpin::SetMaxValue(long double value) {
  if (value == FMaxValue) return;
  FMaxValue = value;
  SetValue(CheckValue(Value()));
  FDefaultValue = CheckValue(FDefaultValue);
}

void TKelSpin::SetIncrement(long double value) {
  FIncrement = FDataType == dtInteger ? RoundToEven(value) : value;
}

void TKelSpin::UpClick() {
  if (ReadOnly())
    SpinBeep(kBeepDefault);
  else
    SetValue(Value() + FIncrement);
}

void TKelSpin::DownClick() {
  if (ReadOnly())
    SpinBeep(kBeepDefault);
  else
    SetValue(Value() - FIncrement);
}

void TKelSpin::UpMouseDown(TMouseButton, TShiftState, int, int) { SetFocus(Handle()); }

void TKelSpin::DownMouseDown(TMouseButton, TShiftState, int, int) { SetFocus(Handle()); }

void TKelSpin::WheelUp(TShiftState, POINT, bool&) { SetValue(Value() + FIncrement); }

void TKelSpin::WheelDown(TShiftState, POINT, bool&) { SetValue(Value() - FIncrement); }

void TKelSpin::KeyDown(WORD& key, TShiftState shift) {
  // The arrow keys step even in a read-only control and never reach OnKeyDown; the key
  // itself still goes on to the edit control, where it has nothing to move in one line.
  if (key == VK_UP)
    SetValue(Value() + FIncrement);
  else if (key == VK_DOWN)
    SetValue(Value() - FIncrement);
  else
    TCustomEdit::KeyDown(key, shift);
}

void TKelSpin::KeyPress(char& key) {
  auto code = static_cast<unsigned char>(key);
  // Every control character but Enter, signs and digits anywhere; the separator for floats.
  bool allowed = (code < 32 && code != 13) || key == '+' || key == '-' || (key >= '0' && key <= '9') ||
                 (FDataType == dtFloat && key == LocaleDecimalSeparator());
  if (!allowed) {
    key = 0;
    SpinBeep(kBeepSimple);
    return;
  }
  TCustomEdit::KeyPress(key);
}

void TKelSpin::DoEnter() {
  if (AutoSelect() && !LeftButtonDown()) SelectAll();
  TCustomEdit::DoEnter();
}

void TKelSpin::DoExit() {
  // OnExit sees the text as typed; only an out-of-range value is rewritten afterwards.
  TCustomEdit::DoExit();
  long double value = Value();
  if (CheckValue(value) != value) SetValue(value);
}

LRESULT TKelSpin::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_SIZE: {
      LRESULT result = TCustomEdit::WndProc(msg, wParam, lParam);
      WMSize();
      return result;
    }
    case WM_CUT:
    case WM_PASTE:
      if (!FEditorEnabled || ReadOnly()) return 0;
      break;
    default:
      break;
  }
  return TCustomEdit::WndProc(msg, wParam, lParam);
}

void TKelSpin::WMSize() {
  if (Height() < kMinHeight) SetHeight(kMinHeight);
  if (FDownButton == nullptr) return;  // still under construction
  FButtonHolder->SetBounds(Width() - kHolderWidth, 0, kHolderWidth, Height() + 1);
  FButtonPanel->SetBounds(0, -1, FButtonHolder->Width(), FButtonHolder->Height() + 1);
  int h = FButtonPanel->Height() / 2;
  FUpButton->SetBounds(2, 2, 15, h - 4);
  FDownButton->SetBounds(2, h - 1, 15, h - 4);
  SetEditRect();
}

void TKelSpin::SetEditRect() {
  RECT client;
  GetClientRect(Handle(), &client);
  RECT rect{0, 0, client.right - FButtonHolder->Width() - 2, client.bottom + 1};
  SendMessageA(Handle(), EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&rect));
}
