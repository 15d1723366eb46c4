// Display stretches that turn faint or deep frames into 8-bit pictures a person can judge, and
// the side-by-side picture that compares a filter's input with its output under one stretch.
#pragma once

#include "ImageFile.h"

enum class TStretchCurve { Linear, SquareRoot };

// Sample values at or below Black show as 0, at or above White as 255, the curve between.
struct TDisplayStretch {
  double Black = 0;
  double White = 1;
  TStretchCurve Curve = TStretchCurve::Linear;

  // The display level in 0..255 of a sample, before rounding; NaN shows as 0.
  double Level(double value) const;
};

// Black and White at the lowPercent and highPercent percentiles (0..100) of the image's finite
// samples, all channels together so that a colour image keeps its balance. Without finite
// samples the stretch is 0..1.
TDisplayStretch StretchFromPercentiles(const THostImageFile& image, double lowPercent,
                                       double highPercent, TStretchCurve curve);

// 8-bit copy of the image (same size and channels) with the stretch applied, rounding ties to
// even; empty for an image of invalid shape.
THostImageFile ApplyStretch(const THostImageFile& image, const TDisplayStretch& stretch);

// Width of the mid-gray strip between the two halves of a comparison.
constexpr int kCompareGapPx = 4;

// The stretch a comparison uses: black at the 10th percentile (a little way into the sky's
// noise on a telescope frame), white at the 99.9th (only star cores and a nucleus above), and
// a square root between so that faint structure shows.
TDisplayStretch CompareStretch(const THostImageFile& input);

// 8-bit picture with the input at the left and the output at the right, both under
// CompareStretch(input), so that equal brightness means equal value in both halves. It is RGB
// when either image is (a gray half repeats into all three channels); a half lower than the
// other is padded below with black. Empty when either image has an invalid shape.
THostImageFile CompareSideBySide(const THostImageFile& input, const THostImageFile& output);
