#include "SeededChoice.h"

#include <cstring>

namespace
{

// The input's own seed: one step of a 64-bit mixing function over seed and input, so that
// neighbouring inputs of one seed draw unrelated choices.
std::uint64_t InputSeed(std::uint64_t seed, long input)
{
  std::uint64_t z = seed + 0x9e3779b97f4a7c15ull * static_cast<std::uint64_t>(input + 1);
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
  return z ^ (z >> 31);
}

} // namespace

TSeededChoice::TSeededChoice(std::uint64_t seed, long input) : FEngine(InputSeed(seed, input)) {}

float TSeededChoice::Float()
{
  static const std::uint32_t kSpecialBits[] = {
      0x7fc00000u, 0xffc00000u, 0x7f800001u, 0x7fa5a5a5u, // quiet, negative, signalling NaNs
      0x7f800000u, 0xff800000u,                           // infinities
      0x00000001u, 0x80000001u, 0x007fffffu,              // denormals
      0x7f7fffffu, 0xff7fffffu,                           // largest finite
      0x00000000u, 0x80000000u,                           // zeros
  };
  switch (Int(0, 5))
  {
  case 0: return BitsToFloat(kSpecialBits[Int(0, sizeof kSpecialBits / sizeof kSpecialBits[0] - 1)]);
  case 1: return BitsToFloat(static_cast<std::uint32_t>(FEngine()));
  case 2:
  {
    static const float kHuge[] = {1e30f, -1e30f, 2e32f, -2e32f, 3e38f, 65535.5f, 255.5f, 1e-40f};
    return kHuge[Int(0, 7)];
  }
  default: return std::uniform_real_distribution<float>(-0.25f, 1.5f)(FEngine);
  }
}

float TSeededChoice::BitsToFloat(std::uint32_t bits)
{
  float v;
  std::memcpy(&v, &bits, sizeof v);
  return v;
}
