// Lucy-Richardson iteration over planes; the portable half of the worker unit.
#include "lucyrichardson/LucyRichardsonThread.h"

#include <cmath>
#include <cstddef>
#include <initializer_list>
#include <memory>

#include "framework/DataContainer.h"
#include "framework/FFTWorkspace.h"

namespace {

// The per-pixel passes work on the plane arrays directly; Deconvolve has made sure that every
// plane has both its arrays. Each pixel's result depends on that pixel alone, so the passes
// run in ranges on the pool's threads with the same bits as in one sweep.

// Target := Source, sample by sample.
void CopyReal(TWorkerPool& pool, const TDataContainer& source, TDataContainer& target)
{
  pool.ForRange(target.Width * target.Height, [&](std::ptrdiff_t begin, std::ptrdiff_t end) {
    for (std::ptrdiff_t i = begin; i < end; ++i) target.Data[i] = source.Data[i];
  });
}

// Each spectrum value of T := T x P, or T x conj(P) for the correlation. Both parts are formed
// in double and rounded to single when stored.
void MultiplySpectra(TWorkerPool& pool, TDataContainer& t, const TDataContainer& p, bool conjugate)
{
  TComplex* tc = t.Complex;
  const TComplex* pc = p.Complex;
  pool.ForRange(t.Width * t.Height, [&](std::ptrdiff_t begin, std::ptrdiff_t end) {
    for (std::ptrdiff_t i = begin; i < end; ++i) {
      const double a = tc[i].Re, b = tc[i].Im;
      const double c = pc[i].Re, d = pc[i].Im;
      if (conjugate) {
        tc[i].Re = static_cast<float>(a * c + b * d);
        tc[i].Im = static_cast<float>(b * c - a * d);
      } else {
        tc[i].Re = static_cast<float>(a * c - b * d);
        tc[i].Im = static_cast<float>(a * d + b * c);
      }
    }
  });
}

// T := O / T per pixel. A divisor of exactly 0 or NaN is taken as 1, so no division by zero
// happens and such a pixel takes the observed value itself.
void Ratio(TWorkerPool& pool, const TDataContainer& o, TDataContainer& t)
{
  pool.ForRange(t.Width * t.Height, [&](std::ptrdiff_t begin, std::ptrdiff_t end) {
    for (std::ptrdiff_t i = begin; i < end; ++i) {
      double divisor = t.Data[i];
      if (divisor == 0.0 || std::isnan(divisor)) divisor = 1.0;
      t.Data[i] = static_cast<float>(static_cast<double>(o.Data[i]) / divisor);
    }
  });
}

// E := E x T per pixel.
void MultiplyReal(TWorkerPool& pool, TDataContainer& e, const TDataContainer& t)
{
  pool.ForRange(e.Width * e.Height, [&](std::ptrdiff_t begin, std::ptrdiff_t end) {
    for (std::ptrdiff_t i = begin; i < end; ++i)
      e.Data[i] = static_cast<float>(static_cast<double>(e.Data[i]) * t.Data[i]);
  });
}

bool Complete(const TDataContainer& plane, int width, int height)
{
  return plane.Data != nullptr && plane.Complex != nullptr && plane.Width == width &&
         plane.Height == height;
}

} // namespace

bool Deconvolve(TDataContainer& O, TDataContainer& P, int Iterations, bool Aggressive,
                const std::function<bool()>& StopRequested,
                const std::function<void()>& Progress)
{
  try {
    const int width = O.Width, height = O.Height;
    // Owned here so that every way out of the run, an exception included, frees them.
    auto e = std::make_unique<TDataContainer>(width, height);
    auto t = std::make_unique<TDataContainer>(width, height);
    for (const TDataContainer* plane : {&O, &P, e.get(), t.get()})
      if (!Complete(*plane, width, height)) return false;

    // The threads and transform memory of the whole run, made once. A pool without threads
    // or a workspace without memory still runs the transforms (on this thread alone), with the
    // same bits.
    const int longest = width > height ? width : height;
    TFFTWorkspace fft(longest <= TDataContainer::kMaxLine ? longest : 1);
    TWorkerPool& pool = fft.Pool();

    // With every plane present and of one size, the transforms fail only on a side that is
    // not a power of two up to 16384, which the first one shows before O is touched.
    if (P.ForwardFFT(fft) != 0) return false;
    CopyReal(pool, O, *e);
    for (int iteration = 0; iteration < Iterations; ++iteration) {
      CopyReal(pool, *e, *t);
      t->ForwardFFT(fft);
      MultiplySpectra(pool, *t, P, false);
      t->InverseFFT(fft);  // E circularly convolved with P
      Ratio(pool, O, *t);
      t->ForwardFFT(fft);
      MultiplySpectra(pool, *t, P, true);
      t->InverseFFT(fft);  // the ratio circularly correlated with P
      MultiplyReal(pool, *e, *t);
      if (Aggressive) CopyReal(pool, *e, O);
      // Checked only here, so that a stop request never leaves an update half done.
      if (StopRequested && StopRequested()) return true;
      if (Progress) Progress();
    }
    if (!Aggressive) CopyReal(pool, *e, O);
    return true;
  } catch (...) {
    // Ends the run quietly; the work planes are already released by their owners.
    return false;
  }
}
