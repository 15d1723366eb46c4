#include "DisplayStretch.h"

#include <algorithm>
#include <cmath>

namespace {

// The sky covers most of a telescope frame, so black a little way into its noise shows the sky
// as dark gray with its grain; a lower percentile would land in the darker overscan strips
// some cameras leave along an edge and wash the sky out to mid-gray. Only star cores and a
// galaxy's nucleus pass the high one.
constexpr double kCompareLowPercent = 10;
constexpr double kCompareHighPercent = 99.9;

// An 8-bit image of the same shape as image, or an empty one when image is malformed (a shape
// Allocate refuses, or Data not holding exactly the samples of that shape).
THostImageFile Allocate8Like(const THostImageFile& image) {
  THostImageFile out;
  if (!out.Allocate(image.Width, image.Height, image.Channels, 8) ||
      out.Data.size() * image.SampleBytes() != image.Data.size())
    return THostImageFile();
  return out;
}

}  // namespace

double TDisplayStretch::Level(double value) const {
  if (std::isnan(value)) return 0;
  const double range = White > Black ? White - Black : 1;
  const double t = std::min(std::max((value - Black) / range, 0.0), 1.0);
  return 255.0 * (Curve == TStretchCurve::SquareRoot ? std::sqrt(t) : t);
}

TDisplayStretch StretchFromPercentiles(const THostImageFile& image, double lowPercent,
                                       double highPercent, TStretchCurve curve) {
  TDisplayStretch stretch;
  stretch.Curve = curve;
  if (Allocate8Like(image).Data.empty()) return stretch;
  std::vector<double> values;
  values.reserve(image.Data.size() / image.SampleBytes());
  for (int y = 0; y < image.Height; ++y)
    for (int x = 0; x < image.Width; ++x)
      for (int c = 0; c < image.Channels; ++c) {
        const double v = image.Sample(x, y, c);
        if (std::isfinite(v)) values.push_back(v);
      }
  if (values.empty()) return stretch;
  std::sort(values.begin(), values.end());
  // The nearest rank, rounding half up.
  auto at = [&](double percent) {
    const double p = std::min(std::max(percent, 0.0), 100.0) / 100.0;
    return values[static_cast<size_t>(p * (values.size() - 1) + 0.5)];
  };
  stretch.Black = at(lowPercent);
  stretch.White = at(highPercent);
  return stretch;
}

THostImageFile ApplyStretch(const THostImageFile& image, const TDisplayStretch& stretch) {
  THostImageFile out = Allocate8Like(image);
  for (int y = 0; y < out.Height; ++y)
    for (int x = 0; x < out.Width; ++x)
      for (int c = 0; c < out.Channels; ++c)
        out.SetSample(x, y, c, stretch.Level(image.Sample(x, y, c)));
  return out;
}

TDisplayStretch CompareStretch(const THostImageFile& input) {
  return StretchFromPercentiles(input, kCompareLowPercent, kCompareHighPercent,
                                TStretchCurve::SquareRoot);
}

THostImageFile CompareSideBySide(const THostImageFile& input, const THostImageFile& output) {
  const TDisplayStretch stretch = CompareStretch(input);
  const THostImageFile left = ApplyStretch(input, stretch);
  const THostImageFile right = ApplyStretch(output, stretch);
  THostImageFile picture;
  if (left.Data.empty() || right.Data.empty() ||
      !picture.Allocate(left.Width + kCompareGapPx + right.Width,
                        std::max(left.Height, right.Height),
                        std::max(left.Channels, right.Channels), 8))
    return THostImageFile();
  for (int y = 0; y < picture.Height; ++y)
    for (int c = 0; c < picture.Channels; ++c)
      for (int x = 0; x < kCompareGapPx; ++x) picture.SetSample(left.Width + x, y, c, 128);
  const struct {
    const THostImageFile& Half;
    int Left;
  } halves[] = {{left, 0}, {right, left.Width + kCompareGapPx}};
  for (const auto& h : halves)
    for (int y = 0; y < h.Half.Height; ++y)
      for (int x = 0; x < h.Half.Width; ++x)
        for (int c = 0; c < picture.Channels; ++c)
          picture.SetSample(h.Left + x, y, c, h.Half.Sample(x, y, h.Half.Channels == 1 ? 0 : c));
  return picture;
}
