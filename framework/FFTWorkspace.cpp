#include "FFTWorkspace.h"

#include "DataContainer.h"
#include "PageAlloc.h"

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

// Lines transformed together: at most 16, and about 256 KB of line data per thread, so that a
// block stays in the second-level cache.
constexpr int kMaxLanes = 16;
constexpr int kMinLanes = 4;
constexpr int kScratchPoints = 32768;

// Step factors of every stage from the recurrence: (wr, wi) for j = 0..m-1 of stage m lie at
// table[m + j]. Only the recurrence produces them, so they are the values the iterative
// transform uses; a stage's factors do not depend on the line length.
void BuildTwiddles(bool forward, int n, TTwiddle* table) {
  const int base = forward ? 0 : kInverseBase;
  table[0] = {1.0, 0.0};
  for (int m = 1, s = 0; m < n; m *= 2, ++s) {
    const double wpr = TwiddleCos[base + s];
    const double wpi = TwiddleSin[base + s];
    float wr = 1.0f;
    float wi = 0.0f;
    for (int j = 0; j < m; ++j) {
      table[m + j] = {wr, wi};
      const float wrOld = wr;
      wr = static_cast<float>(static_cast<double>(wr) * wpr - static_cast<double>(wi) * wpi);
      wi = static_cast<float>(static_cast<double>(wi) * wpr + static_cast<double>(wrOld) * wpi);
    }
  }
}

int Bits(int n) {
  int bits = 0;
  while ((1 << bits) < n) ++bits;
  return bits;
}

int LanesForLength(int lineLength) {
  int lanes = kScratchPoints / lineLength;
  if (lanes > kMaxLanes) lanes = kMaxLanes;
  if (lanes < kMinLanes) lanes = kMinLanes;
  return lanes;
}

}  // namespace

int TFFTWorkspace::LanesFor(int lineLength, int lineCount) noexcept {
  const int lanes = LanesForLength(lineLength);
  return lanes < lineCount ? lanes : lineCount;
}

TFFTWorkspace::TFFTWorkspace(int MaxLine, int Threads) noexcept : FPool(Threads) {
  if (MaxLine < 1 || MaxLine > TDataContainer::kMaxLine || (MaxLine & (MaxLine - 1)) != 0) return;
  FMaxLine = MaxLine;
  FMaxBits = Bits(MaxLine);
  // lanes x length only grows with the length, so the longest line's block is the largest.
  FScratchFloats = static_cast<std::size_t>(2) * LanesForLength(MaxLine) * MaxLine;
  FTableBytes = 2 * sizeof(TTwiddle) * MaxLine + sizeof(unsigned short) * MaxLine;
  auto* tables = static_cast<unsigned char*>(PageAlloc(FTableBytes));
  if (!tables) return;
  FForward = reinterpret_cast<TTwiddle*>(tables);
  FInverse = FForward + MaxLine;
  FReverse = reinterpret_cast<unsigned short*>(FInverse + MaxLine);
  BuildTwiddles(true, MaxLine, FForward);
  BuildTwiddles(false, MaxLine, FInverse);
  for (int i = 0; i < MaxLine; ++i) {
    unsigned r = 0;
    for (int b = 0, v = i; b < FMaxBits; ++b, v >>= 1) r = 2 * r + (v & 1);
    FReverse[i] = static_cast<unsigned short>(r);
  }
  for (int threads = FPool.Size(); threads >= 1 && !FScratch; threads = threads > 1 ? 1 : 0) {
    FScratch = static_cast<float*>(PageAlloc(sizeof(float) * FScratchFloats * threads));
    if (FScratch) FScratchThreads = threads;
  }
  if (!FScratch) {
    PageFree(tables, FTableBytes);
    FForward = FInverse = nullptr;
    FReverse = nullptr;
  }
}

TFFTWorkspace::~TFFTWorkspace() {
  if (FScratch) PageFree(FScratch, sizeof(float) * FScratchFloats * FScratchThreads);
  if (FForward) PageFree(FForward, FTableBytes);
}
