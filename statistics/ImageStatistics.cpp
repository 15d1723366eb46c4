#include "statistics/ImageStatistics.h"

#include "platform/NumberFormat.h"
#include "statistics/PixelAccess.h"

#include <cmath>
#include <cstddef>
#include <limits>
#include <type_traits>
#include <utility>

namespace {

constexpr double kUnits = 10000.0;
constexpr double kInt64End = 9223372036854775808.0;  // 2^63
constexpr double k2To52 = 4503599627370496.0;
constexpr float kFloatInf = std::numeric_limits<float>::infinity();
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

// The samples of one pixel, channel c at c. Whole is set for 8- and 16-bit images, whose
// samples are whole numbers: never a fraction, never a NaN or an infinity.
template <int BitDepth, int Channels>
struct TPixel : std::array<float, Channels> {
  static constexpr bool Whole = BitDepth != 32;
};

// Calls step(state, pixel) for every pixel, rows outer and columns inner, with a TPixel. The
// depth and the channel count are fixed for the whole sweep, so that the reader and the step
// inline into the loop: a reader called per pixel, choosing the depth per sample, took longer
// than the rest of a sweep. The step works on a copy of the state that no read of the block
// can touch, so that the compiler keeps it in registers rather than storing it per sample.
template <int BitDepth, int Channels, class TState, class TStep>
void SweepRows(const TStatisticsImage& image, TState& state, TStep& step) {
  TState local = state;
  for (int32_t y = 0; y < image.Height; ++y) {
    const std::uint8_t* row = BlockRow(image.Data, image.RowBytes, y);
    for (int32_t x = 0; x < image.Width; ++x) {
      TPixel<BitDepth, Channels> pixel;
      for (int c = 0; c < Channels; ++c)
        pixel[static_cast<std::size_t>(c)] = ReadSample<BitDepth>(row, static_cast<std::ptrdiff_t>(x) * Channels + c);
      step(local, pixel);
    }
  }
  state = local;
}

// SweepRows for an image that CanMeasure accepts.
template <class TState, class TStep>
void SweepPixels(const TStatisticsImage& image, TState& state, TStep step) {
  switch (image.BitDepth) {
    case 8:
      return image.IsGray ? SweepRows<8, 1>(image, state, step) : SweepRows<8, 3>(image, state, step);
    case 16:
      return image.IsGray ? SweepRows<16, 1>(image, state, step) : SweepRows<16, 3>(image, state, step);
    default:
      return image.IsGray ? SweepRows<32, 1>(image, state, step) : SweepRows<32, 3>(image, state, step);
  }
}

// x rounded to the nearest integer, ties to even (the rounding mode that the plug-in's entry
// sets): below 2^52 adding 2^52 with x's sign leaves no bit for a fraction, and taking it away
// again is exact; from 2^52 on every double is an integer. This gives the integer that
// std::nearbyint gives, without a library call per sample, which in the Windows builds took
// most of the time of a sweep. A NaN or an infinity comes back as it is. Written with
// comparisons only: the 32-bit build makes fabs and copysign through memory.
inline double RoundToEven(double x) {
  if (x >= 0.0) return x < k2To52 ? (x + k2To52) - k2To52 : x;
  return x > -k2To52 ? (x - k2To52) + k2To52 : x;
}

// Whether a figure fits the signed 64-bit range; a NaN does not.
inline bool InInt64Range(double figure) { return figure >= -kInt64End && figure < kInt64End; }

// figure := value rounded to the nearest integer, ties to even. False, figure untouched, for a
// NaN or a value outside the signed 64-bit range.
bool StoreRounded(double value, double& figure) {
  const double rounded = RoundToEven(value);
  if (!InInt64Range(rounded)) return false;
  figure = rounded;
  return true;
}

// What a sample adds to the sum of squares: its squared deviation from the mean, in units.
inline double SquaredDeviation(float v, double mean) {
  const double d = (static_cast<double>(v) * kUnits - mean) / kUnits;
  return d * d * kUnits;
}

// The histogram bin of sample v at a channel's scale, or kBins for one that counts nowhere:
// a bin outside 0..255, a NaN or an infinity.
inline int BinOf(float v, double scale) {
  const float scaled = static_cast<float>(static_cast<double>(v) * scale);
  const double bin = RoundToEven(scaled);
  return bin >= 0.0 && bin < kBins ? static_cast<int>(bin) : kBins;
}

// An 8- or 16-bit sample takes one of at most 65536 values, far fewer than a large image has
// samples. A per-sample function of such samples is then computed once per value, by the same
// expression, and looked up while the image is swept: the same bits at a fraction of the cost
// (a division per sample took most of a sweep). Entry c * Values + v is channel c's value v;
// empty for 32-bit samples, which are computed one by one.
template <class TEntry>
struct TValueTable {
  std::size_t Values = 0;
  std::vector<TEntry> Entries;

