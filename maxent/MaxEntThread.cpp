// Maximum-entropy iteration over planes; the portable half of the worker unit.
#include "maxent/MaxEntThread.h"

#include <cmath>
#include <cstddef>
#include <initializer_list>
#include <memory>

#include "framework/DataContainer.h"
#include "framework/FFTWorkspace.h"
#include "maxent/ExpLog.h"

// Rounding rules that fix the result bits: every per-pixel pass runs in row-major order (the
// plane arrays' order); each per-pixel expression is formed in double from single samples and
// rounded to single when stored; each sum is a single-precision running total, rounded after
// every addition, with no partial sums and no wider accumulator. A pass whose pixels do not
// depend on each other runs in ranges on the pool's threads (the same bits as one sweep); the
// sums run in order on the calling thread.

namespace {

// The passes work on the plane arrays directly; the run has made sure that every plane has
// both its arrays and Image's size.

int Count(const TDataContainer& plane) { return plane.Width * plane.Height; }

float Sum(const TDataContainer& plane)
{
  float total = 0.0f;
  const int count = Count(plane);
  for (int i = 0; i < count; ++i) total = total + plane.Data[i];
  return total;
}

// A sample of 0 (either sign) has no logarithm, and neither has a sample that is not finite,
// which the run counts as 0 too. Such a sample takes a small positive value instead,
// kMaxEntZeroSample = 2^-20 of the normalised range. Its logarithm is finite (about -13.9),
// and what the run makes of it stays dark: even the largest factor the write-back multiplies by
// (65535 for 16 bits) turns 2^-20 into 0.0625, which is stored as 0. A value of 10^-4 already
// lights clipped 16-bit sky; 1.0, the top of the range, turns it white.
void ReplaceZeroSamples(TDataContainer& image)
{
  const int count = Count(image);
  for (int i = 0; i < count; ++i)
    if (image.Data[i] == 0.0f || !std::isfinite(image.Data[i])) image.Data[i] = kMaxEntZeroSample;
}

// PSF and K := PSF / sum(PSF). A sum of 0 gives infinities or NaN, which the run carries on.
void NormalizePSF(TDataContainer& psf, TDataContainer& k)
{
  const float s = Sum(psf);
  const int count = Count(psf);
  for (int i = 0; i < count; ++i) {
    const float v = static_cast<float>(static_cast<double>(psf.Data[i]) / s);
    k.Data[i] = v;
    psf.Data[i] = v;
  }
}

void Conjugate(TDataContainer& plane)
{
  const int count = Count(plane);
  for (int i = 0; i < count; ++i) plane.Complex[i].Im = -plane.Complex[i].Im;
}

void Clear(TDataContainer& plane)
{
  const int count = Count(plane);
  for (int i = 0; i < count; ++i) {
    plane.Data[i] = 0.0f;
    plane.Complex[i] = {0.0f, 0.0f};
  }
}

// Out's spectrum := X's spectrum x Y's spectrum, as complex numbers.
void MultiplySpectra(TWorkerPool& pool, const TDataContainer& x, const TDataContainer& y,
                     TDataContainer& out)
{
  pool.ForRange(Count(out), [&](std::ptrdiff_t begin, std::ptrdiff_t end) {
    for (std::ptrdiff_t i = begin; i < end; ++i) {
      const double xr = x.Complex[i].Re, xi = x.Complex[i].Im;
      const double yr = y.Complex[i].Re, yi = y.Complex[i].Im;
      out.Complex[i].Re = static_cast<float>(xr * yr - xi * yi);
      out.Complex[i].Im = static_cast<float>(xr * yi + yr * xi);
    }
  });
}

void Exponentiate(TWorkerPool& pool, TDataContainer& plane)
{
  pool.ForRange(Count(plane), [&](std::ptrdiff_t begin, std::ptrdiff_t end) {
    for (std::ptrdiff_t i = begin; i < end; ++i)
      plane.Data[i] = ExpAsSingle(static_cast<double>(plane.Data[i]));
  });
}

// Plane := Plane / sum(Plane).
void NormalizeSum(TWorkerPool& pool, TDataContainer& plane)
{
  const float t = Sum(plane);
  pool.ForRange(Count(plane), [&](std::ptrdiff_t begin, std::ptrdiff_t end) {
    for (std::ptrdiff_t i = begin; i < end; ++i)
      plane.Data[i] = static_cast<float>(static_cast<double>(plane.Data[i]) / t);
  });
}

// sum(Image) / sum(M), both totals advancing together in one pass.
float FluxScale(const TDataContainer& image, const TDataContainer& m)
{
  float a = 0.0f, b = 0.0f;
  const int count = Count(image);
  for (int i = 0; i < count; ++i) {
    a = a + image.Data[i];
    b = b + m.Data[i];
  }
  return static_cast<float>(static_cast<double>(a) / b);
}

// L := L + ln(Image / scale) - ln(M). Only the two logarithms are guarded: a model value that
// is not positive (rounding in the transforms) or a negative sample contributes 0 instead of
// a NaN that would spread through every plane. Each logarithm is rounded to single first.
void UpdateMultipliers(TWorkerPool& pool, TDataContainer& l, const TDataContainer& image,
                       const TDataContainer& m, float scale)
{
  pool.ForRange(Count(l), [&](std::ptrdiff_t begin, std::ptrdiff_t end) {
    for (std::ptrdiff_t i = begin; i < end; ++i) {
      const float lm = m.Data[i] > 0.0f ? LogAsSingle(static_cast<double>(m.Data[i])) : 0.0f;
      const float ld =
          image.Data[i] >= 0.0f ? LogAsSingle(static_cast<double>(image.Data[i]) / scale) : 0.0f;
      l.Data[i] = static_cast<float>(static_cast<double>(l.Data[i]) + ld - lm);
    }
  });
}

// Image := E x scale, with negative values and NaN written as 0.
void WriteResult(const TDataContainer& e, float scale, TDataContainer& image)
{
  const int count = Count(image);
  for (int i = 0; i < count; ++i) {
    const float v = static_cast<float>(static_cast<double>(e.Data[i]) * scale);
    image.Data[i] = v >= 0.0f ? v : 0.0f;
  }
}

bool Complete(const TDataContainer& plane, int width, int height)
{
  return plane.Data != nullptr && plane.Complex != nullptr && plane.Width == width &&
         plane.Height == height;
}

} // namespace

