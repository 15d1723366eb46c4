// Per-channel figures and 256-bin histograms of a host image, as the statistics dialog shows them.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// One host input block as the dialog keeps it: interleaved samples (PixelAccess.h), rows
// RowBytes apart, one channel when IsGray is set, else red, green and blue.
struct TStatisticsImage {
  const void* Data = nullptr;
  int32_t RowBytes = 0;
  uint8_t BitDepth = 0;
  int32_t Width = 0;
  int32_t Height = 0;
  bool IsGray = false;
};

// The figures of one channel, over its finite samples: a NaN or an infinity (a blank of a
// 32-bit frame) is left out. Sum, Mean and StdDev count 1/10000 of a sample unit, SumSq
// 1/10000 of a squared sample unit; StdDev is the population deviation (divisor N, the number
// of finite samples). Valid is false, and the other figures 0, for a channel without a finite
// sample or one where a figure left the signed 64-bit range.
struct TChannelFigures {
  bool Valid = false;
  double Minimum = 0.0;
  double Maximum = 0.0;
  int64_t Sum = 0;
  int64_t Mean = 0;
  int64_t SumSq = 0;
  int64_t StdDev = 0;
};

// One row of the statistics list: "R", "G", "B" or "*", then the texts of the columns
// Minimum, Maximum, Mean, Std. Dev. and Sum.
struct TStatisticsRow {
  std::string Caption;
  std::array<std::string, 5> SubItems;
};

// Rows in list order and the dialog caption. Succeeded is false for an image that cannot be
// measured (no block, no pixels, a BitDepth other than 8, 16 or 32, or a RowBytes too small
// for one row): no rows and the caption "Statistics".
struct TStatisticsTable {
  bool Succeeded = false;
  std::vector<TStatisticsRow> Rows;
  std::string Caption = "Statistics";
};

// Figures of every channel (three for RGB, one for gray) from two sweeps over the image, rows
// outer and columns inner. Every store into a 64-bit figure rounds a double to the nearest
// integer, ties to even:
//   Sum := round(Sum + v * 10000) per finite sample; Minimum and Maximum are the extreme
//   finite samples;
//   Mean := round(Sum / N);
//   d := (v * 10000 - Mean) / 10000, SumSq := round(SumSq + d * d * 10000) per finite sample;
//   StdDev := round(sqrt(SumSq / N / 10000) * 10000).
// N is the exact count of the channel's finite samples (every pixel for 8 and 16 bits). All
// arithmetic is in double, which fixes the result bits. Empty when the image cannot be
// measured.
std::vector<TChannelFigures> ComputeChannelFigures(const TStatisticsImage& Image);

// The list rows and the caption "Statistics - [W x H]". RGB rows show all five figures as
// "0.000"; the gray row "*" shows minimum, maximum and sum as "0" and mean and deviation as
// "0.000" at every depth. A channel whose figures are not valid gets no row. Never throws.
TStatisticsTable ComputeStatistics(const TStatisticsImage& Image, char DecimalSeparator) noexcept;

struct TChartColour {
  uint8_t R;
  uint8_t G;
  uint8_t B;
};

struct TChartPoint {
  double X;
  double Y;
};

// One bar series: 256 points, bin 0 first; every point is added in the series' colour.
struct THistogramSeries {
  TChartColour Colour;
  std::vector<TChartPoint> Points;
};

// Scales per channel (red, green, blue, or the one gray channel) and the series in chart order:
// for RGB Series1 (intensity, black), Series2 (red), Series3 (green (0, 128, 0)), Series4 (blue),
// which the dialog fills bin by bin, point i of every series before point i + 1; for gray
// Series1 alone. Both empty when the image cannot be measured.
struct THistogram {
  std::vector<float> Scales;
  std::vector<THistogramSeries> Series;
};

// 256-bin histograms. Per channel: Max, a single, is the largest sample (0 when none is
// above 0); 0 counts as 1, and so does a Max so small that 255 / Max would overflow a single;
// Scale := 255 / Max as a single. Each sample v counts in bin round(v * Scale as a single),
// ties to even. A channel series has X = i / Scale and Y = the count of bin i; the intensity
// series of RGB has X = i / ((ScaleR + ScaleG + ScaleB) / 3) and Y = the mean of the three
// counts as a single. A sample whose bin falls outside 0..255 (negative values below -0.5 /
// Scale), a NaN and an infinity count nowhere, and infinities do not set Max. Never throws.
THistogram BuildHistogram(const TStatisticsImage& Image) noexcept;
