// Our transform pair and deconvolution iterations beside FFTW's on one thread and on all, in
// one run, as minimum and median of repeated runs (ms) and as ratios of the minima. The three
// take turns in rounds, so that the load of a shared machine falls on all of them alike.
//
// FFTW exists in the native tree only. A Windows tree's run reads the FFTW figures that a
// native run saved (--save-fftw FILE there, --fftw FILE here), so that both trees are
// compared against the same native FFTW run.
//
//   SpeedComparison [--kernel auto|sse2|avx2|scalar] [--threads N] [--repeats N]
//                   [--save-fftw FILE] [--fftw FILE] [--only fft|lr|maxent]
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "framework/DataContainer.h"
#include "framework/FFTKernels.h"
#include "framework/FFTWorkspace.h"
#include "lucyrichardson/LucyRichardsonThread.h"

#include "Timing.h"

#ifdef SKELVANE_HAVE_FFTW
#include <fftw3.h>
#endif

// In SpeedComparisonMaxEnt.cpp.
bool RunMaximumEntropy(TDataContainer& Image, TDataContainer& PSF, int Iterations,
                       const std::function<void()>& Progress);

namespace {

// A Gaussian of the given sigma centred at (0, 0) with wrap-around, summing to 1.
void FillGaussian(float* psf, int side, double sigma) {
  double sum = 0.0;
  std::vector<double> v(static_cast<size_t>(side) * side);
  for (int y = 0; y < side; ++y)
    for (int x = 0; x < side; ++x) {
      const double dx = x < side - x ? x : side - x, dy = y < side - y ? y : side - y;
      v[x + static_cast<size_t>(y) * side] = std::exp(-(dx * dx + dy * dy) / (2.0 * sigma * sigma));
      sum += v[x + static_cast<size_t>(y) * side];
    }
  for (size_t i = 0; i < v.size(); ++i) psf[i] = static_cast<float>(v[i] / sum);
}

// A seeded star field on a mid-gray background (no denormals from an empty background).
void FillStars(float* image, int side) {
  std::fill(image, image + static_cast<size_t>(side) * side, 0.5f);
  uint32_t seed = 12345;
  for (int i = 0; i < side * side / 400; ++i) {
    seed = seed * 1664525u + 1013904223u;
    const int x = static_cast<int>((seed >> 8) % static_cast<uint32_t>(side));
    seed = seed * 1664525u + 1013904223u;
    const int y = static_cast<int>((seed >> 8) % static_cast<uint32_t>(side));
    image[x + static_cast<size_t>(y) * side] = 1.0f;
  }
}

// Appends `repeats` timings (ms) to ms; false when the work could not be run.
using TMeasure = std::function<bool(std::vector<double>& ms, int repeats)>;

struct TOptions {
  int Threads = 0;  // ours; 0 = one per processor
  int Repeats = 0;  // 0 = by size
  std::string SaveFFTW, LoadFFTW, Only;
};

int RepeatsFor(const TOptions& options, int side) {
  if (options.Repeats > 0) return options.Repeats;
  return side <= 1024 ? 30 : side <= 2048 ? 15 : 6;
}

// ---- ours ----

TMeasure OurPair(const TOptions& options, int side) {
  auto plane = std::make_shared<TDataContainer>(side, side);
  if (!plane->Data) return {};
  FillStars(plane->Data, side);
  auto workspace = std::make_shared<TFFTWorkspace>(side, options.Threads);
  if (plane->ForwardFFT(*workspace) != 0 || plane->InverseFFT(*workspace) != 0) return {};
  return [plane, workspace](std::vector<double>& ms, int repeats) {
    for (int r = 0; r < repeats; ++r) {
      const auto start = TClock::now();
      plane->ForwardFFT(*workspace);
      plane->InverseFFT(*workspace);
      ms.push_back(Milliseconds(start, TClock::now()));
    }
    return true;
  };
}

// Each call is one run of repeats + 1 iterations; the time between two progress calls is one
// iteration, and the first is dropped since it holds the run's setup.
TMeasure OurIterations(int side, bool maxent) {
  return [side, maxent](std::vector<double>& ms, int repeats) {
    auto image = std::make_unique<TDataContainer>(side, side);
    auto psf = std::make_unique<TDataContainer>(side, side);
    if (!image->Data || !psf->Data) return false;
    FillStars(image->Data, side);
    FillGaussian(psf->Data, side, 1.5);
    std::vector<TClock::time_point> marks;
    marks.reserve(repeats + 2);
    const auto progress = [&] { marks.push_back(TClock::now()); };
    marks.push_back(TClock::now());
    const bool ok = maxent ? RunMaximumEntropy(*image, *psf, repeats + 1, progress)
                           : Deconvolve(*image, *psf, repeats + 1, false, nullptr, progress);
    if (!ok || static_cast<int>(marks.size()) != repeats + 2) return false;
    for (size_t k = 2; k < marks.size(); ++k) ms.push_back(Milliseconds(marks[k - 1], marks[k]));
    return true;
  };
}

// ---- FFTW: the same transforms (2-D complex, single precision, FFTW_MEASURE) and the same
// per-pixel passes, written plainly on one thread ----

#ifdef SKELVANE_HAVE_FFTW
using TCx = fftwf_complex;

struct TFFTWPlans {
  int Side;
  size_t Count;
  TCx* Scratch;
  fftwf_plan Forward, Inverse;
  TFFTWPlans(int side, int threads) : Side(side), Count(static_cast<size_t>(side) * side) {
    Scratch = fftwf_alloc_complex(Count);
    fftwf_plan_with_nthreads(threads);
    Forward = fftwf_plan_dft_2d(side, side, Scratch, Scratch, FFTW_FORWARD, FFTW_MEASURE);
    Inverse = fftwf_plan_dft_2d(side, side, Scratch, Scratch, FFTW_BACKWARD, FFTW_MEASURE);
  }
  ~TFFTWPlans() {
    fftwf_destroy_plan(Forward);
    fftwf_destroy_plan(Inverse);
    fftwf_free(Scratch);
  }
  // In place on any array from fftwf_alloc_complex of this size.
  void Fwd(TCx* data) const { fftwf_execute_dft(Forward, data, data); }
  void Inv(TCx* data) const { fftwf_execute_dft(Inverse, data, data); }
};

struct TFFTWPlane {
  size_t Count;
  TCx* C;
  std::vector<float> R;
  explicit TFFTWPlane(size_t count) : Count(count), C(fftwf_alloc_complex(count)), R(count) {}
  ~TFFTWPlane() { fftwf_free(C); }
  void Load() {
    for (size_t i = 0; i < Count; ++i) {
      C[i][0] = R[i];
      C[i][1] = 0.0f;
    }
  }
  void Store() {
    const float scale = 1.0f / static_cast<float>(Count);
    for (size_t i = 0; i < Count; ++i) R[i] = C[i][0] * scale;
  }
};

void Multiply(const TCx* x, const TCx* y, TCx* out, size_t count, bool conjugate) {
  for (size_t i = 0; i < count; ++i) {
    const double a = x[i][0], b = x[i][1], c = y[i][0], d = conjugate ? -y[i][1] : y[i][1];
    out[i][0] = static_cast<float>(a * c - b * d);
    out[i][1] = static_cast<float>(a * d + b * c);
  }
}

TMeasure FFTWPair(int side, int threads) {
  auto plans = std::make_shared<TFFTWPlans>(side, threads);
  auto plane = std::make_shared<TFFTWPlane>(plans->Count);
  FillStars(plane->R.data(), side);
  plane->Load();
  return [plans, plane](std::vector<double>& ms, int repeats) {
    for (int r = 0; r < repeats; ++r) {
      const auto start = TClock::now();
      plans->Fwd(plane->C);
      plans->Inv(plane->C);
      ms.push_back(Milliseconds(start, TClock::now()));
    }
    return true;
  };
}

struct TFFTWLucyRichardson {
  TFFTWPlans plans;
  size_t n;
  TFFTWPlane o, e, t, p;
  TFFTWLucyRichardson(int side, int threads)
      : plans(side, threads), n(plans.Count), o(n), e(n), t(n), p(n) {
    FillStars(o.R.data(), side);
    FillGaussian(p.R.data(), side, 1.5);
    p.Load();
    plans.Fwd(p.C);
    e.R = o.R;
  }
  void Run(std::vector<double>& ms, int repeats) {
    for (int r = 0; r < repeats; ++r) {
      const auto start = TClock::now();
      t.R = e.R;
      t.Load();
      plans.Fwd(t.C);
      Multiply(t.C, p.C, t.C, n, false);
      plans.Inv(t.C);
      t.Store();
      for (size_t i = 0; i < n; ++i) {
        double d = t.R[i];
        if (d == 0.0 || std::isnan(d)) d = 1.0;
        t.R[i] = static_cast<float>(o.R[i] / d);
      }
      t.Load();
      plans.Fwd(t.C);
      Multiply(t.C, p.C, t.C, n, true);
      plans.Inv(t.C);
      t.Store();
      for (size_t i = 0; i < n; ++i) e.R[i] = static_cast<float>(static_cast<double>(e.R[i]) * t.R[i]);
      ms.push_back(Milliseconds(start, TClock::now()));
    }
  }
};

struct TFFTWMaxEnt {
  TFFTWPlans plans;
  size_t n;
  TFFTWPlane image, psf, k, l, e, m;
  TFFTWMaxEnt(int side, int threads)
      : plans(side, threads), n(plans.Count), image(n), psf(n), k(n), l(n), e(n), m(n) {
    FillStars(image.R.data(), side);
    FillGaussian(psf.R.data(), side, 1.5);
    psf.Load();
    plans.Fwd(psf.C);
    for (size_t i = 0; i < n; ++i) {
      k.C[i][0] = psf.C[i][0];
      k.C[i][1] = -psf.C[i][1];
    }
  }
  void Run(std::vector<double>& ms, int repeats) {
    for (int r = 0; r < repeats; ++r) {
      const auto start = TClock::now();
      l.Load();
      plans.Fwd(l.C);
      Multiply(k.C, l.C, e.C, n, false);
      plans.Inv(e.C);
      e.Store();
      plans.Inv(l.C);
      l.Store();
      for (size_t i = 0; i < n; ++i) e.R[i] = static_cast<float>(std::exp(static_cast<double>(e.R[i])));
      float total = 0.0f;
      for (size_t i = 0; i < n; ++i) total = total + e.R[i];
      for (size_t i = 0; i < n; ++i) e.R[i] = static_cast<float>(static_cast<double>(e.R[i]) / total);
      e.Load();
      plans.Fwd(e.C);
      Multiply(e.C, psf.C, m.C, n, false);
      plans.Inv(m.C);
      m.Store();
      plans.Inv(e.C);
      e.Store();
      float a = 0.0f, b = 0.0f;
      for (size_t i = 0; i < n; ++i) {
        a = a + image.R[i];
        b = b + m.R[i];
      }
      const float scale = static_cast<float>(static_cast<double>(a) / b);
      for (size_t i = 0; i < n; ++i) {
        const float lm = m.R[i] > 0.0f ? static_cast<float>(std::log(static_cast<double>(m.R[i]))) : 0.0f;
        const float ld = static_cast<float>(std::log(static_cast<double>(image.R[i]) / scale));
        l.R[i] = static_cast<float>(static_cast<double>(l.R[i]) + ld - lm);
      }
      ms.push_back(Milliseconds(start, TClock::now()));
    }
  }
};

template <class T> TMeasure FFTWIterations(int side, int threads) {
  auto state = std::make_shared<T>(side, threads);
  return [state](std::vector<double>& ms, int repeats) {
    state->Run(ms, repeats);
    return true;
  };
}
#endif

struct TRow {
  std::string Key, Title;
  TFigure Ours, FFTW1, FFTWAll;
};

void Print(const TRow& row, int fftwThreads) {
  auto cell = [](const TFigure& f) {
    char text[32];
    if (f.Valid())
      std::snprintf(text, sizeof text, "%8.2f %8.2f", f.Min, f.Median);
    else
      std::snprintf(text, sizeof text, "%17s", "-");
    return std::string(text);
  };
  auto ratio = [](const TFigure& a, const TFigure& b) {
    char text[16];
    if (a.Valid() && b.Valid())
      std::snprintf(text, sizeof text, "%7.2f", a.Min / b.Min);
    else
      std::snprintf(text, sizeof text, "%7s", "-");
    return std::string(text);
  };
  std::printf("%-26s %s  %s  %s  %s %s\n", row.Title.c_str(), cell(row.Ours).c_str(), cell(row.FFTW1).c_str(),
              cell(row.FFTWAll).c_str(), ratio(row.Ours, row.FFTW1).c_str(), ratio(row.Ours, row.FFTWAll).c_str());
  (void)fftwThreads;
}

bool ReadFFTW(const std::string& path, std::vector<TRow>& rows, int& threads) {
  FILE* file = std::fopen(path.c_str(), "r");
  if (!file) return false;
  char key[64];
  TFigure one, all;
  while (std::fscanf(file, "%63s %lf %lf %lf %lf %d", key, &one.Min, &one.Median, &all.Min, &all.Median,
                     &threads) == 6)
    for (TRow& row : rows)
      if (row.Key == key) {
        row.FFTW1 = one;
        row.FFTWAll = all;
      }
  std::fclose(file);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  TOptions options;
  TFFTKernel kernel = TFFTKernel::Automatic;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const char* value = i + 1 < argc ? argv[i + 1] : "";
    if (arg == "--kernel") {
      const std::string k = value;
      kernel = k == "sse2" ? TFFTKernel::SSE2 : k == "avx2" ? TFFTKernel::AVX2 : k == "scalar" ? TFFTKernel::Scalar
                                                                                             : TFFTKernel::Automatic;
    } else if (arg == "--threads") {
      options.Threads = std::atoi(value);
    } else if (arg == "--repeats") {
      options.Repeats = std::atoi(value);
    } else if (arg == "--save-fftw") {
      options.SaveFFTW = value;
    } else if (arg == "--fftw") {
      options.LoadFFTW = value;
    } else if (arg == "--only") {
      options.Only = value;
    } else {
      std::fprintf(stderr, "unknown argument %s (see the head of SpeedComparison.cpp)\n", arg.c_str());
      return 2;
    }
    ++i;
  }
  if (!SelectFFTKernel(kernel)) {
    std::fprintf(stderr, "this machine or build has no such kernel\n");
    return 2;
  }
  static const char* const kKernelNames[] = {"chosen at run time", "scalar", "SSE2", "AVX2"};
  const int all = static_cast<int>(std::thread::hardware_concurrency());
  TFFTWorkspace probe(16, options.Threads);
  std::printf("ours: %d threads, kernel %s (AVX2 %s on this machine)\n", probe.Pool().Size(),
              kKernelNames[static_cast<int>(kernel)], FFTKernelSupported(TFFTKernel::AVX2) ? "present" : "absent");

