// The spin edit: a one-line number box with auto-repeating arrow buttons at its right edge.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "platform/Edit.h"
#include "platform/SpeedButton.h"

class TPanel;
class TTimer;

enum TDataType { dtInteger = 0, dtFloat = 1 };

// A flat speed button that repeats its click while it is held down: the first repeat 250 ms
// after the press, each following one 15 ms sooner, down to every 20 ms.
class TSuperSpeedButton : public TSpeedButton {
 public:
  TSuperSpeedButton(TWinControl* parent, const char* name);
  ~TSuperSpeedButton() override;

 protected:
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

 private:
  void TimerExpired();

  std::unique_ptr<TTimer> FRepeatTimer;
  int32_t FRepeatPause = 250;
};

// The value lives only in the text: reading Value parses it, writing Value replaces it with
// the value clamped to [MinValue, MaxValue] in FloatFormat. The range is in force only while
// MinValue and MaxValue differ.
class TKelSpin : public TCustomEdit {
 public:
  TKelSpin(TWinControl* parent, const char* name);

  TDataType DataType() const { return FDataType; }
  void SetDataType(TDataType dataType) { FDataType = dataType; }
  long double DefaultValue() const { return FDefaultValue; }
  // Throws std::invalid_argument "Invalid default value." for a value outside the range.
  void SetDefaultValue(long double value);
  bool EditorEnabled() const { return FEditorEnabled; }
  void SetEditorEnabled(bool enabled) { FEditorEnabled = enabled; }
  const std::string& FloatFormat() const { return FFloatFormat; }
  // The text keeps its form until the next write of a value.
  void SetFloatFormat(const std::string& format) { FFloatFormat = format; }
  long double Increment() const { return FIncrement; }
  void SetIncrement(long double value);
  long double MaxValue() const { return FMaxValue; }
  void SetMaxValue(long double value);
  long double MinValue() const { return FMinValue; }
  void SetMinValue(long double value);

  // The text as a number in the user's locale; MinValue when it does not parse. Not clamped.
  long double Value() const;
  void SetValue(long double value);
  // The text as an integer; MinValue rounded (halves to even) when it does not parse.
  int32_t IntValue() const;

  // The arrows, for automation and tests.
  TSuperSpeedButton* UpButton() const { return FUpButton; }
  TSuperSpeedButton* DownButton() const { return FDownButton; }
  TWinControl* ButtonHolder() const { return FButtonHolder; }
  TPanel* ButtonPanel() const { return FButtonPanel; }

  // The beep that answers refused input (MessageBeep types); tests put their own here.
  // nullptr restores the system beep.
  using TBeepProc = void (*)(UINT type);
  static void SetBeepProc(TBeepProc proc);

 protected:
  virtual void UpClick();
  virtual void DownClick();
  virtual void UpMouseDown(TMouseButton button, TShiftState shift, int x, int y);
  virtual void DownMouseDown(TMouseButton button, TShiftState shift, int x, int y);

  void KeyDown(WORD& key, TShiftState shift) override;
  void KeyPress(char& key) override;
  void DoEnter() override;
  void DoExit() override;
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  void WMSize();
  void SetEditRect();
  long double CheckValue(long double value) const;
  void WheelUp(TShiftState shift, POINT mousePos, bool& handled);
  void WheelDown(TShiftState shift, POINT mousePos, bool& handled);

  // Children of the control (it owns them through its window tree): holder > panel > arrows.
  TSuperSpeedButton* FUpButton = nullptr;
  TSuperSpeedButton* FDownButton = nullptr;
  TPanel* FButtonPanel = nullptr;
  TWinControl* FButtonHolder = nullptr;
  long double FMinValue = 0;
  long double FMaxValue = 0;
  long double FDefaultValue = 0;
  long double FIncrement = 0;
  TDataType FDataType = dtFloat;
  bool FEditorEnabled = true;
  std::string FFloatFormat = "0.00";
};
