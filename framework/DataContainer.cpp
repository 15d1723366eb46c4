#include "DataContainer.h"

#include "FFTWorkspace.h"
#include "PageAlloc.h"

#include <cstdint>
#include <limits>
#include <type_traits>

#if defined(__SSE2__)
#include <xmmintrin.h>
#endif

static_assert(sizeof(TComplex) == 2 * sizeof(float), "TComplex must be two packed floats");

namespace {

int Log2Exact(int n) {
  if (n < 1 || n > TDataContainer::kMaxLine || (n & (n - 1)) != 0) return -1;
  int bits = 0;
  while ((1 << bits) < n) ++bits;
  return bits;
}

// The passes move lines between a plane and a thread's scratch block, where point k of the
// block's L lines is L real parts followed by L imaginary parts (see TLinesKernel). Gathering
// puts the points in bit-reversed order; scattering the inverse transform's lines applies its
// 1/N. Both are data movement only, apart from that scale: 1/N is a power of two, exact as a
// single, and a product with it rounded once in single equals the product formed in double
// and then rounded to single.
struct TPass {
  const TFFTWorkspace& Workspace;
  TLinesKernel Kernel;
  const TTwiddle* Twiddles;
  int Lanes;
  int Length;  // points per line
  int Bits;
  bool Forward;
  float Scale;  // the inverse's 1/Length
};

// Rows y0 .. y0 + L - 1 of a real plane (imaginary parts 0) or of a complex one.
template <int L, class TSource>
void GatherRowsPlain(const TPass& pass, const TSource* plane, std::ptrdiff_t w, int y0, float* block) {
  for (int c = 0; c < L; ++c) {
    const TSource* src = plane + (y0 + c) * w;
    for (int x = 0; x < pass.Length; ++x) {
      float* point = block + 2 * L * pass.Workspace.BitReverse(static_cast<unsigned>(x), pass.Bits);
      if constexpr (sizeof(TSource) == sizeof(float)) {
        point[c] = src[x];
        point[L + c] = 0.0f;
      } else {
        point[c] = src[x].Re;
        point[L + c] = src[x].Im;
      }
    }
  }
}

template <int L>
void ScatterRowsPlain(const TPass& pass, const float* block, TComplex* plane, std::ptrdiff_t w, int y0) {
  const float scale = pass.Scale;
  for (int c = 0; c < L; ++c) {
    TComplex* dst = plane + (y0 + c) * w;
    if (pass.Forward) {
      for (int x = 0; x < pass.Length; ++x) dst[x] = {block[2 * L * x + c], block[2 * L * x + L + c]};
    } else {
      for (int x = 0; x < pass.Length; ++x)
        dst[x] = {block[2 * L * x + c] * scale, block[2 * L * x + L + c] * scale};
    }
  }
}

#if defined(__SSE2__)
// The same moves as 4 x 4 transposes of four rows at a time, for rows of at least 4 points.
template <int L>
void GatherRealRows4(const TPass& pass, const float* plane, std::ptrdiff_t w, int y0, float* block) {
  const __m128 zero = _mm_setzero_ps();
  for (int c = 0; c < L; c += 4) {
    const float* src = plane + (y0 + c) * w;
    for (int x = 0; x < pass.Length; x += 4) {
      __m128 r0 = _mm_loadu_ps(src + x), r1 = _mm_loadu_ps(src + w + x);
      __m128 r2 = _mm_loadu_ps(src + 2 * w + x), r3 = _mm_loadu_ps(src + 3 * w + x);
      _MM_TRANSPOSE4_PS(r0, r1, r2, r3);
      const __m128 points[4] = {r0, r1, r2, r3};
      for (int k = 0; k < 4; ++k) {
        float* point = block + 2 * L * pass.Workspace.BitReverse(static_cast<unsigned>(x + k), pass.Bits) + c;
        _mm_storeu_ps(point, points[k]);
        _mm_storeu_ps(point + L, zero);
      }
    }
  }
}

template <int L>
void GatherComplexRows4(const TPass& pass, const TComplex* plane, std::ptrdiff_t w, int y0, float* block) {
  for (int c = 0; c < L; c += 4) {
    const float* src = &plane[(y0 + c) * w].Re;
    const std::ptrdiff_t row = 2 * w;
    for (int x = 0; x < pass.Length; x += 2) {
      const __m128 a0 = _mm_loadu_ps(src + 2 * x), a1 = _mm_loadu_ps(src + row + 2 * x);
      const __m128 a2 = _mm_loadu_ps(src + 2 * row + 2 * x), a3 = _mm_loadu_ps(src + 3 * row + 2 * x);
      const __m128 lo01 = _mm_unpacklo_ps(a0, a1), lo23 = _mm_unpacklo_ps(a2, a3);
      const __m128 hi01 = _mm_unpackhi_ps(a0, a1), hi23 = _mm_unpackhi_ps(a2, a3);
      float* p0 = block + 2 * L * pass.Workspace.BitReverse(static_cast<unsigned>(x), pass.Bits) + c;
      float* p1 = block + 2 * L * pass.Workspace.BitReverse(static_cast<unsigned>(x + 1), pass.Bits) + c;
      _mm_storeu_ps(p0, _mm_movelh_ps(lo01, lo23));
      _mm_storeu_ps(p0 + L, _mm_movehl_ps(lo23, lo01));
      _mm_storeu_ps(p1, _mm_movelh_ps(hi01, hi23));
      _mm_storeu_ps(p1 + L, _mm_movehl_ps(hi23, hi01));
    }
  }
}

template <int L, bool Scaled>
void ScatterRows4(const TPass& pass, const float* block, TComplex* plane, std::ptrdiff_t w, int y0) {
  const __m128 scale = _mm_set1_ps(pass.Scale);
  for (int c = 0; c < L; c += 4) {
    float* dst = &plane[(y0 + c) * w].Re;
    const std::ptrdiff_t row = 2 * w;
    for (int x = 0; x < pass.Length; x += 2) {
      const float* p0 = block + 2 * L * x + c;
      const float* p1 = p0 + 2 * L;
      __m128 re0 = _mm_loadu_ps(p0), im0 = _mm_loadu_ps(p0 + L);
      __m128 re1 = _mm_loadu_ps(p1), im1 = _mm_loadu_ps(p1 + L);
      if (Scaled) {
        re0 = _mm_mul_ps(re0, scale);
        im0 = _mm_mul_ps(im0, scale);
        re1 = _mm_mul_ps(re1, scale);
        im1 = _mm_mul_ps(im1, scale);
      }
      const __m128 lo0 = _mm_unpacklo_ps(re0, im0), hi0 = _mm_unpackhi_ps(re0, im0);
      const __m128 lo1 = _mm_unpacklo_ps(re1, im1), hi1 = _mm_unpackhi_ps(re1, im1);
      _mm_storeu_ps(dst + 2 * x, _mm_movelh_ps(lo0, lo1));
      _mm_storeu_ps(dst + row + 2 * x, _mm_movehl_ps(lo1, lo0));
      _mm_storeu_ps(dst + 2 * row + 2 * x, _mm_movelh_ps(hi0, hi1));
      _mm_storeu_ps(dst + 3 * row + 2 * x, _mm_movehl_ps(hi1, hi0));
    }
  }
}
#endif

template <int L, class TSource>
void GatherRows(const TPass& pass, const TSource* plane, std::ptrdiff_t w, int y0, float* block) {
#if defined(__SSE2__)
  if constexpr (L % 4 == 0) {
    if (pass.Length >= 4) {
      if constexpr (sizeof(TSource) == sizeof(float))
        GatherRealRows4<L>(pass, plane, w, y0, block);
      else
        GatherComplexRows4<L>(pass, plane, w, y0, block);
      return;
    }
  }
#endif
  GatherRowsPlain<L>(pass, plane, w, y0, block);
}

template <int L>
void ScatterRows(const TPass& pass, const float* block, TComplex* plane, std::ptrdiff_t w, int y0) {
#if defined(__SSE2__)
  if constexpr (L % 4 == 0) {
    if (pass.Length >= 2) {
      if (pass.Forward)
        ScatterRows4<L, false>(pass, block, plane, w, y0);
      else
        ScatterRows4<L, true>(pass, block, plane, w, y0);
      return;
    }
  }
#endif
  ScatterRowsPlain<L>(pass, block, plane, w, y0);
}

// Columns x0 .. x0 + L - 1 of the complex plane. With SSE2 and L a multiple of 4, four
// points at a time are split into real and imaginary parts by shuffles, or joined again.
template <int L>
void GatherColumns(const TPass& pass, const TComplex* plane, std::ptrdiff_t w, int x0, float* block) {
  for (int y = 0; y < pass.Length; ++y) {
    const TComplex* src = plane + y * w + x0;
    float* point = block + 2 * L * pass.Workspace.BitReverse(static_cast<unsigned>(y), pass.Bits);
#if defined(__SSE2__)
    if constexpr (L % 4 == 0) {
      const float* s = &src->Re;
      // Each point lies in a page of its own; fetching a few rows ahead hides the misses that
      // the hardware's prefetcher does not see coming.
      if (y + 8 < pass.Length) {
        _mm_prefetch(reinterpret_cast<const char*>(src + 8 * w), _MM_HINT_T0);
        if (L >= 8) _mm_prefetch(reinterpret_cast<const char*>(src + 8 * w + L - 1), _MM_HINT_T0);
      }
      for (int c = 0; c < L; c += 4) {
        const __m128 lo = _mm_loadu_ps(s + 2 * c), hi = _mm_loadu_ps(s + 2 * c + 4);
        _mm_storeu_ps(point + c, _mm_shuffle_ps(lo, hi, _MM_SHUFFLE(2, 0, 2, 0)));
        _mm_storeu_ps(point + L + c, _mm_shuffle_ps(lo, hi, _MM_SHUFFLE(3, 1, 3, 1)));
      }
      continue;
    }
#endif
    for (int c = 0; c < L; ++c) {
      point[c] = src[c].Re;
      point[L + c] = src[c].Im;
    }
  }
}

template <int L>
void ScatterColumns(const TPass& pass, const float* block, TComplex* plane, std::ptrdiff_t w, int x0) {
  for (int y = 0; y < pass.Length; ++y) {
    TComplex* dst = plane + y * w + x0;
    const float* point = block + 2 * L * y;
#if defined(__SSE2__)
    if constexpr (L % 4 == 0) {
      float* d = &dst->Re;
      for (int c = 0; c < L; c += 4) {
        const __m128 re = _mm_loadu_ps(point + c), im = _mm_loadu_ps(point + L + c);
        _mm_storeu_ps(d + 2 * c, _mm_unpacklo_ps(re, im));
        _mm_storeu_ps(d + 2 * c + 4, _mm_unpackhi_ps(re, im));
      }
      continue;
    }
#endif
    for (int c = 0; c < L; ++c) dst[c] = {point[c], point[L + c]};
  }
}

// The inverse's column pass keeps only the real parts, scaled.
template <int L>
void ScatterColumnsReal(const TPass& pass, const float* block, float* plane, std::ptrdiff_t w, int x0) {
  const float scale = pass.Scale;
  for (int y = 0; y < pass.Length; ++y) {
    float* dst = plane + y * w + x0;
    const float* point = block + 2 * L * y;
#if defined(__SSE2__)
    if constexpr (L % 4 == 0) {
      const __m128 s = _mm_set1_ps(scale);
      for (int c = 0; c < L; c += 4) _mm_storeu_ps(dst + c, _mm_mul_ps(_mm_loadu_ps(point + c), s));
      continue;
    }
#endif
    for (int c = 0; c < L; ++c) dst[c] = point[c] * scale;
  }
}

template <int L>
void RowBlock(const TPass& pass, TDataContainer& plane, bool fromReal, int y0, float* block) {
  const std::ptrdiff_t w = plane.Width;
  if (fromReal)
    GatherRows<L>(pass, plane.Data, w, y0, block);
  else
    GatherRows<L>(pass, plane.Complex, w, y0, block);
  pass.Kernel(block, L, pass.Length, pass.Twiddles);
  ScatterRows<L>(pass, block, plane.Complex, w, y0);
}

template <int L>
void ColumnBlock(const TPass& pass, TDataContainer& plane, bool toReal, int x0, float* block) {
  const std::ptrdiff_t w = plane.Width;
  GatherColumns<L>(pass, plane.Complex, w, x0, block);
  pass.Kernel(block, L, pass.Length, pass.Twiddles);
  if (toReal)
    ScatterColumnsReal<L>(pass, block, plane.Data, w, x0);
  else
    ScatterColumns<L>(pass, block, plane.Complex, w, x0);
}

// Lane counts are powers of two up to 16; each has its own copy of the moves, so that their
// inner loops have a fixed length.
template <class F> void WithLanes(int lanes, F&& f) {
  switch (lanes) {
    case 1: f(std::integral_constant<int, 1>()); break;
    case 2: f(std::integral_constant<int, 2>()); break;
    case 4: f(std::integral_constant<int, 4>()); break;
    case 8: f(std::integral_constant<int, 8>()); break;
    default: f(std::integral_constant<int, 16>()); break;
  }
}

TPass MakePass(const TFFTWorkspace& workspace, bool forward, int length, int bits, int lineCount) {
  const int lanes = TFFTWorkspace::LanesFor(length, lineCount);
  return {workspace, LinesKernelFor(lanes), workspace.Twiddles(forward), lanes, length, bits,
          forward, 1.0f / static_cast<float>(length)};
}

}  // namespace