  std::vector<TRow> rows;
  for (int side : {1024, 2048, 4096})
    rows.push_back({"fft" + std::to_string(side), "FFT pair " + std::to_string(side) + "^2", {}, {}, {}});
  for (int side : {1024, 2048})
    rows.push_back({"lr" + std::to_string(side), "LR iteration " + std::to_string(side) + "^2", {}, {}, {}});
  for (int side : {1024, 2048})
    rows.push_back({"maxent" + std::to_string(side), "MaxEnt iteration " + std::to_string(side) + "^2", {}, {}, {}});

  int fftwThreads = all;
  const bool haveFFTWFile = !options.LoadFFTW.empty() && ReadFFTW(options.LoadFFTW, rows, fftwThreads);
  if (!options.LoadFFTW.empty() && !haveFFTWFile) std::printf("cannot read FFTW figures from %s\n", options.LoadFFTW.c_str());
#ifdef SKELVANE_HAVE_FFTW
  const bool runFFTW = !haveFFTWFile;
  if (runFFTW) {
    fftwf_init_threads();
    std::printf("FFTW %s: fftwf 2-D c2c, FFTW_MEASURE, 1 and %d threads, measured in this run\n", fftwf_version, all);
  }
#else
  const bool runFFTW = false;
  if (haveFFTWFile) std::printf("FFTW: figures of a native run, read from %s (%d threads)\n", options.LoadFFTW.c_str(), fftwThreads);
#endif

