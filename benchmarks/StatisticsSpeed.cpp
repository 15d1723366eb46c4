// The statistics dialog's measuring of a large frame: the figures with their list texts, and the
// histograms with their chart points, each as minimum and median of repeated runs (ms). The
// dialog opens only after both, so their sum is what a user waits for.
//
// Builds in every tree, so that the Windows builds can be timed under Wine. A hash of the
// texts and points is printed with the times: every build, before and after a change to the
// kernel, must print the same one.
//
//   StatisticsSpeed [--width N] [--height N] [--depth 8|16|32] [--gray] [--repeats N]
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "statistics/ImageStatistics.h"
#include "tests/framework/BitHash.h"

#include "Timing.h"

namespace {

struct TOptions {
  int Width = 6000;
  int Height = 6000;
  int Depth = 16;
  bool Gray = false;
  int Repeats = 5;
};

bool ParseOptions(int argc, char** argv, TOptions& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    if (option == "--gray") {
      options.Gray = true;
      continue;
    }
    if (i + 1 >= argc) return false;
    const int value = std::atoi(argv[++i]);
    if (option == "--width") options.Width = value;
    else if (option == "--height") options.Height = value;
    else if (option == "--depth") options.Depth = value;
    else if (option == "--repeats") options.Repeats = value;
    else return false;
  }
  return options.Width > 0 && options.Height > 0 && options.Repeats > 0 &&
         (options.Depth == 8 || options.Depth == 16 || options.Depth == 32);
}

// A seeded frame as a telescope gives it: a noisy sky at about a tenth of the range, a few
// thousand stars up to the full range, a little padding at each row's end.
std::vector<std::uint8_t> MakeFrame(const TOptions& o, TStatisticsImage& image) {
  const int channels = o.Gray ? 1 : 3;
  const int sampleBytes = o.Depth / 8;
  const double top = o.Depth == 8 ? 255 : o.Depth == 16 ? 65535 : 1;
  image.RowBytes = o.Width * channels * sampleBytes + 4;
  std::vector<std::uint8_t> bytes(static_cast<size_t>(image.RowBytes) * o.Height);
  std::vector<float> row(static_cast<size_t>(o.Width) * channels);
  std::uint32_t seed = 12345;
  auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
  std::vector<int> starColumns(static_cast<size_t>(o.Height));
  for (int& column : starColumns) column = next() % 97 == 0 ? static_cast<int>(next() % o.Width) : -1;
  for (int y = 0; y < o.Height; ++y) {
    for (size_t i = 0; i < row.size(); ++i) row[i] = static_cast<float>(top * (0.1 + (next() >> 24) / 8192.0));
    const int star = starColumns[static_cast<size_t>(y)];
    for (int x = std::max(0, star - 4); star >= 0 && x <= std::min(o.Width - 1, star + 4); ++x)
      for (int c = 0; c < channels; ++c)
        row[static_cast<size_t>(x) * channels + c] = static_cast<float>(top / (1 + std::abs(x - star)));
    std::uint8_t* out = &bytes[static_cast<size_t>(y) * image.RowBytes];
    for (size_t i = 0; i < row.size(); ++i) {
      std::uint32_t bits = 0;
      if (o.Depth == 32) std::memcpy(&bits, &row[i], sizeof bits);
      else bits = static_cast<std::uint32_t>(row[i]);
      for (int b = 0; b < sampleBytes; ++b) out[i * sampleBytes + b] = static_cast<std::uint8_t>(bits >> (8 * b));
    }
  }
  image.Data = bytes.data();
  image.BitDepth = static_cast<std::uint8_t>(o.Depth);
  image.Width = o.Width;
  image.Height = o.Height;
  image.IsGray = o.Gray;
  return bytes;
}

}  // namespace

int main(int argc, char** argv) {
  TOptions options;
  if (!ParseOptions(argc, argv, options)) {
    std::fprintf(stderr, "usage: StatisticsSpeed [--width N] [--height N] [--depth 8|16|32] [--gray] [--repeats N]\n");
    return 2;
  }
  TStatisticsImage image;
  const std::vector<std::uint8_t> frame = MakeFrame(options, image);

  std::vector<double> figuresMs, histogramMs, totalMs;
  testgen::TFnv1a hash;
  for (int run = 0; run < options.Repeats; ++run) {
    const TClock::time_point start = TClock::now();
    const TStatisticsTable table = ComputeStatistics(image, '.');
    const TClock::time_point between = TClock::now();
    const THistogram histogram = BuildHistogram(image);
    const TClock::time_point end = TClock::now();
    figuresMs.push_back(Milliseconds(start, between));
    histogramMs.push_back(Milliseconds(between, end));
    totalMs.push_back(Milliseconds(start, end));
    if (run > 0) continue;
    for (const TStatisticsRow& row : table.Rows) {
      hash.Add(row.Caption.c_str(), row.Caption.size() + 1);
      for (const std::string& text : row.SubItems) hash.Add(text.c_str(), text.size() + 1);
    }
    for (const THistogramSeries& series : histogram.Series)
      for (const TChartPoint& point : series.Points) {
        hash.Add(&point.X, sizeof point.X);
        hash.Add(&point.Y, sizeof point.Y);
      }
  }

  std::printf("%d x %d %s %d-bit, %d runs, results hash %016llx\n", options.Width, options.Height,
              options.Gray ? "gray" : "RGB", options.Depth, options.Repeats,
              static_cast<unsigned long long>(hash.Value()));
  const struct {
    const char* Name;
    const std::vector<double>& Ms;
  } lines[] = {{"figures", figuresMs}, {"histograms", histogramMs}, {"both", totalMs}};
  for (const auto& line : lines) {
    const TFigure f = Summarize(line.Ms);
    std::printf("  %-10s min %8.1f ms  median %8.1f ms\n", line.Name, f.Min, f.Median);
  }
  return 0;
}
