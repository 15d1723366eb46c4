#include "DataContainer.h"

#include "PageAlloc.h"

#include <cstdint>
#include <limits>

static_assert(sizeof(TComplex) == 2 * sizeof(float), "TComplex must be two packed floats");

namespace {

// Step factors of the twiddle recurrence: entries 0..13 forward, 14..27 inverse, for stage s
// cos(pi / 2^s) and -/+ sin(pi / 2^s) as the nearest singles; s = 0 and 1 hold exact values.
constexpr float TwiddleCos[28] = {
    -1.0f,        0.0f,         0.707106769f, 0.923879504f, 0.980785251f, 0.99518472f,
    0.99879545f,  0.999698818f, 0.999924719f, 0.999981165f, 0.999995291f, 0.999998808f,
    0.999999702f, 0.99999994f,
    -1.0f,        0.0f,         0.707106769f, 0.923879504f, 0.980785251f, 0.99518472f,
    0.99879545f,  0.999698818f, 0.999924719f, 0.999981165f, 0.999995291f, 0.999998808f,
    0.999999702f, 0.99999994f};
constexpr float TwiddleSin[28] = {
    0.0f,            -1.0f,            -0.707106769f,    -0.382683426f,    -0.195090324f,
    -0.0980171412f,  -0.0490676761f,   -0.024541229f,    -0.0122715384f,   -0.00613588467f,
    -0.00306795677f, -0.00153398013f,  -0.000766990299f, -0.000383495179f,
    0.0f,            1.0f,             0.707106769f,     0.382683426f,     0.195090324f,
    0.0980171412f,   0.0490676761f,    0.024541229f,     0.0122715384f,    0.00613588467f,
    0.00306795677f,  0.00153398013f,   0.000766990299f,  0.000383495179f};

constexpr int kInverseBase = 14;
// Lines transformed together; 16 lanes of 8 bytes fill two cache lines per point.
constexpr int kMaxLanes = 16;

int Log2Exact(int n) {
  if (n < 1 || n > TDataContainer::kMaxLine || (n & (n - 1)) != 0) return -1;
  int bits = 0;
  while ((1 << bits) < n) ++bits;
  return bits;
}

}  // namespace

TDataContainer::TDataContainer(int Width, int Height) noexcept
    : Data(nullptr), Complex(nullptr), Width(Width), Height(Height) {
  if (Width <= 0 || Height <= 0) return;
  const std::uint64_t samples = static_cast<std::uint64_t>(Width) * static_cast<std::uint64_t>(Height);
  if (samples > std::numeric_limits<std::size_t>::max() / sizeof(TComplex)) return;
  Data = static_cast<float*>(PageAlloc(static_cast<std::size_t>(samples) * sizeof(float)));
  Complex = static_cast<TComplex*>(PageAlloc(static_cast<std::size_t>(samples) * sizeof(TComplex)));
}

TDataContainer::~TDataContainer() {
  if (Width <= 0 || Height <= 0) return;
  const std::size_t samples = static_cast<std::size_t>(Width) * static_cast<std::size_t>(Height);
  PageFree(Data, samples * sizeof(float));
  PageFree(Complex, samples * sizeof(TComplex));
}

unsigned short TDataContainer::BitReverse(unsigned short Index, unsigned char Bits) noexcept {
  unsigned short result = 0;
  for (unsigned char b = 0; b < Bits; ++b) {
    result = static_cast<unsigned short>(2 * result + (Index & 1));
    Index = static_cast<unsigned short>(Index >> 1);
  }
  return result;
}

template <int Lanes>
void TDataContainer::BitReverseLanes(int bits) noexcept {
  float* line = Lane();
  const int n = 1 << bits;
  for (int i = 0; i < n; ++i) {
    const int j = BitReverse(static_cast<unsigned short>(i), static_cast<unsigned char>(bits));
    if (i < j) {
      float* a = line + 2 * Lanes * i;
      float* b = line + 2 * Lanes * j;
      for (int c = 0; c < 2 * Lanes; ++c) {
        const float t = a[c];
        a[c] = b[c];
        b[c] = t;
      }
    }
  }
}

