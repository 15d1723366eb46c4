#include "PluginRunSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "DialogTestSupport.h"
#include "FilterHost.h"
#include "framework/helper.h"
#include "platform/Registry.h"

namespace {

THostImageFile ToHostImage(const TTestBlock& block) {
  THostImageFile image;
  image.Allocate(block.Width, block.Height, block.IsGray ? 1 : 3, block.BitDepth);
  image.Data = block.Bytes;  // the test blocks have no row padding
  return image;
}

// The byte offset of sample c of pixel (x, y) in a 32-bit block.
size_t SampleOffset(const TTestBlock& block, int x, int y, int c) {
  return static_cast<size_t>(y) * block.RowBytes + 4 * (static_cast<size_t>(x) * (block.IsGray ? 1 : 3) + c);
}

void PutSample(TTestBlock& block, int x, int y, int c, float value) {
  std::memcpy(block.Bytes.data() + SampleOffset(block, x, y, c), &value, 4);
}

// Where WithNonFiniteSamples puts its samples: spread over the image, one near a corner.
struct TPlacedSample {
  double X, Y;
  int Channel;
  float Value;
};

std::vector<TPlacedSample> NonFinitePlaces() {
  const float inf = std::numeric_limits<float>::infinity();
  return {{0.1, 0.2, 0, std::numeric_limits<float>::quiet_NaN()}, {0.5, 0.4, 1, inf},
          {0.0, 0.9, 2, -inf}};
}

TTestBlock Placed(const TTestBlock& block, bool zero) {
  TTestBlock result = block;
  for (const TPlacedSample& p : NonFinitePlaces())
    PutSample(result, static_cast<int>(p.X * (block.Width - 1)), static_cast<int>(p.Y * (block.Height - 1)),
              block.IsGray ? 0 : p.Channel, zero ? 0.0f : p.Value);
  return result;
}

}  // namespace

TTestBlock WithNonFiniteSamples(const TTestBlock& block) { return Placed(block, false); }

TTestBlock WithNonFiniteAsZero(const TTestBlock& block) { return Placed(block, true); }

std::vector<uint8_t> NonFiniteRestored(std::vector<uint8_t> output, const TTestBlock& input) {
  const int channels = input.IsGray ? 1 : 3;
  for (int y = 0; y < input.Height; ++y)
    for (int x = 0; x < input.Width; ++x)
      for (int c = 0; c < channels; ++c) {
        const size_t at = SampleOffset(input, x, y, c);
        float v;
        std::memcpy(&v, input.Bytes.data() + at, 4);
        if (!std::isfinite(v)) std::memcpy(output.data() + at, &v, 4);
      }
  return output;
}

TOutcome RunPlugin(const char* path, const TTestBlock& input, const std::string& script,
                   int padBytes) {
  TOutcome outcome;
  TPluginModule plugin;
  std::string error;
  if (!plugin.Load(path, error)) {
    ADD_FAILURE() << error;
    return outcome;
  }
  TFilterHost host(ToHostImage(input));
  host.SetPadding(padBytes, padBytes);
  outcome.Result =
      static_cast<int16>(ShowWithScript(script, [&] { return RunFilter(plugin, host).Result; }));
  outcome.Image = host.Image();
  outcome.InputUntouched = host.InputUntouched();
  outcome.GuardsIntact = host.OutputGuardsIntact();
  return outcome;
}

TProductKey::TProductKey(bool exists) {
  RegDeleteKeyA(HKEY_CURRENT_USER, kProductRegistryKey);
  if (exists) {
    TRegistry registry;
    registry.OpenKey(kProductRegistryKey, true);
  }
}

TProductKey::~TProductKey() { RegDeleteKeyA(HKEY_CURRENT_USER, kProductRegistryKey); }

bool TProductKey::Exists() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kProductRegistryKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
    return false;
  RegCloseKey(key);
  return true;
}

bool TProductKey::ReadDword(const char* name, DWORD& value) {
  DWORD size = sizeof value, type = 0;
  return RegGetValueA(HKEY_CURRENT_USER, kProductRegistryKey, name, RRF_RT_ANY, &type, &value,
                      &size) == ERROR_SUCCESS &&
         type == REG_DWORD;
}

bool TProductKey::ReadDouble(const char* name, double& value) {
  unsigned char bytes[16];
  DWORD size = sizeof bytes, type = 0;
  if (RegGetValueA(HKEY_CURRENT_USER, kProductRegistryKey, name, RRF_RT_ANY, &type, bytes,
                   &size) != ERROR_SUCCESS ||
      type != REG_BINARY || size != 8)
    return false;
  std::memcpy(&value, bytes, 8);
  return true;
}

int TProductKey::ValueCount() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kProductRegistryKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
    return -1;
  DWORD count = 0;
  RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr,
                   nullptr, nullptr, nullptr);
  RegCloseKey(key);
  return static_cast<int>(count);
}