  template <class TFunction>
  TValueTable(const TStatisticsImage& image, TFunction function) {
    if (image.BitDepth == 32) return;
    Values = std::size_t{1} << image.BitDepth;
    const std::size_t channels = static_cast<std::size_t>(ChannelCount(image));
    Entries.resize(channels * Values);
    for (std::size_t c = 0; c < channels; ++c)
      for (std::size_t v = 0; v < Values; ++v) Entries[c * Values + v] = function(c, static_cast<float>(v));
  }
  // The table of each channel, or null.
  std::array<const TEntry*, 3> Channels() const {
    std::array<const TEntry*, 3> tables{};
    for (std::size_t c = 0; c * Values < Entries.size(); ++c) tables[c] = &Entries[c * Values];
    return tables;
  }
};

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
  const std::size_t channels = static_cast<std::size_t>(ChannelCount(Image));

  // The 64-bit figures are made as doubles: every store rounds to an integer, which the double
  // holds exactly while it stays in the 64-bit range, so the figure comes out the same; the
  // 32-bit build has no single instruction for the conversions to and from 64 bits that
  // storing into 64-bit integers would take per sample. A figure that can shrink again is
  // checked against the range after every store, one that only grows at the end; a figure
  // that once left the range makes its channel invalid.
  struct TSums {
    std::array<double, 3> Sum{};
    std::array<bool, 3> InRange{true, true, true};
    std::array<std::int64_t, 3> Blanks{};
    // The extremes start beyond every sample, so that the first sample sets both: a channel
    // of only negative samples (or only samples above 2.0E32) shows its real extremes.
    std::array<float, 3> Minimum{kFloatInf, kFloatInf, kFloatInf};
    std::array<float, 3> Maximum{-kFloatInf, -kFloatInf, -kFloatInf};
  } sums;

  // A NaN or an infinity (a blank of a 32-bit frame) has no value to measure: the figures are
  // those of the channel's other samples, as the histogram leaves such samples out too. For
  // whole samples the rounding is left out: a whole sample times 10000 is whole, and the sum
  // of two whole doubles is whole (exact below 2^53, and every double from 2^53 on is whole).
  // Such a sum never shrinks either.
  SweepPixels(Image, sums, [](TSums& s, const auto& pixel) {
    constexpr bool whole = std::decay_t<decltype(pixel)>::Whole;
    for (std::size_t c = 0; c < pixel.size(); ++c) {
      const float v = pixel[c];
      if (!whole && !std::isfinite(v)) {
        ++s.Blanks[c];
        continue;
      }
      if (whole) {
        s.Sum[c] += static_cast<double>(v) * kUnits;
      } else {
        s.Sum[c] = RoundToEven(s.Sum[c] + static_cast<double>(v) * kUnits);
        s.InRange[c] = s.InRange[c] && InInt64Range(s.Sum[c]);
      }
      s.Maximum[c] = v > s.Maximum[c] ? v : s.Maximum[c];
      s.Minimum[c] = v < s.Minimum[c] ? v : s.Minimum[c];
    }
  });

  struct TSquares {
    std::array<double, 3> SumSq{};
    std::array<double, 3> Mean{};
    std::array<const double*, 3> Deviations{};  // SquaredDeviation per value of whole samples
  } squares;
  std::array<bool, 3> valid{};
  std::array<double, 3> count{};
  const std::int64_t pixels = static_cast<std::int64_t>(Image.Width) * Image.Height;
  for (std::size_t c = 0; c < channels; ++c) {
    // The count is exact in a double: it is below 2^53.
    count[c] = static_cast<double>(pixels - sums.Blanks[c]);
    valid[c] = count[c] > 0 && sums.InRange[c] && InInt64Range(sums.Sum[c]) &&
               StoreRounded(sums.Sum[c] / count[c], squares.Mean[c]);
  }