// Step factors of every stage from the recurrence: (wr, wi) for j = 0..m-1 of stage m lie at
// FTwiddle[m + j]. Only the recurrence produces them, so they are the values the iterative
// transform would use.
void TDataContainer::BuildTwiddles(bool forward, int n) noexcept {
  const int base = forward ? 0 : kInverseBase;
  for (int m = 1, s = 0; m < n; m *= 2, ++s) {
    const double wpr = TwiddleCos[base + s];
    const double wpi = TwiddleSin[base + s];
    float wr = 1.0f;
    float wi = 0.0f;
    for (int j = 0; j < m; ++j) {
      FTwiddle[m + j] = {wr, wi};
      const float wrOld = wr;
      wr = static_cast<float>(static_cast<double>(wr) * wpr - static_cast<double>(wi) * wpi);
      wi = static_cast<float>(static_cast<double>(wi) * wpr + static_cast<double>(wrOld) * wpi);
    }
  }
}

// The butterflies of stage m on points first .. first + 2m - 1 of every lane. Every stored
// quantity (tr, ti, the line values) is a float; each product or sum is formed in double first.
template <int Lanes>
void TDataContainer::Butterflies(int first, int m) noexcept {
  float* line = Lane();
  const TComplex* twiddle = FTwiddle + m;
  for (int j = 0; j < m; ++j) {
    const double wr = twiddle[j].Re;
    const double wi = twiddle[j].Im;
    float* __restrict a = line + 2 * Lanes * (first + j);
    float* __restrict b = line + 2 * Lanes * (first + j + m);
#pragma GCC ivdep
    for (int c = 0; c < Lanes; ++c) {
      const double bRe = b[c];
      const double bIm = b[Lanes + c];
      const float tr = static_cast<float>(wr * bRe - wi * bIm);
      const float ti = static_cast<float>(wr * bIm + wi * bRe);
      const double aRe = a[c];
      const double aIm = a[Lanes + c];
      b[c] = static_cast<float>(aRe - tr);
      a[c] = static_cast<float>(aRe + tr);
      b[Lanes + c] = static_cast<float>(aIm - ti);
      a[Lanes + c] = static_cast<float>(aIm + ti);
    }
  }
}

// Stages of a decimation-in-time transform on the block of `size` points at `first`, depth
// first so that small blocks are finished while they are in cache. A butterfly depends only
// on the two outputs of the previous stage it reads, so this order gives the same bits as
// running stage after stage over the whole line.
template <int Lanes>
void TDataContainer::TransformBlockOf(int first, int size) noexcept {
  constexpr int kLeaf = 2048 / Lanes;  // 16 KB of line data
  if (size > kLeaf) {
    TransformBlockOf<Lanes>(first, size / 2);
    TransformBlockOf<Lanes>(first + size / 2, size / 2);
    Butterflies<Lanes>(first, size / 2);
    return;
  }
  for (int m = 1; m < size; m *= 2)
    for (int group = first; group < first + size; group += 2 * m) Butterflies<Lanes>(group, m);
}

template <int Lanes>
void TDataContainer::TransformLanes(bool forward, int bits, int n) noexcept {
  BitReverseLanes<Lanes>(bits);
  BuildTwiddles(forward, n);
  TransformBlockOf<Lanes>(0, n);
  if (!forward) {
    // 1/N of a power of two is exact as a single.
    float* line = Lane();
    const double scale = 1.0f / static_cast<float>(n);
    for (int k = 0; k < 2 * Lanes * n; ++k) line[k] = static_cast<float>(line[k] * scale);
  }
}

void TDataContainer::BitReverseOrder(int Bits) noexcept { BitReverseLanes<1>(Bits); }

void TDataContainer::FFT1D(bool Forward, int Bits, int N) noexcept {
  TransformLanes<1>(Forward, Bits, N);
}

void TDataContainer::TransformBlock(int lanes, bool forward, int bits, int n) noexcept {
  switch (lanes) {
    case 1: FFT1D(forward, bits, n); break;
    case 2: TransformLanes<2>(forward, bits, n); break;
    case 4: TransformLanes<4>(forward, bits, n); break;
    case 8: TransformLanes<8>(forward, bits, n); break;
    default: TransformLanes<16>(forward, bits, n); break;
  }
}

