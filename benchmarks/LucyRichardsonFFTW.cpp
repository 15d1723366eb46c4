// The same Lucy-Richardson iteration with FFTW's real transforms, for comparing speed only.
#include <fftw3.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <complex>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <vector>

namespace {

using TSpectrum = std::complex<float>;

struct TBuffers {
  int Side;
  int SpectrumCount;
  float* Real;
  TSpectrum* Spectrum;
  fftwf_plan Forward;
  fftwf_plan Inverse;

  explicit TBuffers(int side)
      : Side(side), SpectrumCount(side * (side / 2 + 1)),
        Real(fftwf_alloc_real(static_cast<size_t>(side) * side)),
        Spectrum(reinterpret_cast<TSpectrum*>(fftwf_alloc_complex(SpectrumCount)))
  {
    auto* spectrum = reinterpret_cast<fftwf_complex*>(Spectrum);
    Forward = fftwf_plan_dft_r2c_2d(side, side, Real, spectrum, FFTW_MEASURE);
    // c2r destroys its input by default; the spectrum is rebuilt every time anyway.
    Inverse = fftwf_plan_dft_c2r_2d(side, side, spectrum, Real, FFTW_MEASURE);
  }
  ~TBuffers()
  {
    fftwf_destroy_plan(Forward);
    fftwf_destroy_plan(Inverse);
    fftwf_free(Real);
    fftwf_free(Spectrum);
  }
};

void FillGaussian(std::vector<float>& psf, int side, double sigma)
{
  double sum = 0.0;
  std::vector<double> v(psf.size());
  for (int y = 0; y < side; ++y)
    for (int x = 0; x < side; ++x) {
      const double dx = x < side - x ? x : side - x, dy = y < side - y ? y : side - y;
      v[x + y * side] = std::exp(-(dx * dx + dy * dy) / (2.0 * sigma * sigma));
      sum += v[x + y * side];
    }
  for (size_t i = 0; i < v.size(); ++i) psf[i] = static_cast<float>(v[i] / sum);
}

// Same star field and background as the kernel's benchmark.
void FillStars(std::vector<float>& image, int side)
{
  std::fill(image.begin(), image.end(), 0.5f);
  uint32_t seed = 12345;
  for (int i = 0; i < side * side / 400; ++i) {
    seed = seed * 1664525u + 1013904223u;
    const int x = static_cast<int>((seed >> 8) % static_cast<uint32_t>(side));
    seed = seed * 1664525u + 1013904223u;
    const int y = static_cast<int>((seed >> 8) % static_cast<uint32_t>(side));
    image[x + y * side] = 1.0f;
  }
}

// T := (T (*) P) or the correlation with P, through the buffers; scaled like the kernel's.
void Filter(TBuffers& b, const std::vector<TSpectrum>& psf, bool correlate,
            const std::vector<float>& in, std::vector<float>& out)
{
  const size_t count = static_cast<size_t>(b.Side) * b.Side;
  std::copy(in.begin(), in.end(), b.Real);
  fftwf_execute(b.Forward);
  const float scale = 1.0f / static_cast<float>(count);
  for (int i = 0; i < b.SpectrumCount; ++i)
    b.Spectrum[i] *= (correlate ? std::conj(psf[i]) : psf[i]) * scale;
  fftwf_execute(b.Inverse);
  std::copy(b.Real, b.Real + count, out.begin());
}

} // namespace

int main(int argc, char** argv)
{
  const int iterations = argc > 1 ? std::atoi(argv[1]) : 10;
  if (iterations < 1) {
    std::fprintf(stderr, "usage: LucyRichardsonFFTW [iterations, at least 1; default 10]\n");
    return 2;
  }
  std::printf("FFTW %s: %d iterations, r2c/c2r, FFTW_MEASURE, one thread\n", fftwf_version,
              iterations);
  for (int side : {1024, 2048}) {
    const size_t count = static_cast<size_t>(side) * side;
    const auto planStart = std::chrono::steady_clock::now();
    TBuffers b(side);
    const double planSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - planStart).count();

    std::vector<float> p(count), o(count), e(count), t(count);
    FillGaussian(p, side, 1.5);
    std::copy(p.begin(), p.end(), b.Real);
    fftwf_execute(b.Forward);
    const std::vector<TSpectrum> psf(b.Spectrum, b.Spectrum + b.SpectrumCount);
    FillStars(t, side);
    Filter(b, psf, false, t, o);

    const auto start = std::chrono::steady_clock::now();
    e = o;
    for (int k = 0; k < iterations; ++k) {
      Filter(b, psf, false, e, t);
      for (size_t i = 0; i < count; ++i) {
        const float d = (t[i] == 0.0f || std::isnan(t[i])) ? 1.0f : t[i];
        t[i] = o[i] / d;
      }
      Filter(b, psf, true, t, t);
      for (size_t i = 0; i < count; ++i) e[i] *= t[i];
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    double sum = 0.0;
    for (float v : e) sum += v;
    std::printf("%5d x %-5d  %8.4f s/iteration  (%d iterations in %.3f s, planning %.2f s, "
                "mean %.6f)\n",
                side, side, seconds / iterations, iterations, seconds, planSeconds,
                sum / double(count));
  }
  return 0;
}
