// The two controls that show one numeric setting, a track bar and a spin edit, each following
// the other through a fixed scale: spin-edit value = track-bar position / scale.
#pragma once

#include "framework/KelSpin.h"
#include "platform/TrackBar.h"

// value rounded to the nearest integer (halves to even) and held to [min, max]. Any value
// gives one, however large: the infinities give the ends, and NaN gives min.
int RoundIntoRange(long double value, int min, int max);

// Moves bar to spin's value x scale, rounded and held to the bar's range (so a typed 150
// gives 100 on a bar of 0..100, and so does 1e4000); the bar reports a change only when its
// position really moves.
void FollowSpinEdit(TTrackBar& bar, const TKelSpin& spin, long double scale = 1);

// Sets spin to bar's position / scale (the spin edit holds it to its own range), except while
// the change comes from the user editing spin's text: then the bar follows the text and the
// text stays as the user has it, caret included. Leaving the spin edit applies its own range.
void FollowTrackBar(TKelSpin& spin, const TTrackBar& bar, long double scale = 1);
