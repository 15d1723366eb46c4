// A plane of single-precision samples with its complex plane and the 2-D radix-2 FFT between them.
#pragma once

#include <cstddef>

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
  // 0, or -1 (nothing touched) when a plane is absent or a side is not a power of two up to 16384.
  int ForwardFFT() noexcept;
  // Complex -> Data (real parts), scaled by 1/(Width*Height). Complex keeps the row-pass values.
  int InverseFFT() noexcept;

  static constexpr int kMaxLine = 16384;

private:
  std::ptrdiff_t Index(int X, int Y) const noexcept {
    return static_cast<std::ptrdiff_t>(Y) * Width + X;
  }
  bool CanTransform(int& rowBits, int& columnBits) const noexcept;

  // In-place transform of WorkLine[0..N-1], N = 2^Bits.
  void FFT1D(bool Forward, int Bits, int N) noexcept;
  void BitReverseOrder(int Bits) noexcept;
  static unsigned short BitReverse(unsigned short Index, unsigned char Bits) noexcept;

  // The same transform applied to `Lanes` lines at once, interleaved in WorkLine: point n of
  // every line forms a block of Lanes real parts followed by Lanes imaginary parts. Each lane
  // sees exactly the operations of FFT1D in the same order, so the bits do not depend on Lanes.
  template <int Lanes> void TransformLanes(bool forward, int bits, int n) noexcept;
  template <int Lanes> void BitReverseLanes(int bits) noexcept;
  template <int Lanes> void TransformBlockOf(int first, int size) noexcept;
  template <int Lanes> void Butterflies(int first, int m) noexcept;
  void BuildTwiddles(bool forward, int n) noexcept;
  void TransformBlock(int lanes, bool forward, int bits, int n) noexcept;
  static int LanesFor(int lineLength, int lineCount) noexcept;
  float* Lane() noexcept { return &WorkLine[0].Re; }

  TComplex WorkLine[kMaxLine];
  // Step factors of the current transform, filled once per call of TransformLanes.
  TComplex FTwiddle[kMaxLine];
};
