// Plain timing of one ForwardFFT + InverseFFT pair per side, for trees without Google Benchmark.
#include "framework/DataContainer.h"

#include <chrono>
#include <cstdio>
#include <initializer_list>
#include <memory>

// Exits with 1 when a side could not be timed: a refused plane makes the transforms return -1
// at once, which would otherwise read as an impossibly fast transform.
int main() {
  int status = 0;
  for (int side : {256, 1024, 2048, 4096}) {
    auto plane = std::make_unique<TDataContainer>(side, side);
    for (int y = 0; y < side; ++y)
      for (int x = 0; x < side; ++x) plane->SetValue(x, y, static_cast<float>((x * 7 + y * 13) % 256) / 255.0f);
    const int repeats = side <= 1024 ? 10 : 3;
    if (plane->ForwardFFT() != 0 || plane->InverseFFT() != 0) {
      std::printf("ForwardFFT+InverseFFT %5d x %-5d  planes not allocated\n", side, side);
      status = 1;
      continue;
    }
    double best = 1e300;
    for (int i = 0; i < repeats; ++i) {
      const auto start = std::chrono::steady_clock::now();
      plane->ForwardFFT();
      plane->InverseFFT();
      const std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - start;
      if (elapsed.count() < best) best = elapsed.count();
    }
    std::printf("ForwardFFT+InverseFFT %5d x %-5d %10.2f ms\n", side, side, best);
  }
  return status;
}
