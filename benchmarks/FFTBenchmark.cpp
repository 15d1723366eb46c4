// One ForwardFFT + InverseFFT pair on square planes.
#include "framework/DataContainer.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

void BM_ForwardInverseFFT(benchmark::State& state) {
  const int side = static_cast<int>(state.range(0));
  auto plane = std::make_unique<TDataContainer>(side, side);
  for (int y = 0; y < side; ++y)
    for (int x = 0; x < side; ++x) plane->SetValue(x, y, static_cast<float>((x * 7 + y * 13) % 256) / 255.0f);
  for (auto _ : state) {
    benchmark::DoNotOptimize(plane->ForwardFFT());
    benchmark::DoNotOptimize(plane->InverseFFT());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * side * side);
}

}  // namespace

BENCHMARK(BM_ForwardInverseFFT)->Arg(256)->Arg(1024)->Arg(2048)->Arg(4096)->Unit(benchmark::kMillisecond);