  const TValueTable<double> deviations(
      Image, [&squares](std::size_t c, float v) { return SquaredDeviation(v, squares.Mean[c]); });
  squares.Deviations = deviations.Channels();
  // Squares are never negative: the sum only grows.
  SweepPixels(Image, squares, [](TSquares& s, const auto& pixel) {
    constexpr bool whole = std::decay_t<decltype(pixel)>::Whole;
    for (std::size_t c = 0; c < pixel.size(); ++c) {
      const float v = pixel[c];
      if (!whole && !std::isfinite(v)) continue;
      const double term = whole ? s.Deviations[c][static_cast<int>(v)] : SquaredDeviation(v, s.Mean[c]);
      s.SumSq[c] = RoundToEven(s.SumSq[c] + term);
    }
  });

  std::vector<TChannelFigures> figures(channels);
  for (std::size_t c = 0; c < channels; ++c) {
    double stdDev = 0.0;
    if (!valid[c] || !InInt64Range(squares.SumSq[c]) ||
        !StoreRounded(std::sqrt(squares.SumSq[c] / count[c] / kUnits) * kUnits, stdDev))
      continue;
    TChannelFigures& f = figures[c];
    f.Valid = true;
    f.Minimum = sums.Minimum[c];
    f.Maximum = sums.Maximum[c];
    f.Sum = static_cast<std::int64_t>(sums.Sum[c]);
    f.Mean = static_cast<std::int64_t>(squares.Mean[c]);
    f.SumSq = static_cast<std::int64_t>(squares.SumSq[c]);
    f.StdDev = static_cast<std::int64_t>(stdDev);
  }
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
    const std::size_t channels = static_cast<std::size_t>(ChannelCount(Image));
    std::array<float, 3> maxima{};
    SweepPixels(Image, maxima, [](std::array<float, 3>& max, const auto& pixel) {
      for (std::size_t c = 0; c < pixel.size(); ++c)
        if (pixel[c] > max[c] && (std::decay_t<decltype(pixel)>::Whole || std::isfinite(pixel[c]))) max[c] = pixel[c];
    });

    THistogram histogram;
    std::array<double, 3> scales{};
    for (std::size_t c = 0; c < channels; ++c) {
      const float max = maxima[c];
      float scale = static_cast<float>(255.0 / (max == 0.0f ? 1.0 : static_cast<double>(max)));
      // Below about 7.5e-37 the scale overflows; such samples are all but 0 and bin like 0.
      if (std::isinf(scale)) scale = 255.0f;
      histogram.Scales.push_back(scale);
      scales[c] = scale;
    }

    // Counted as integers, which a double holds exactly up to 2^53; a double counter in memory
    // would make every sample wait for the addition of the one before it in the same bin.
    // Samples that count nowhere go to an extra bin at the end.
    const TValueTable<std::uint16_t> bins(
        Image, [&scales](std::size_t c, float v) { return static_cast<std::uint16_t>(BinOf(v, scales[c])); });
    struct TTally {
      std::array<const std::uint16_t*, 3> Bins;
      std::array<std::size_t*, 3> Counts;
    };
    std::array<std::array<std::size_t, kBins + 1>, 3> tallies{};
    TTally tally{bins.Channels(), {tallies[0].data(), tallies[1].data(), tallies[2].data()}};
    SweepPixels(Image, tally, [&scales](TTally& t, const auto& pixel) {
      constexpr bool whole = std::decay_t<decltype(pixel)>::Whole;
      for (std::size_t c = 0; c < pixel.size(); ++c)
        ++t.Counts[c][whole ? t.Bins[c][static_cast<int>(pixel[c])] : BinOf(pixel[c], scales[c])];
    });
    std::array<std::array<double, kBins>, 3> counts{};
    for (std::size_t c = 0; c < channels; ++c)
      for (std::size_t i = 0; i < kBins; ++i) counts[c][i] = static_cast<double>(tallies[c][i]);

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
