// Times the Lucy-Richardson iteration on full-run plane sizes: seconds per iteration.
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <memory>

#include "framework/DataContainer.h"
#include "lucyrichardson/LucyRichardsonThread.h"

namespace {

// A Gaussian of the given sigma centred at (0, 0) with wrap-around, summing to 1.
void FillGaussian(TDataContainer& psf, double sigma)
{
  const int w = psf.Width, h = psf.Height;
  double sum = 0.0;
  for (int pass = 0; pass < 2; ++pass)
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const double dx = x < w - x ? x : w - x, dy = y < h - y ? y : h - y;
        const double v = std::exp(-(dx * dx + dy * dy) / (2.0 * sigma * sigma));
        if (pass == 0) sum += v;
        else psf.SetValue(x, y, static_cast<float>(v / sum));
      }
}

// A seeded star field on a mid-gray background, blurred by the PSF, so that the iteration
// meets the values of a real frame (no denormals from an empty background).
void FillBlurredStars(TDataContainer& image, TDataContainer& psf)
{
  const int w = image.Width, h = image.Height;
  for (int i = 0; i < w * h; ++i) image.Data[i] = 0.5f;
  uint32_t seed = 12345;
  for (int i = 0; i < w * h / 400; ++i) {
    seed = seed * 1664525u + 1013904223u;
    const int x = static_cast<int>((seed >> 8) % static_cast<uint32_t>(w));
    seed = seed * 1664525u + 1013904223u;
    const int y = static_cast<int>((seed >> 8) % static_cast<uint32_t>(h));
    image.SetValue(x, y, 1.0f);
  }
  psf.ForwardFFT();
  image.ForwardFFT();
  for (int i = 0; i < w * h; ++i) {
    const TComplex a = image.Complex[i], b = psf.Complex[i];
    image.Complex[i] = {static_cast<float>(double(a.Re) * b.Re - double(a.Im) * b.Im),
                        static_cast<float>(double(a.Re) * b.Im + double(a.Im) * b.Re)};
  }
  image.InverseFFT();
}

} // namespace

// Exits with 1 when a size could not be run (a plane refused, or the kernel reporting no
// result), so that a script timing several trees notices a missing figure.
int main(int argc, char** argv)
{
  const int iterations = argc > 1 ? std::atoi(argv[1]) : 10;
  if (iterations < 1) {
    std::fprintf(stderr, "usage: LucyRichardsonBench [iterations, at least 1; default 10]\n");
    return 2;
  }
  std::printf("kernel: %d iterations, standard variant, one thread\n", iterations);
  int status = 0;
  for (int side : {1024, 2048}) {
    auto image = std::make_unique<TDataContainer>(side, side);
    auto psf = std::make_unique<TDataContainer>(side, side);
    if (image->Data == nullptr || image->Complex == nullptr || psf->Data == nullptr ||
        psf->Complex == nullptr) {
      std::printf("%5d x %-5d  planes not allocated\n", side, side);
      status = 1;
      continue;
    }
    FillGaussian(*psf, 1.5);
    FillBlurredStars(*image, *psf);
    FillGaussian(*psf, 1.5);  // the blur left P holding its spectrum; the run starts afresh
    int done = 0;
    const auto start = std::chrono::steady_clock::now();
    const bool finished = Deconvolve(*image, *psf, iterations, false, nullptr, [&] { ++done; });
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    // Without a stop request a finished run has made every iteration; anything else is a fault.
    if (!finished || done != iterations) {
      std::printf("%5d x %-5d  run failed after %d of %d iterations (%s)\n", side, side, done,
                  iterations, finished ? "iterations missing"
                           : "no result: a work plane refused, or an exception");
      status = 1;
      continue;
    }
    double sum = 0.0;
    for (int i = 0; i < side * side; ++i) sum += image->Data[i];
    std::printf("%5d x %-5d  %8.4f s/iteration  (%d iterations in %.3f s, mean %.6f)\n", side,
                side, seconds / done, done, seconds, sum / (double(side) * side));
  }
  return status;
}
