#include "maxent/ExpLog.h"

#include <cmath>

#ifndef _WIN32

// Elsewhere the runtime's functions are fast already.
float ExpAsSingle(double X) noexcept { return static_cast<float>(std::exp(X)); }
float LogAsSingle(double X) noexcept { return static_cast<float>(std::log(X)); }

#else

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// The two 32-bit halves of a double, so that the 32-bit build needs no 64-bit integer work.
// With SSE2 they move through a vector register: building a double in memory from two 32-bit
// stores would stall the load that reads it back.
struct TWords {
  std::uint32_t Lo, Hi;
};

#if defined(__SSE2__)
TWords Words(double v) {
  const __m128i x = _mm_castpd_si128(_mm_set_sd(v));
  return {static_cast<std::uint32_t>(_mm_cvtsi128_si32(x)),
          static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_srli_epi64(x, 32)))};
}

double FromWords(std::uint32_t hi, std::uint32_t lo) {
  const __m128i x = _mm_unpacklo_epi32(_mm_cvtsi32_si128(static_cast<int>(lo)), _mm_cvtsi32_si128(static_cast<int>(hi)));
  return _mm_cvtsd_f64(_mm_castsi128_pd(x));
}
#else
TWords Words(double v) {
  std::uint64_t b;
  std::memcpy(&b, &v, sizeof b);
  return {static_cast<std::uint32_t>(b), static_cast<std::uint32_t>(b >> 32)};
}

double FromWords(std::uint32_t hi, std::uint32_t lo) {
  const std::uint64_t b = (static_cast<std::uint64_t>(hi) << 32) | lo;
  double v;
  std::memcpy(&v, &b, sizeof v);
  return v;
}
#endif

// A double within reach of rounding to a single differently from the exact value: not a normal
// single (below 2^-126, or from just under FLT_MAX up), or its 29 bits below single precision
// within 2^12 of the halfway pattern 2^28.
bool NearHalfway(double v) {
  const TWords w = Words(v);
  const std::uint32_t hi = w.Hi & 0x7fffffffu;
  if (hi < 0x38100000u || hi >= 0x47efffffu) return true;
  const std::int32_t low = static_cast<std::int32_t>(w.Lo & 0x1fffffffu) - 0x10000000;
  return low > -4096 && low < 4096;
}

// ln 2 in two parts; the first has 32 significant bits, so k x kLn2Hi is exact for |k| < 2^21.
constexpr double kLn2Hi = 6.93147180369123816490e-01;
constexpr double kLn2Lo = 1.90821492927058770002e-10;
constexpr double kInvLn2 = 1.44269504088896338700e+00;

}  // namespace

float ExpAsSingle(double X) noexcept {
  // Singles from 2^-126 to FLT_MAX only; the rest (and NaN) goes to the runtime.
  if (!(X > -87.0 && X < 88.0)) return static_cast<float>(std::exp(X));
  // Nearest integer by the 1.5 x 2^52 shift: exact in double arithmetic for |X / ln 2| < 2^51.
  const double k = (X * kInvLn2 + 6755399441055744.0) - 6755399441055744.0;
  const double r = (X - k * kLn2Hi) - k * kLn2Lo;  // |r| <= 0.35
  // Taylor series to r^13 / 13!, whose remainder is below 2^-58.
  double p = 1.0 / 6227020800.0;
  p = p * r + 1.0 / 479001600.0;
  p = p * r + 1.0 / 39916800.0;
  p = p * r + 1.0 / 3628800.0;
  p = p * r + 1.0 / 362880.0;
  p = p * r + 1.0 / 40320.0;
  p = p * r + 1.0 / 5040.0;
  p = p * r + 1.0 / 720.0;
  p = p * r + 1.0 / 120.0;
  p = p * r + 1.0 / 24.0;
  p = p * r + 1.0 / 6.0;
  p = p * r + 0.5;
  p = p * r + 1.0;
  p = p * r + 1.0;
  const double y = p * FromWords(static_cast<std::uint32_t>(static_cast<int>(k) + 1023) << 20, 0);
  if (NearHalfway(y)) return static_cast<float>(std::exp(X));
  return static_cast<float>(y);
}

float LogAsSingle(double X) noexcept {
  // Positive normal doubles other than 1 only (log 1 = 0 is no normal single).
  if (!(X >= 2.2250738585072014e-308 && X <= 1.7976931348623157e308) || X == 1.0)
    return static_cast<float>(std::log(X));
  const TWords w = Words(X);
  int k = static_cast<int>(w.Hi >> 20) - 1023;
  double m = FromWords((w.Hi & 0x000fffffu) | 0x3ff00000u, w.Lo);  // [1, 2)
  if (m > 1.4142135623730951) {
    m *= 0.5;
    ++k;
  }
  // log m = 2 atanh(s), s = (m - 1) / (m + 1), |s| <= 0.1716; m - 1 is exact. The series to
  // s^23 / 23 leaves a remainder below 2^-55 of the sum.
  const double f = m - 1.0;
  const double s = f / (2.0 + f);
  const double z = s * s;
  double p = 1.0 / 23.0;
  p = p * z + 1.0 / 21.0;
  p = p * z + 1.0 / 19.0;
  p = p * z + 1.0 / 17.0;
  p = p * z + 1.0 / 15.0;
  p = p * z + 1.0 / 13.0;
  p = p * z + 1.0 / 11.0;
  p = p * z + 1.0 / 9.0;
  p = p * z + 1.0 / 7.0;
  p = p * z + 1.0 / 5.0;
  p = p * z + 1.0 / 3.0;
  const double logM = 2.0 * s + 2.0 * s * (z * p);
  const double y = k * kLn2Hi + (logM + k * kLn2Lo);
  if (NearHalfway(y)) return static_cast<float>(std::log(X));
  return static_cast<float>(y);
}

#endif
