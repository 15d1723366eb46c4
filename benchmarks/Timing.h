// Wall-clock times of repeated runs, summed up as their minimum and median, for the benchmarks.
#pragma once

#include <algorithm>
#include <chrono>
#include <vector>

using TClock = std::chrono::steady_clock;

inline double Milliseconds(TClock::time_point from, TClock::time_point to) {
  return std::chrono::duration<double, std::milli>(to - from).count();
}

struct TFigure {
  double Min = 0;
  double Median = 0;
  bool Valid() const { return Min > 0; }
};

// The minimum and median of the times; both 0 when there are none.
inline TFigure Summarize(std::vector<double> ms) {
  TFigure f;
  if (ms.empty()) return f;
  std::sort(ms.begin(), ms.end());
  f.Min = ms.front();
  f.Median = ms.size() % 2 ? ms[ms.size() / 2] : (ms[ms.size() / 2 - 1] + ms[ms.size() / 2]) / 2;
  return f;
}
