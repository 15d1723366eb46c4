// Lucy-Richardson iteration over planes; the portable half of the worker unit.
#include "lucyrichardson/LucyRichardsonThread.h"

#include <cmath>
#include <memory>

#include "framework/DataContainer.h"

namespace {

// The per-pixel passes work on the plane arrays directly. An absent plane (its allocation was
// refused) reads as zeros and ignores writes, exactly as through GetValue and SetValue, so a
// pass with an absent target does nothing and an absent source reads 0.

// Target := Source, sample by sample.
void CopyReal(const TDataContainer& source, TDataContainer& target)
{
  float* out = target.Data;
  if (out == nullptr) return;
  const float* in = source.Data;
  const int count = target.Width * target.Height;
  for (int i = 0; i < count; ++i) out[i] = in != nullptr ? in[i] : 0.0f;
}

// Each spectrum value of T := T x P, or T x conj(P) for the correlation. Both parts are formed
// in double and rounded to single when stored.
void MultiplySpectra(TDataContainer& t, const TDataContainer& p, bool conjugate)
{
  TComplex* tc = t.Complex;
  if (tc == nullptr) return;
  const TComplex* pc = p.Complex;
  const int count = t.Width * t.Height;
  for (int i = 0; i < count; ++i) {
    const double a = tc[i].Re, b = tc[i].Im;
    // An absent P leaves GetComplex's output untouched; the accessor route starts from zero.
    const double c = pc != nullptr ? pc[i].Re : 0.0, d = pc != nullptr ? pc[i].Im : 0.0;
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
  float* tv = t.Data;
  if (tv == nullptr) return;
  const float* ov = o.Data;
  const int count = t.Width * t.Height;
  for (int i = 0; i < count; ++i) {
    double divisor = tv[i];
    if (divisor == 0.0 || std::isnan(divisor)) divisor = 1.0;
    const double observed = ov != nullptr ? ov[i] : 0.0;
    tv[i] = static_cast<float>(observed / divisor);
  }
}

// E := E x T per pixel.
void MultiplyReal(TDataContainer& e, const TDataContainer& t)
{
  float* ev = e.Data;
  if (ev == nullptr) return;
  const float* tv = t.Data;
  const int count = e.Width * e.Height;
  for (int i = 0; i < count; ++i) {
    const double factor = tv != nullptr ? tv[i] : 0.0;
    ev[i] = static_cast<float>(static_cast<double>(ev[i]) * factor);
  }
}

bool Complete(const TDataContainer& plane) { return plane.Data != nullptr && plane.Complex != nullptr; }

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
    if (!Complete(O) || !Complete(P) || !Complete(*e) || !Complete(*t)) return false;

    // The transforms' result codes are not checked: a failed transform (an absent plane)
    // shows up only as a wrong result, like any other refused allocation.
    P.ForwardFFT();
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