bool MaximumEntropyDeconvolve(TDataContainer& Image, TDataContainer& PSF, int Iterations,
                              const std::function<bool()>& StopRequested,
                              const std::function<void()>& Progress)
{
  try {
    const int width = Image.Width, height = Image.Height;
    // Owned here so that every way out of the run, an exception included, frees them.
    auto e = std::make_unique<TDataContainer>(width, height);  // the estimate
    auto l = std::make_unique<TDataContainer>(width, height);  // the multipliers
    auto m = std::make_unique<TDataContainer>(width, height);  // the model
    auto k = std::make_unique<TDataContainer>(width, height);  // the correlation kernel
    for (const TDataContainer* plane : {&Image, &PSF, e.get(), l.get(), m.get(), k.get()})
      if (!Complete(*plane, width, height)) return false;
    // The threads and transform memory of the whole run, made once. A pool without threads
    // or a workspace without memory still runs the transforms (on this thread alone), with the
    // same bits.
    const int longest = width > height ? width : height;
    TFFTWorkspace fft(longest <= TDataContainer::kMaxLine ? longest : 1);
    TWorkerPool& pool = fft.Pool();
    // With every plane present and of one size, a transform fails only on a side that is not
    // a power of two up to 16384. The fresh, all-zero L shows that before Image or PSF is
    // touched; its spectrum is cleared below in any case.
    if (l->ForwardFFT(fft) != 0) return false;

    ReplaceZeroSamples(Image);
    NormalizePSF(PSF, *k);
    PSF.ForwardFFT(fft);
    k->ForwardFFT(fft);
    Conjugate(*k);  // a product with K's spectrum is a correlation with the PSF
    Clear(*l);
    float scale = 1.0f;

    for (int iteration = 0; iteration < Iterations; ++iteration) {
      // Checked at the start, so that a stopped run never writes a result.
      if (StopRequested && StopRequested()) return true;
      l->ForwardFFT(fft);
      MultiplySpectra(pool, *k, *l, *e);
      e->InverseFFT(fft);  // L correlated with the PSF
      l->InverseFFT(fft);  // L's samples rebuilt from its spectrum
      Exponentiate(pool, *e);
      NormalizeSum(pool, *e);
      e->ForwardFFT(fft);
      MultiplySpectra(pool, *e, PSF, *m);
      m->InverseFFT(fft);  // the model: the estimate convolved with the PSF
      e->InverseFFT(fft);  // the estimate's samples rebuilt from its spectrum
      scale = FluxScale(Image, *m);
      UpdateMultipliers(pool, *l, Image, *m, scale);
      if (Progress) Progress();
    }
    // The estimate of the last iteration, formed before that iteration's update of L.
    WriteResult(*e, scale, Image);
    return true;
  } catch (...) {
    // Ends the run quietly; the work planes are already released by their owners.
    return false;
  }
}
