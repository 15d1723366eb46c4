// One FNV-1a hash over the bytes of results, for tests that pin results down to the bit: the
// same constant must come out of every build (native, win32, win64).
#pragma once

#include "framework/DataContainer.h"
#include "platform/Bitmap24.h"

#include <cstddef>
#include <cstdint>

namespace testgen {

class TFnv1a {
public:
  void Add(const void* data, size_t bytes) {
    const auto* p = static_cast<const std::uint8_t*>(data);
    for (size_t i = 0; i < bytes; ++i) FHash = (FHash ^ p[i]) * 0x100000001b3ull;
  }
  // The real samples and the spectrum of a plane.
  void Add(const TDataContainer& plane) {
    AddSamples(plane);
    Add(plane.Complex, PlaneSize(plane) * sizeof(TComplex));
  }
  void AddSamples(const TDataContainer& plane) { Add(plane.Data, PlaneSize(plane) * sizeof(float)); }
  void Add(const TBitmap24& bitmap) {
    Add(bitmap.Bits(), static_cast<size_t>(bitmap.RowBytes()) * bitmap.Height());
  }
  void Add(float v) { Add(&v, sizeof v); }
  std::uint64_t Value() const { return FHash; }

private:
  static size_t PlaneSize(const TDataContainer& plane) { return static_cast<size_t>(plane.Width) * plane.Height; }

  std::uint64_t FHash = 0xcbf29ce484222325ull;
};

}  // namespace testgen
