// Deterministic test inputs for planes: constant, impulse, ramp, seeded star field, extremes, NaN.
#pragma once

#include "framework/DataContainer.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

namespace testgen {

// A small linear congruential generator: the same sequence in every build.
class TRandom {
public:
  explicit TRandom(std::uint32_t seed) : FState(seed) {}
  std::uint32_t Next() {
    FState = FState * 1664525u + 1013904223u;
    return FState;
  }
  // Uniform in [0, 1), from the top 24 bits, exactly representable as a float.
  float Unit() { return static_cast<float>(Next() >> 8) / 16777216.0f; }
  int Below(int n) { return static_cast<int>((Next() >> 8) % static_cast<std::uint32_t>(n)); }

private:
  std::uint32_t FState;
};

inline std::unique_ptr<TDataContainer> Constant(int w, int h, float c) {
  auto p = std::make_unique<TDataContainer>(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) p->SetValue(x, y, c);
  return p;
}

inline std::unique_ptr<TDataContainer> Impulse(int w, int h, int x0, int y0, float amplitude = 1.0f) {
  auto p = Constant(w, h, 0.0f);
  p->SetValue(x0, y0, amplitude);
  return p;
}

// (x + 2y) / (w + 2h): increasing to the right and downwards, below 1.
inline std::unique_ptr<TDataContainer> Ramp(int w, int h) {
  auto p = std::make_unique<TDataContainer>(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      p->SetValue(x, y, static_cast<float>(static_cast<double>(x + 2 * y) / (w + 2 * h)));
  return p;
}

// A faint noisy sky with a few bright Gaussian stars, from a fixed seed.
inline std::unique_ptr<TDataContainer> StarField(int w, int h, std::uint32_t seed, int stars = 12) {
  TRandom random(seed);
  auto p = std::make_unique<TDataContainer>(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) p->SetValue(x, y, 0.05f + 0.02f * random.Unit());
  for (int s = 0; s < stars; ++s) {
    const int cx = random.Below(w), cy = random.Below(h);
    const double peak = 0.3 + 0.7 * random.Unit();
    for (int dy = -3; dy <= 3; ++dy)
      for (int dx = -3; dx <= 3; ++dx) {
        const int x = cx + dx, y = cy + dy;
        if (x < 0 || y < 0 || x >= w || y >= h) continue;
        const double v = p->GetValue(x, y) + peak * std::exp(-(dx * dx + dy * dy) / 2.0);
        p->SetValue(x, y, static_cast<float>(v));
      }
  }
  return p;
}

// Values that stress limits and rounding: zero, signs, halves, range ends, infinities, denormal.
inline std::vector<float> ExtremeValues() {
  return {0.0f,   -0.0f,   1.0f,     -1.0f,  0.5f,  254.5f / 255.0f,  1e-30f, 1e30f,
          -1e30f, 1.5f,    -0.25f,   std::numeric_limits<float>::infinity(),
          -std::numeric_limits<float>::infinity(), std::numeric_limits<float>::denorm_min(), 65535.0f};
}

inline float NaN() { return std::numeric_limits<float>::quiet_NaN(); }

// The samples of a plane in array order, for comparing whole planes.
inline std::vector<float> Samples(const TDataContainer& plane) {
  return std::vector<float>(plane.Data, plane.Data + plane.Width * plane.Height);
}

}  // namespace testgen
