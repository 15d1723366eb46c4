// Horizontal track bar with its position kept inside Min..Max.
#pragma once

#include <functional>

#include "Control.h"

// tsAuto draws a tick mark below the bar every Frequency positions; tsNone draws none.
enum TTickStyle { tsNone, tsAuto };

// OnChange fires whenever Position really changes: by the user (mouse or keys), by a write of
// Position, or by a change of Min or Max that pulls the position into the new range. A write
// that leaves the position where it is fires nothing.
class TTrackBar : public TControl {
 public:
  TTrackBar(TWinControl* parent, const char* name);

  int Min() const { return FMin; }
  // A Min above Max (or a Max below Min) is refused; the range stays as it is.
  void SetMin(int min);
  int Max() const { return FMax; }
  void SetMax(int max);
  int Position() const { return FPosition; }
  // Clamped to Min..Max.
  void SetPosition(int position);
  int Frequency() const { return FFrequency; }
  void SetFrequency(int frequency);
  TTickStyle TickStyle() const { return FTickStyle; }
  void SetTickStyle(TTickStyle style);
  int ThumbLength() const { return FThumbLength; }
  void SetThumbLength(int length);

  std::function<void()> OnChange;

 protected:
  bool Reflect(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  // Moves to position (already inside the range) and reports a real change.
  void ChangePosition(int position);

  int FMin = 0;
  int FMax = 10;
  int FPosition = 0;
  int FFrequency = 1;
  TTickStyle FTickStyle = tsAuto;
  int FThumbLength = 20;
};
