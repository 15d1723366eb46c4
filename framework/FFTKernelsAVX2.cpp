// The AVX2 kernel; this unit alone is built with AVX2 and FMA code generation, and nothing in
// it runs unless the machine has both (see FFTKernelSupported).
#include "FFTKernels.h"

#include "FFTStages.h"

#include <immintrin.h>

namespace {

// Eight lanes per step; the same operations as the portable kernel, with each pair of a
// product and a sum fused (exact, since the other product is exact in double).
struct TAvx2Butterflies {
  static void Stage(float* line, int lanes, int first, int m, const TTwiddle* twiddles) noexcept {
    const int stride = 2 * lanes;
    float* a = line + stride * first;
    float* b = a + stride * m;
    for (int j = 0; j < m; ++j, a += stride, b += stride) {
      const __m256d wr = _mm256_set1_pd(twiddles[m + j].Re);
      const __m256d wi = _mm256_set1_pd(twiddles[m + j].Im);
      for (int c = 0; c < lanes; c += 8) {
        const __m256 bRe = _mm256_loadu_ps(b + c);
        const __m256 bIm = _mm256_loadu_ps(b + lanes + c);
        const __m256d reLo = _mm256_cvtps_pd(_mm256_castps256_ps128(bRe));
        const __m256d reHi = _mm256_cvtps_pd(_mm256_extractf128_ps(bRe, 1));
        const __m256d imLo = _mm256_cvtps_pd(_mm256_castps256_ps128(bIm));
        const __m256d imHi = _mm256_cvtps_pd(_mm256_extractf128_ps(bIm, 1));
        // wr * bRe - wi * bIm and wr * bIm + wi * bRe
        const __m128 trLo = _mm256_cvtpd_ps(_mm256_fmsub_pd(wr, reLo, _mm256_mul_pd(wi, imLo)));
        const __m128 trHi = _mm256_cvtpd_ps(_mm256_fmsub_pd(wr, reHi, _mm256_mul_pd(wi, imHi)));
        const __m128 tiLo = _mm256_cvtpd_ps(_mm256_fmadd_pd(wr, imLo, _mm256_mul_pd(wi, reLo)));
        const __m128 tiHi = _mm256_cvtpd_ps(_mm256_fmadd_pd(wr, imHi, _mm256_mul_pd(wi, reHi)));
        const __m256 tr = _mm256_insertf128_ps(_mm256_castps128_ps256(trLo), trHi, 1);
        const __m256 ti = _mm256_insertf128_ps(_mm256_castps128_ps256(tiLo), tiHi, 1);
        const __m256 aRe = _mm256_loadu_ps(a + c);
        const __m256 aIm = _mm256_loadu_ps(a + lanes + c);
        _mm256_storeu_ps(b + c, _mm256_sub_ps(aRe, tr));
        _mm256_storeu_ps(a + c, _mm256_add_ps(aRe, tr));
        _mm256_storeu_ps(b + lanes + c, _mm256_sub_ps(aIm, ti));
        _mm256_storeu_ps(a + lanes + c, _mm256_add_ps(aIm, ti));
      }
    }
  }
};

}  // namespace

void TransformLinesAVX2(float* Line, int Lanes, int N, const TTwiddle* Twiddles) noexcept {
  fftstages::TransformBlock<TAvx2Butterflies>(Line, Lanes, 0, N, Twiddles);
}
