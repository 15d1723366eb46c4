#include "statistics/ImageStatistics.h"

#include "platform/NumberFormat.h"
#include "statistics/PixelAccess.h"

#include <cmath>
#include <limits>
#include <cstddef>
#include <utility>

namespace {

constexpr double kUnits = 10000.0;
constexpr double kInt64End = 9223372036854775808.0;  // 2^63
constexpr int kBins = 256;
constexpr TChartColour kBlack{0, 0, 0};
constexpr TChartColour kRed{255, 0, 0};
constexpr TChartColour kGreen{0, 128, 0};
constexpr TChartColour kBlue{0, 0, 255};

int ChannelCount(const TStatisticsImage& image) { return image.IsGray ? 1 : 3; }

// The readers are only called on a block they can read: known depth, at least one pixel,
// and rows that do not overlap (a smaller RowBytes would read past the block's last row).
bool CanMeasure(const TStatisticsImage& image) {
  if (image.Data == nullptr || image.Width <= 0 || image.Height <= 0) return false;
  if (image.BitDepth != 8 && image.BitDepth != 16 && image.BitDepth != 32) return false;
  const std::int64_t rowSize = static_cast<std::int64_t>(image.Width) * ChannelCount(image) * (image.BitDepth / 8);
  return image.RowBytes >= rowSize;
}

// Calls visit(samples) for every pixel, rows outer and columns inner; samples[c] is channel c.
template <class TVisit>
void SweepPixels(const TStatisticsImage& image, TVisit visit) {
  float samples[3] = {};
  for (int32_t y = 0; y < image.Height; ++y)
    for (int32_t x = 0; x < image.Width; ++x) {
      if (image.IsGray)
        samples[0] = GetPixelGray(image.Data, image.RowBytes, image.BitDepth, x, y);
      else
        GetPixelRGB(image.Data, image.RowBytes, image.BitDepth, x, y, samples[0], samples[1], samples[2]);
      visit(samples);
    }
}

// figure := value rounded to the nearest integer, ties to even. False, figure untouched, for a
// NaN or a value outside the signed 64-bit range.
bool StoreRounded(double value, std::int64_t& figure) {
  const double rounded = std::nearbyint(value);
  if (!(rounded >= -kInt64End && rounded < kInt64End)) return false;
  figure = static_cast<std::int64_t>(rounded);
  return true;
}

// count / 10000 as "0.000" (decimals 3) or "0" (decimals 0), in FormatNumber's layout. The
// rounding to the shown decimals is done on the integer count, half away from zero as
// FormatNumber rounds: a count such as 2795 shows as 0.280, not as whatever the nearest
// binary fraction to 0.2795 would round to.
std::string FormatCount(std::int64_t count, int decimals, char decimalSeparator) {
  const std::int64_t divisor = decimals == 3 ? 10 : 10000;
  std::int64_t shown = count / divisor;
  const std::int64_t rest = count % divisor;
  if (2 * (rest < 0 ? -rest : rest) >= divisor) shown += count < 0 ? -1 : 1;
  const std::uint64_t magnitude =
      shown < 0 ? 0 - static_cast<std::uint64_t>(shown) : static_cast<std::uint64_t>(shown);
  std::string text = shown < 0 ? "-" : "";
  if (decimals == 0) return text + std::to_string(magnitude);
  const std::string fraction = std::to_string(magnitude % 1000);
  return text + std::to_string(magnitude / 1000) + decimalSeparator + std::string(3 - fraction.size(), '0') +
         fraction;
}

TStatisticsRow FormatRow(const TChannelFigures& figures, const char* caption, bool gray, char decimalSeparator) {
  // Minimum and maximum hold samples, whose products with 1000 are exact, so FormatNumber
  // rounds their true decimal value.
  const char* extremesPattern = gray ? "0" : "0.000";
  TStatisticsRow row;
  row.Caption = caption;
  row.SubItems = {FormatNumber(figures.Minimum, extremesPattern, decimalSeparator),
                  FormatNumber(figures.Maximum, extremesPattern, decimalSeparator),
                  FormatCount(figures.Mean, 3, decimalSeparator), FormatCount(figures.StdDev, 3, decimalSeparator),
                  FormatCount(figures.Sum, gray ? 0 : 3, decimalSeparator)};
  return row;
}

}  // namespace