TDataContainer::TDataContainer(int Width, int Height) noexcept
    : Data(nullptr), Complex(nullptr), Width(Width), Height(Height) {
  if (Width <= 0 || Height <= 0) return;
  const std::uint64_t samples = static_cast<std::uint64_t>(Width) * static_cast<std::uint64_t>(Height);
  if (samples > std::numeric_limits<std::size_t>::max() / sizeof(TComplex)) return;
  Data = static_cast<float*>(PageAlloc(static_cast<std::size_t>(samples) * sizeof(float)));
  Complex = static_cast<TComplex*>(PageAlloc(static_cast<std::size_t>(samples) * sizeof(TComplex)));
}

TDataContainer::~TDataContainer() {
  if (Width <= 0 || Height <= 0) return;
  const std::size_t samples = static_cast<std::size_t>(Width) * static_cast<std::size_t>(Height);
  PageFree(Data, samples * sizeof(float));
  PageFree(Complex, samples * sizeof(TComplex));
}

bool TDataContainer::CanTransform(int& rowBits, int& columnBits) const noexcept {
  if (!Data || !Complex) return false;
  rowBits = Log2Exact(Width);
  columnBits = Log2Exact(Height);
  return rowBits >= 0 && columnBits >= 0;
}

// Rows first, then columns; every line block is independent, and the end of the row pass is
// the barrier that the column pass needs.
int TDataContainer::Transform(bool forward, TFFTWorkspace* workspace) noexcept {
  int rowBits, columnBits;
  if (!CanTransform(rowBits, columnBits)) return -1;
  const int longest = Width > Height ? Width : Height;
  if (!workspace || !workspace->Ready() || workspace->MaxLine() < longest) {
    TFFTWorkspace own(longest, 1);
    if (!own.Ready()) return -1;
    return Transform(forward, &own);
  }

  const TPass rows = MakePass(*workspace, forward, Width, rowBits, Height);
  WithLanes(rows.Lanes, [&](auto lanes) {
    constexpr int L = decltype(lanes)::value;
    workspace->ForEachBlock(Height / L, [&](int item, float* block) {
      RowBlock<L>(rows, *this, forward, item * L, block);
    });
  });
  const TPass columns = MakePass(*workspace, forward, Height, columnBits, Width);
  WithLanes(columns.Lanes, [&](auto lanes) {
    constexpr int L = decltype(lanes)::value;
    workspace->ForEachBlock(Width / L, [&](int item, float* block) {
      ColumnBlock<L>(columns, *this, !forward, item * L, block);
    });
  });
  return 0;
}

int TDataContainer::ForwardFFT() noexcept { return Transform(true, nullptr); }
int TDataContainer::ForwardFFT(TFFTWorkspace& Workspace) noexcept { return Transform(true, &Workspace); }
int TDataContainer::InverseFFT() noexcept { return Transform(false, nullptr); }
int TDataContainer::InverseFFT(TFFTWorkspace& Workspace) noexcept { return Transform(false, &Workspace); }
