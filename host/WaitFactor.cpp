#include "WaitFactor.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <system_error>

namespace {

constexpr double kLongestWaitMs = 24.0 * 60 * 60 * 1000;

double WaitFactor() {
  static const double factor = ParseWaitFactor(std::getenv("SKELVANE_WAIT_FACTOR"));
  return factor;
}

}  // namespace

double ParseWaitFactor(const char* text) {
  if (text == nullptr) return 1;
  const char* end = text + std::strlen(text);
  double factor = 0;
  // from_chars reads the same in every locale, unlike strtod.
  const auto [stop, error] = std::from_chars(text, end, factor);
  if (error != std::errc() || stop != end || !std::isfinite(factor) || factor <= 0) return 1;
  return factor;
}

unsigned ScaleWaitMs(unsigned ms, double factor) {
  return static_cast<unsigned>(std::min(std::ceil(ms * factor), kLongestWaitMs));
}

unsigned ScaledWaitMs(unsigned ms) { return ScaleWaitMs(ms, WaitFactor()); }