std::vector<TChannelFigures> ComputeChannelFigures(const TStatisticsImage& Image) {
  if (!CanMeasure(Image)) return {};
  const int channels = ChannelCount(Image);
  std::vector<TChannelFigures> figures(static_cast<std::size_t>(channels));
  // The extremes start beyond every sample, so that the first sample sets both: a channel
  // of only negative samples (or only samples above 2.0E32) shows its real extremes.
  for (TChannelFigures& f : figures) {
    f.Valid = true;
    f.Minimum = std::numeric_limits<double>::infinity();
    f.Maximum = -std::numeric_limits<double>::infinity();
  }

  SweepPixels(Image, [&](const float* samples) {
    for (int c = 0; c < channels; ++c) {
      TChannelFigures& f = figures[static_cast<std::size_t>(c)];
      const double v = samples[c];
      if (f.Valid) f.Valid = StoreRounded(static_cast<double>(f.Sum) + v * kUnits, f.Sum);
      if (v > f.Maximum) f.Maximum = v;
      if (!(v >= f.Minimum)) f.Minimum = v;
    }
  });

  // The pixel count is exact in 64 bits; a 32-bit product would wrap beyond 2^31 pixels.
  const double n = static_cast<double>(static_cast<std::int64_t>(Image.Width) * Image.Height);
  for (TChannelFigures& f : figures)
    if (f.Valid) f.Valid = StoreRounded(static_cast<double>(f.Sum) / n, f.Mean);

  SweepPixels(Image, [&](const float* samples) {
    for (int c = 0; c < channels; ++c) {
      TChannelFigures& f = figures[static_cast<std::size_t>(c)];
      if (!f.Valid) continue;
      const double d = (static_cast<double>(samples[c]) * kUnits - static_cast<double>(f.Mean)) / kUnits;
      f.Valid = StoreRounded(static_cast<double>(f.SumSq) + d * d * kUnits, f.SumSq);
    }
  });

  for (TChannelFigures& f : figures)
    if (f.Valid) f.Valid = StoreRounded(std::sqrt(static_cast<double>(f.SumSq) / n / kUnits) * kUnits, f.StdDev);
  return figures;
}

TStatisticsTable ComputeStatistics(const TStatisticsImage& Image, char DecimalSeparator) noexcept {
  try {
    const std::vector<TChannelFigures> figures = ComputeChannelFigures(Image);
    if (figures.empty()) return {};
    static const char* const kCaptions[3] = {"R", "G", "B"};
    TStatisticsTable table;
    for (std::size_t c = 0; c < figures.size(); ++c)
      if (figures[c].Valid)
        table.Rows.push_back(
            FormatRow(figures[c], Image.IsGray ? "*" : kCaptions[c], Image.IsGray, DecimalSeparator));
    table.Caption =
        "Statistics - [" + std::to_string(Image.Width) + " x " + std::to_string(Image.Height) + "]";
    table.Succeeded = true;
    return table;
  } catch (...) {
    return {};
  }
}

THistogram BuildHistogram(const TStatisticsImage& Image) noexcept {
  try {
    if (!CanMeasure(Image)) return {};
    const int channels = ChannelCount(Image);
    std::vector<float> maxima(static_cast<std::size_t>(channels), 0.0f);
    SweepPixels(Image, [&](const float* samples) {
      for (int c = 0; c < channels; ++c)
        if (samples[c] > maxima[static_cast<std::size_t>(c)] && std::isfinite(samples[c]))
          maxima[static_cast<std::size_t>(c)] = samples[c];
    });

    THistogram histogram;
    for (float max : maxima) {
      float scale = static_cast<float>(255.0 / (max == 0.0f ? 1.0 : static_cast<double>(max)));
      // Below about 7.5e-37 the scale overflows; such samples are all but 0 and bin like 0.
      if (std::isinf(scale)) scale = 255.0f;
      histogram.Scales.push_back(scale);
    }

    std::vector<std::array<double, kBins>> counts(static_cast<std::size_t>(channels));
    for (auto& table : counts) table.fill(0.0);
    SweepPixels(Image, [&](const float* samples) {
      for (int c = 0; c < channels; ++c) {
        const float s = static_cast<float>(static_cast<double>(samples[c]) *
                                           static_cast<double>(histogram.Scales[static_cast<std::size_t>(c)]));
        const double bin = std::nearbyint(s);
        if (bin >= 0.0 && bin < kBins) counts[static_cast<std::size_t>(c)][static_cast<std::size_t>(bin)] += 1.0;
      }
    });

    auto channelSeries = [&](int c, TChartColour colour) {
      THistogramSeries series{colour, {}};
      const double scale = histogram.Scales[static_cast<std::size_t>(c)];
      for (int i = 0; i < kBins; ++i)
        series.Points.push_back({i / scale, counts[static_cast<std::size_t>(c)][static_cast<std::size_t>(i)]});
      return series;
    };
    if (Image.IsGray) {
      histogram.Series.push_back(channelSeries(0, kBlack));
      return histogram;
    }

    THistogramSeries intensity{kBlack, {}};
    const double meanScale = (static_cast<double>(histogram.Scales[0]) + histogram.Scales[1] + histogram.Scales[2]) / 3;
    for (int i = 0; i < kBins; ++i) {
      const auto bin = static_cast<std::size_t>(i);
      const float y = static_cast<float>((counts[0][bin] + counts[1][bin] + counts[2][bin]) / 3);
      intensity.Points.push_back({i / meanScale, y});
    }
    histogram.Series.push_back(std::move(intensity));
    histogram.Series.push_back(channelSeries(0, kRed));
    histogram.Series.push_back(channelSeries(1, kGreen));
    histogram.Series.push_back(channelSeries(2, kBlue));
    return histogram;
  } catch (...) {
    return {};
  }
}
