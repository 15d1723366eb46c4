// Reference point: single-precision complex 2-D FFT pair of FFTW at 2048 x 2048, one thread.
#include <fftw3.h>

#include <benchmark/benchmark.h>

namespace {

void BM_FFTWForwardInverse(benchmark::State& state) {
  const int side = static_cast<int>(state.range(0));
  fftwf_complex* data = fftwf_alloc_complex(static_cast<size_t>(side) * side);
  fftwf_plan forward = fftwf_plan_dft_2d(side, side, data, data, FFTW_FORWARD, FFTW_MEASURE);
  fftwf_plan inverse = fftwf_plan_dft_2d(side, side, data, data, FFTW_BACKWARD, FFTW_MEASURE);
  for (size_t i = 0; i < static_cast<size_t>(side) * side; ++i) {
    data[i][0] = static_cast<float>(i % 256) / 255.0f;
    data[i][1] = 0.0f;
  }
  for (auto _ : state) {
    fftwf_execute(forward);
    fftwf_execute(inverse);
    benchmark::ClobberMemory();
  }
  fftwf_destroy_plan(forward);
  fftwf_destroy_plan(inverse);
  fftwf_free(data);
}

}  // namespace

BENCHMARK(BM_FFTWForwardInverse)->Arg(2048)->Unit(benchmark::kMillisecond);
