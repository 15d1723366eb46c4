#include "framework/ParameterLink.h"

#include <cmath>

int RoundIntoRange(long double value, int min, int max) {
  // Held to the range before the conversion: a value beyond the integers has no int.
  if (!(value >= min)) return min;
  if (value > max) return max;
  return static_cast<int>(std::nearbyint(value));
}

void FollowSpinEdit(TTrackBar& bar, const TKelSpin& spin, long double scale) {
  bar.SetPosition(RoundIntoRange(spin.Value() * scale, bar.Min(), bar.Max()));
}

void FollowTrackBar(TKelSpin& spin, const TTrackBar& bar, long double scale) {
  // Rewritten in its pattern after every key, a text being typed would turn into another
  // number: "2" becomes "2.00" with the caret in front, and the next "5" makes 52.
  if (spin.ChangingByUser()) return;
  spin.SetValue(bar.Position() / scale);
}
