// Host block conversions and padding at 2048 x 2048.
#include "framework/Utilities.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

constexpr int kSide = 2048;

std::vector<std::uint8_t> Block(int channels, int depth) {
  std::vector<std::uint8_t> block(static_cast<size_t>(kSide) * kSide * channels * (depth / 8));
  for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<std::uint8_t>(i * 31 % 251);
  if (depth == 32)
    for (size_t i = 0; i + 4 <= block.size(); i += 4) {
      const float v = static_cast<float>(i % 1000) / 1000.0f;
      std::memcpy(&block[i], &v, 4);
    }
  return block;
}

void BM_GrayReadNormalizeWrite(benchmark::State& state) {
  const int depth = static_cast<int>(state.range(0));
  const int rowBytes = kSide * (depth / 8);
  std::vector<std::uint8_t> in = Block(1, depth), out(in.size());
  for (auto _ : state) {
    auto plane = HostToGrayContainer(in.data(), depth, kSide, kSide, rowBytes);
    const float scale = NormalizeGray(*plane);
    benchmark::DoNotOptimize(GrayContainerToHost(*plane, out.data(), depth, rowBytes, scale, 0, 0, kSide, kSide));
  }
}

void BM_RGBReadSplitWrite(benchmark::State& state) {
  const int depth = static_cast<int>(state.range(0));
  const int rowBytes = 3 * kSide * (depth / 8);
  std::vector<std::uint8_t> in = Block(3, depth), out(in.size());
  for (auto _ : state) {
    auto rgb = HostToRGBContainer(in.data(), depth, kSide, kSide, rowBytes);
    const float scale = NormalizeRGB(*rgb);
    TDataContainer y(kSide, kSide), u(kSide, kSide), v(kSide, kSide);
    for (int j = 0; j < kSide; ++j)
      for (int i = 0; i < kSide; ++i) {
        TPixelRGB p;
        rgb->GetPixel(i, j, p);
        float yy, uu, vv;
        RGBToYUV(p.R, p.G, p.B, yy, uu, vv);
        y.SetValue(i, j, yy);
        u.SetValue(i, j, uu);
        v.SetValue(i, j, vv);
      }
    benchmark::DoNotOptimize(YUVToHost(y, u, v, out.data(), depth, rowBytes, scale, 0, 0, kSide, kSide));
  }
}

void BM_GrayToPadded(benchmark::State& state) {
  TDataContainer source(kSide - 100, kSide - 100);
  for (auto _ : state) {
    int ox, oy, w, h;
    auto padded = GrayToPadded(source, ox, oy, w, h);
    benchmark::DoNotOptimize(padded.get());
  }
}

}  // namespace

BENCHMARK(BM_GrayReadNormalizeWrite)->Arg(8)->Arg(16)->Arg(32)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RGBReadSplitWrite)->Arg(8)->Arg(16)->Arg(32)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GrayToPadded)->Unit(benchmark::kMillisecond);
