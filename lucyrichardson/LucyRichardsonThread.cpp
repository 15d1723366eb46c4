// Lucy-Richardson iteration over planes; the portable half of the worker unit.
#include "lucyrichardson/LucyRichardsonThread.h"

#include <cmath>
#include <initializer_list>
#include <memory>

#include "framework/DataContainer.h"

namespace {

// The per-pixel passes work on the plane arrays directly; Deconvolve has made sure that every
// plane has both its arrays.

// Target := Source, sample by sample.
void CopyReal(const TDataContainer& source, TDataContainer& target)
{
  const int count = target.Width * target.Height;
  for (int i = 0; i < count; ++i) target.Data[i] = source.Data[i];
}

// Each spectrum value of T := T x P, or T x conj(P) for the correlation. Both parts are formed
// in double and rounded to single when stored.
void MultiplySpectra(TDataContainer& t, const TDataContainer& p, bool conjugate)
{
  TComplex* tc = t.Complex;
  const TComplex* pc = p.Complex;
  const int count = t.Width * t.Height;
  for (int i = 0; i < count; ++i) {
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
}

// T := O / T per pixel. A divisor of exactly 0 or NaN is taken as 1, so no division by zero
// happens and such a pixel takes the observed value itself.
void Ratio(const TDataContainer& o, TDataContainer& t)
{
  const int count = t.Width * t.Height;
  for (int i = 0; i < count; ++i) {
    double divisor = t.Data[i];
    if (divisor == 0.0 || std::isnan(divisor)) divisor = 1.0;
    t.Data[i] = static_cast<float>(static_cast<double>(o.Data[i]) / divisor);
  }
}

// E := E x T per pixel.
void MultiplyReal(TDataContainer& e, const TDataContainer& t)
{
  const int count = e.Width * e.Height;
  for (int i = 0; i < count; ++i)
    e.Data[i] = static_cast<float>(static_cast<double>(e.Data[i]) * t.Data[i]);
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

    // With every plane present and of one size, the transforms fail only on a side that is
    // not a power of two up to 16384, which the first one shows before O is touched.
    if (P.ForwardFFT() != 0) return false;
    CopyReal(O, *e);
    for (int iteration = 0; iteration < Iterations; ++iteration) {
      CopyReal(*e, *t);
      t->ForwardFFT();
      MultiplySpectra(*t, P, false);
      t->InverseFFT();  // E circularly convolved with P
      Ratio(O, *t);
      t->ForwardFFT();
      MultiplySpectra(*t, P, true);
      t->InverseFFT();  // the ratio circularly correlated with P
      MultiplyReal(*e, *t);
      if (Aggressive) CopyReal(*e, O);
      // Checked only here, so that a stop request never leaves an update half done.
      if (StopRequested && StopRequested()) return true;
      if (Progress) Progress();
    }
    if (!Aggressive) CopyReal(*e, O);
    return true;
  } catch (...) {
    // Ends the run quietly; the work planes are already released by their owners.
    return false;
  }
}
