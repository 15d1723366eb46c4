// Seeded random choices for the fuzz drivers (the test host's fuzz mode, the block fuzz test).
#pragma once

#include <cstdint>
#include <random>

// The choices of one input of a seeded run. Input K of seed S draws the same choices in every
// run, whatever inputs came before it, so that one failing input replays alone.
class TSeededChoice
{
public:
  TSeededChoice(std::uint64_t seed, long input);

  // A whole number in lo..hi, both included.
  int Int(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(FEngine); }
  // True with probability p.
  bool Chance(double p) { return std::uniform_real_distribution<double>(0.0, 1.0)(FEngine) < p; }
  std::uint8_t Byte() { return static_cast<std::uint8_t>(FEngine()); }
  // A float sample of the kinds that break conversions: often in -0.25..1.5, otherwise a NaN,
  // an infinity, a denormal, a zero of either sign, a huge value or any bit pattern.
  float Float();

  static float BitsToFloat(std::uint32_t bits);

private:
  std::mt19937_64 FEngine;
};