// As many lines as fit into WorkLine together, at most kMaxLanes and at most lineCount; all
// three are powers of two, so the lines divide into whole blocks.
int TDataContainer::LanesFor(int lineLength, int lineCount) noexcept {
  int lanes = kMaxLine / lineLength;
  if (lanes > kMaxLanes) lanes = kMaxLanes;
  if (lanes > lineCount) lanes = lineCount;
  return lanes;
}

bool TDataContainer::CanTransform(int& rowBits, int& columnBits) const noexcept {
  if (!Data || !Complex) return false;
  rowBits = Log2Exact(Width);
  columnBits = Log2Exact(Height);
  return rowBits >= 0 && columnBits >= 0;
}

int TDataContainer::ForwardFFT() noexcept {
  int rowBits, columnBits;
  if (!CanTransform(rowBits, columnBits)) return -1;
  const std::ptrdiff_t w = Width;
  float* line = Lane();

  int lanes = LanesFor(Width, Height);
  for (int y0 = 0; y0 < Height; y0 += lanes) {
    for (int c = 0; c < lanes; ++c) {
      const float* src = Data + (y0 + c) * w;
      for (int x = 0; x < Width; ++x) {
        line[2 * lanes * x + c] = src[x];
        line[2 * lanes * x + lanes + c] = 0.0f;
      }
    }
    TransformBlock(lanes, true, rowBits, Width);
    for (int c = 0; c < lanes; ++c) {
      TComplex* dst = Complex + (y0 + c) * w;
      for (int x = 0; x < Width; ++x) dst[x] = {line[2 * lanes * x + c], line[2 * lanes * x + lanes + c]};
    }
  }

  lanes = LanesFor(Height, Width);
  for (int x0 = 0; x0 < Width; x0 += lanes) {
    for (int y = 0; y < Height; ++y) {
      const TComplex* src = Complex + y * w + x0;
      for (int c = 0; c < lanes; ++c) {
        line[2 * lanes * y + c] = src[c].Re;
        line[2 * lanes * y + lanes + c] = src[c].Im;
      }
    }
    TransformBlock(lanes, true, columnBits, Height);
    for (int y = 0; y < Height; ++y) {
      TComplex* dst = Complex + y * w + x0;
      for (int c = 0; c < lanes; ++c) dst[c] = {line[2 * lanes * y + c], line[2 * lanes * y + lanes + c]};
    }
  }
  return 0;
}

int TDataContainer::InverseFFT() noexcept {
  int rowBits, columnBits;
  if (!CanTransform(rowBits, columnBits)) return -1;
  const std::ptrdiff_t w = Width;
  float* line = Lane();

  int lanes = LanesFor(Width, Height);
  for (int y0 = 0; y0 < Height; y0 += lanes) {
    for (int c = 0; c < lanes; ++c) {
      const TComplex* src = Complex + (y0 + c) * w;
      for (int x = 0; x < Width; ++x) {
        line[2 * lanes * x + c] = src[x].Re;
        line[2 * lanes * x + lanes + c] = src[x].Im;
      }
    }
    TransformBlock(lanes, false, rowBits, Width);
    for (int c = 0; c < lanes; ++c) {
      TComplex* dst = Complex + (y0 + c) * w;
      for (int x = 0; x < Width; ++x) dst[x] = {line[2 * lanes * x + c], line[2 * lanes * x + lanes + c]};
    }
  }

  // Only the real parts go to Data; Complex keeps the row-pass values.
  lanes = LanesFor(Height, Width);
  for (int x0 = 0; x0 < Width; x0 += lanes) {
    for (int y = 0; y < Height; ++y) {
      const TComplex* src = Complex + y * w + x0;
      for (int c = 0; c < lanes; ++c) {
        line[2 * lanes * y + c] = src[c].Re;
        line[2 * lanes * y + lanes + c] = src[c].Im;
      }
    }
    TransformBlock(lanes, false, columnBits, Height);
    for (int y = 0; y < Height; ++y) {
      float* dst = Data + y * w + x0;
      for (int c = 0; c < lanes; ++c) dst[c] = line[2 * lanes * y + c];
    }
  }
  return 0;
}
