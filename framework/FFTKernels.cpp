#include "FFTKernels.h"

#include "FFTStages.h"

#include <atomic>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#endif

namespace {

// The butterflies of stage m on points first .. first + 2m - 1 of every lane. Every stored
// quantity (tr, ti, the line values) is a single; each product or sum is formed in double
// first. The sums a +/- t of two singles give the same single whether they are formed in
// double and rounded twice or formed in single: double has more than twice single's
// precision, so the second rounding never differs from the direct one.
struct TScalarButterflies {
  static void Stage(float* line, int lanes, int first, int m, const TTwiddle* twiddles) noexcept {
    const int stride = 2 * lanes;
    float* a = line + stride * first;
    float* b = a + stride * m;
    for (int j = 0; j < m; ++j, a += stride, b += stride) {
      const double wr = twiddles[m + j].Re;
      const double wi = twiddles[m + j].Im;
      for (int c = 0; c < lanes; ++c) {
        const double bRe = b[c];
        const double bIm = b[lanes + c];
        const float tr = static_cast<float>(wr * bRe - wi * bIm);
        const float ti = static_cast<float>(wr * bIm + wi * bRe);
        const double aRe = a[c];
        const double aIm = a[lanes + c];
        b[c] = static_cast<float>(aRe - tr);
        a[c] = static_cast<float>(aRe + tr);
        b[lanes + c] = static_cast<float>(aIm - ti);
        a[lanes + c] = static_cast<float>(aIm + ti);
      }
    }
  }
};

#if defined(__SSE2__)
// Two singles at p widened to double, straight from memory.
inline __m128d Widen2(const float* p) noexcept {
  return _mm_cvtps_pd(_mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p))));
}

// Four lanes per step. The halves of b are widened straight from memory and each half's
// products are finished before the next half starts, so that at most eight registers are
// live: the 32-bit build keeps everything in registers.
struct TSse2Butterflies {
  static void Stage(float* line, int lanes, int first, int m, const TTwiddle* twiddles) noexcept {
    const int stride = 2 * lanes;
    float* a = line + stride * first;
    float* b = a + stride * m;
    for (int j = 0; j < m; ++j, a += stride, b += stride) {
      const __m128d wr = _mm_set1_pd(twiddles[m + j].Re);
      const __m128d wi = _mm_set1_pd(twiddles[m + j].Im);
      for (int c = 0; c < lanes; c += 4) {
        float* bRe = b + c;
        float* bIm = b + lanes + c;
        __m128d re = Widen2(bRe), im = Widen2(bIm);
        const __m128 trLo = _mm_cvtpd_ps(_mm_sub_pd(_mm_mul_pd(wr, re), _mm_mul_pd(wi, im)));
        const __m128 tiLo = _mm_cvtpd_ps(_mm_add_pd(_mm_mul_pd(wr, im), _mm_mul_pd(wi, re)));
        re = Widen2(bRe + 2);
        im = Widen2(bIm + 2);
        const __m128 tr = _mm_movelh_ps(trLo, _mm_cvtpd_ps(_mm_sub_pd(_mm_mul_pd(wr, re), _mm_mul_pd(wi, im))));
        const __m128 ti = _mm_movelh_ps(tiLo, _mm_cvtpd_ps(_mm_add_pd(_mm_mul_pd(wr, im), _mm_mul_pd(wi, re))));
        const __m128 aRe = _mm_loadu_ps(a + c);
        _mm_storeu_ps(bRe, _mm_sub_ps(aRe, tr));
        _mm_storeu_ps(a + c, _mm_add_ps(aRe, tr));
        const __m128 aIm = _mm_loadu_ps(a + lanes + c);
        _mm_storeu_ps(bIm, _mm_sub_ps(aIm, ti));
        _mm_storeu_ps(a + lanes + c, _mm_add_ps(aIm, ti));
      }
    }
  }
};
#endif

// CPUID says the CPU has AVX2 and FMA, XGETBV that the operating system saves the YMM state.
bool MachineHasAVX2() noexcept {
#if defined(__i386__) || defined(__x86_64__)
  unsigned eax, ebx, ecx, edx;
  if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx)) return false;
  const bool osxsave = (ecx & (1u << 27)) != 0, avx = (ecx & (1u << 28)) != 0, fma = (ecx & (1u << 12)) != 0;
  if (!osxsave || !avx || !fma) return false;
  unsigned xcr0Lo, xcr0Hi;
  __asm__ volatile("xgetbv" : "=a"(xcr0Lo), "=d"(xcr0Hi) : "c"(0));
  if ((xcr0Lo & 6u) != 6u) return false;  // XMM and YMM state
  if (__get_cpuid_max(0, nullptr) < 7) return false;
  __cpuid_count(7, 0, eax, ebx, ecx, edx);
  return (ebx & (1u << 5)) != 0;
#else
  return false;
#endif
}

std::atomic<int> GChoice{static_cast<int>(TFFTKernel::Automatic)};

}  // namespace

void TransformLinesScalar(float* Line, int Lanes, int N, const TTwiddle* Twiddles) noexcept {
  fftstages::TransformBlock<TScalarButterflies>(Line, Lanes, 0, N, Twiddles);
}

#if defined(__SSE2__)
void TransformLinesSSE2(float* Line, int Lanes, int N, const TTwiddle* Twiddles) noexcept {
  fftstages::TransformBlock<TSse2Butterflies>(Line, Lanes, 0, N, Twiddles);
}
#else
void TransformLinesSSE2(float* Line, int Lanes, int N, const TTwiddle* Twiddles) noexcept {
  TransformLinesScalar(Line, Lanes, N, Twiddles);
}
#endif

bool FFTKernelSupported(TFFTKernel Kernel) noexcept {
  switch (Kernel) {
    case TFFTKernel::Automatic:
    case TFFTKernel::Scalar: return true;
#if defined(__SSE2__)
    case TFFTKernel::SSE2: return true;
#endif
#if defined(SKELVANE_HAVE_AVX2_KERNEL)
    case TFFTKernel::AVX2: {
      static const bool has = MachineHasAVX2();
      return has;
    }
#endif
    default: return false;
  }
}

bool SelectFFTKernel(TFFTKernel Kernel) noexcept {
  if (!FFTKernelSupported(Kernel)) return false;
  GChoice.store(static_cast<int>(Kernel), std::memory_order_relaxed);
  return true;
}

TLinesKernel LinesKernelFor(int Lanes) noexcept {
  auto choice = static_cast<TFFTKernel>(GChoice.load(std::memory_order_relaxed));
  if (choice == TFFTKernel::Automatic)
    choice = FFTKernelSupported(TFFTKernel::AVX2) && Lanes % 8 == 0 ? TFFTKernel::AVX2 : TFFTKernel::SSE2;
#if defined(SKELVANE_HAVE_AVX2_KERNEL)
  if (choice == TFFTKernel::AVX2 && Lanes % 8 == 0) return TransformLinesAVX2;
  if (choice == TFFTKernel::AVX2) choice = TFFTKernel::SSE2;
#endif
#if defined(__SSE2__)
  if (choice == TFFTKernel::SSE2 && Lanes % 4 == 0) return TransformLinesSSE2;
#endif
  return TransformLinesScalar;
}
