// The 1-D kernels of the transform: radix-2 butterflies on several lines at once.
#pragma once

// A step factor of the twiddle recurrence, held in double (exactly the single it was rounded
// to) so that the kernels need not widen it again.
struct TTwiddle {
  double Re;
  double Im;
};

// Transforms Lanes lines of N points in place. The lines are interleaved in Line: point k of
// every line is a block of Lanes real parts followed by Lanes imaginary parts, and the points
// are already in bit-reversed order. Step j of stage m takes the factor Twiddles[m + j].
// Every lane sees the same operations in the same order whatever the kernel and the lane
// count: each product and sum of a butterfly is formed in double from singles and rounded to
// single once, so all kernels give the same bits.
using TLinesKernel = void (*)(float* Line, int Lanes, int N, const TTwiddle* Twiddles) noexcept;

// The portable kernel, for any Lanes.
void TransformLinesScalar(float* Line, int Lanes, int N, const TTwiddle* Twiddles) noexcept;
// Explicit SSE2 (the 32-bit build's instruction set): Lanes a multiple of 4.
void TransformLinesSSE2(float* Line, int Lanes, int N, const TTwiddle* Twiddles) noexcept;
// AVX2 with fused multiply-adds, built in its own unit: Lanes a multiple of 8. Only for a CPU
// and operating system that have it. A fused multiply-add rounds once where the plain code
// rounds the product and then the sum; the two agree because a product of two singles is
// exact in double.
void TransformLinesAVX2(float* Line, int Lanes, int N, const TTwiddle* Twiddles) noexcept;

enum class TFFTKernel { Automatic, Scalar, SSE2, AVX2 };

// Whether this build and machine can run the kernel (Automatic and Scalar always can).
bool FFTKernelSupported(TFFTKernel Kernel) noexcept;
// Chooses the kernels of every later transform, for tests and benchmarks: Automatic takes the
// widest one the machine has for a line block's lane count, any other choice that one where
// it fits the lane count and the scalar kernel elsewhere. False, with nothing changed, when
// the kernel is not supported.
bool SelectFFTKernel(TFFTKernel Kernel) noexcept;
// The kernel for a block of Lanes lines under the current choice.
TLinesKernel LinesKernelFor(int Lanes) noexcept;
