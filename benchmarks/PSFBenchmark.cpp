// Point-spread-function planes at a full-run size.
#include "framework/PSF.h"

#include <benchmark/benchmark.h>

namespace {

void BM_MakePSF(benchmark::State& state) {
  const auto kind = static_cast<TPSFKind>(state.range(0));
  for (auto _ : state) {
    auto plane = MakePSF(kind, 2048, 2048, 2.5f, 2.7f);
    benchmark::DoNotOptimize(plane.get());
  }
}

}  // namespace

BENCHMARK(BM_MakePSF)->DenseRange(pkGaussian, pkMoffat)->Unit(benchmark::kMillisecond);
