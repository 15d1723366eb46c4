// A plane of single-precision samples with its complex plane and the 2-D radix-2 FFT between them.
#pragma once

#include <cstddef>

class TFFTWorkspace;

struct TComplex {
  float Re;
  float Im;
};

// Both planes come zero-filled from the page allocator. A plane the allocator refused is
// absent (nullptr): it reads as 0, ignores writes, and the transforms report -1.
class TDataContainer {
public:
  float* Data;
  TComplex* Complex;
  int Width;
  int Height;

  TDataContainer(int Width, int Height) noexcept;
  ~TDataContainer();
  TDataContainer(const TDataContainer&) = delete;
  TDataContainer& operator=(const TDataContainer&) = delete;

  // No index checks: callers keep 0 <= X < Width and 0 <= Y < Height.
  float GetValue(int X, int Y) const noexcept {
    return Data ? Data[Index(X, Y)] : 0.0f;
  }
  void SetValue(int X, int Y, float Value) noexcept {
    if (Data) Data[Index(X, Y)] = Value;
  }
  // Leaves Value unchanged when the complex plane is absent.
  void GetComplex(int X, int Y, TComplex& Value) const noexcept {
    if (Complex) Value = Complex[Index(X, Y)];
  }
  void SetComplex(int X, int Y, const TComplex& Value) noexcept {
    if (Complex) Complex[Index(X, Y)] = Value;
  }

  // Data -> Complex, rows first, then columns; unscaled. Data is left as it was.
  // 0, or -1 (nothing touched) when a plane is absent, a side is not a power of two up to
  // 16384, or the transform's work memory cannot be allocated. Without a workspace the
  // transform runs on the calling thread with work memory of its own; a workspace spreads it
  // over the workspace's threads. The bits are the same either way.
  int ForwardFFT() noexcept;
  int ForwardFFT(TFFTWorkspace& Workspace) noexcept;
  // Complex -> Data (real parts), scaled by 1/(Width*Height). Complex keeps the row-pass values.
  int InverseFFT() noexcept;
  int InverseFFT(TFFTWorkspace& Workspace) noexcept;

  static constexpr int kMaxLine = 16384;

private:
  std::ptrdiff_t Index(int X, int Y) const noexcept {
    return static_cast<std::ptrdiff_t>(Y) * Width + X;
  }
  bool CanTransform(int& rowBits, int& columnBits) const noexcept;
  int Transform(bool forward, TFFTWorkspace* workspace) noexcept;
};