  int status = 0;
  std::printf("\n%-26s %17s  %17s  %17s  %7s %7s\n", "ms: min median", "ours", "FFTW 1 thread",
              ("FFTW " + std::to_string(fftwThreads) + " threads").c_str(), "/FFTW1", "/FFTWn");
  for (TRow& row : rows) {
    const int side = std::atoi(row.Key.c_str() + row.Key.find_first_of("0123456789"));
    const std::string kind = row.Key.substr(0, row.Key.find_first_of("0123456789"));
    if (!options.Only.empty() && options.Only != kind) continue;
    // The contenders take turns in rounds, so that each sees the same changes in the load of
    // a shared machine.
    std::vector<std::pair<TFigure*, TMeasure>> contenders;
    contenders.push_back({&row.Ours, kind == "fft" ? OurPair(options, side) : OurIterations(side, kind == "maxent")});
#ifdef SKELVANE_HAVE_FFTW
    if (runFFTW)
      for (int threads : {1, all}) {
        TMeasure fftw = kind == "fft"  ? FFTWPair(side, threads)
                        : kind == "lr" ? FFTWIterations<TFFTWLucyRichardson>(side, threads)
                                       : FFTWIterations<TFFTWMaxEnt>(side, threads);
        contenders.push_back({threads == 1 ? &row.FFTW1 : &row.FFTWAll, fftw});
      }
#endif
    const int total = RepeatsFor(options, side);
    const int perRound = total >= 10 ? total / 5 : 2;
    std::vector<std::vector<double>> times(contenders.size());
    for (int done = 0; done < total; done += perRound)
      for (size_t c = 0; c < contenders.size(); ++c)
        if (contenders[c].second && !contenders[c].second(times[c], perRound)) contenders[c].second = nullptr;
    for (size_t c = 0; c < contenders.size(); ++c)
      if (contenders[c].second) *contenders[c].first = Summarize(times[c]);
    if (!row.Ours.Valid()) status = 1;
    Print(row, fftwThreads);
    std::fflush(stdout);
  }
  if (!options.SaveFFTW.empty() && runFFTW) {
    FILE* file = std::fopen(options.SaveFFTW.c_str(), "w");
    if (!file) {
      std::printf("cannot write %s\n", options.SaveFFTW.c_str());
      return 1;
    }
    for (const TRow& row : rows)
      if (row.FFTW1.Valid())
        std::fprintf(file, "%s %.3f %.3f %.3f %.3f %d\n", row.Key.c_str(), row.FFTW1.Min, row.FFTW1.Median,
                     row.FFTWAll.Min, row.FFTWAll.Median, all);
    std::fclose(file);
  }
  return status;
}
