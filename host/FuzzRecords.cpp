#include "FuzzRecords.h"

#include "DialogAnswerer.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <thread>
#include <vector>

namespace {

constexpr std::uint8_t kGuardByte = 0xa5;
constexpr int16 kUntouchedResult = 0x5a5a;
constexpr unsigned kRecordTimeoutMs = 180000;

// ---- Random choices ---------------------------------------------------------------------

class TChoice {
 public:
  explicit TChoice(std::uint64_t seed) : FEngine(seed) {}
  int Int(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(FEngine); }
  bool Chance(double p) { return std::uniform_real_distribution<double>(0.0, 1.0)(FEngine) < p; }
  std::uint32_t Bits() { return static_cast<std::uint32_t>(FEngine()); }

 private:
  std::mt19937_64 FEngine;
};

std::uint64_t RecordSeed(std::uint64_t seed, long record) {
  std::uint64_t z = seed + 0x9e3779b97f4a7c15ull * static_cast<std::uint64_t>(record + 1);
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
  return z ^ (z >> 31);
}

// ---- Guarded blocks ---------------------------------------------------------------------

// A block against an inaccessible page on one side and guard bytes on the other. The pages
// are remembered so that an access violation inside them is reported as a stray access.
class TGuardedBlock {
 public:
  TGuardedBlock(size_t size, bool atEnd) : FSize(size) {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    const size_t page = info.dwPageSize;
    const size_t inner = (size + page - 1) / page * page + page;
    FMapped = inner + 2 * page;
    FBase = static_cast<uint8_t*>(VirtualAlloc(nullptr, FMapped, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    if (FBase == nullptr) throw std::bad_alloc();
    DWORD old;
    VirtualProtect(FBase, page, PAGE_NOACCESS, &old);
    VirtualProtect(FBase + page + inner, page, PAGE_NOACCESS, &old);
    FGuardPages[0] = FBase;
    FGuardPages[1] = FBase + page + inner;
    FPage = page;
    uint8_t* first = FBase + page;
    std::memset(first, kGuardByte, inner);
    FData = atEnd ? first + inner - size : first;
    FSlack = atEnd ? first : first + size;
    FSlackSize = inner - size;
  }
  ~TGuardedBlock() { VirtualFree(FBase, 0, MEM_RELEASE); }
  TGuardedBlock(const TGuardedBlock&) = delete;
  TGuardedBlock& operator=(const TGuardedBlock&) = delete;

  uint8_t* Data() { return FData; }
  size_t Size() const { return FSize; }
  bool GuardsIntact() const {
    return std::all_of(FSlack, FSlack + FSlackSize, [](uint8_t b) { return b == kGuardByte; });
  }
  bool InGuardPage(const void* p) const {
    const uint8_t* q = static_cast<const uint8_t*>(p);
    return (q >= FGuardPages[0] && q < FGuardPages[0] + FPage) || (q >= FGuardPages[1] && q < FGuardPages[1] + FPage);
  }

 private:
  uint8_t* FBase = nullptr;
  size_t FMapped = 0;
  uint8_t* FData = nullptr;
  size_t FSize = 0;
  uint8_t* FSlack = nullptr;
  size_t FSlackSize = 0;
  uint8_t* FGuardPages[2] = {};
  size_t FPage = 0;
};

// ---- One record's host ------------------------------------------------------------------

// How advanceState behaves on one call.
enum class TAdvance { Blocks, ErrorNoBlocks, NoBlocksNoError, ErrorWithBlocks };

struct TStrides {
  int InExtra = 0;   // bytes added to (or, negative, taken from) a row for inRowBytes
  int OutExtra = 0;
};

struct TPlan {
  int16 Mode = plugInModeGrayScale;
  int Channels = 1;
  int Depth = 8;
  int Width = 1, Height = 1;
  Rect FilterRect{};
  int16 LoPlanes = 0;
  TStrides Strides;
  std::vector<TAdvance> Advance;  // per call; the last one repeats
  bool NoAdvanceCallback = false;
  bool RealOrder = true;
  std::vector<int16> Selectors;   // when not in the real order
  TAnswer Answer = TAnswer::Cancel;
  bool NullRecord = false;
};

struct TBlock {
  std::unique_ptr<TGuardedBlock> Memory;
  std::vector<uint8_t> Original;
  Rect Area{};
  int16 LoPlane = 0, HiPlane = 0;
  int32 Stride = 0;
  size_t RowLength = 0;
};

class TFuzzHost;
TFuzzHost* gHost = nullptr;
OSErr AdvanceCallback();

class TFuzzHost {
 public:
  TFuzzHost(const TPlan& plan, TChoice& choice) : FPlan(plan) {
    FImage.Allocate(plan.Width, plan.Height, plan.Channels, plan.Depth);
    for (uint8_t& b : FImage.Data) b = static_cast<uint8_t>(choice.Bits());
    if (plan.Depth == 32)  // now and then a NaN, an infinity or a huge sample
      for (size_t i = 0; i + 4 <= FImage.Data.size(); i += 4) {
        static const uint32_t kSpecial[] = {0x7fc00000u, 0x7f800000u, 0xff800000u, 0x00000001u, 0x7f7fffffu};
        const float v = static_cast<float>(choice.Int(-100, 1200)) / 1000.0f;
        if (choice.Chance(0.1))
          std::memcpy(&FImage.Data[i], &kSpecial[choice.Int(0, 4)], 4);
        else
          std::memcpy(&FImage.Data[i], &v, 4);
      }
    FRecord.imageSize = {int16(plan.Height), int16(plan.Width)};
    FRecord.planes = int16(plan.Channels);
    FRecord.filterRect = plan.FilterRect;
    FRecord.maxSpace = 256 * 1024 * 1024;
    FRecord.imageMode = plan.Mode;
    FRecord.imageHRes = FRecord.imageVRes = 72 << 16;
    FRecord.wholeSize = FRecord.imageSize;
    FRecord.platformData = &FPlatformData;
    FRecord.inLoPlane = FRecord.outLoPlane = plan.LoPlanes;
    FRecord.inHiPlane = FRecord.outHiPlane = int16(plan.Channels - 1);
    FRecord.advanceState = plan.NoAdvanceCallback ? nullptr : &AdvanceCallback;
    FRecord.hostSig = 0x534b4c56;
    gHost = this;
  }
  ~TFuzzHost() { gHost = nullptr; }

  FilterRecord& Record() { return FRecord; }
  const THostImageFile& Image() const { return FImage; }
  const std::set<int16>& AdvanceCodes() const { return FAdvanceCodes; }
  const std::vector<std::string>& Faults() const { return FFaults; }
  void Fault(const std::string& what) { FFaults.push_back(what); }

  bool InGuardPage(const void* p) const {
    return (FIn.Memory && FIn.Memory->InGuardPage(p)) || (FOut.Memory && FOut.Memory->InGuardPage(p));
  }

  OSErr AdvanceState() {
    const TAdvance behaviour = FPlan.Advance[std::min(FCalls, FPlan.Advance.size() - 1)];
    ++FCalls;
    CommitAndRelease();
    OSErr result = noErr;
    if (behaviour == TAdvance::ErrorNoBlocks || behaviour == TAdvance::ErrorWithBlocks) {
      static const OSErr kErrors[] = {memFullErr, userCanceledErr, filterBadParameters, -1, -25};
      result = kErrors[FCalls % 5];
      FAdvanceCodes.insert(result);
    }
    if (behaviour == TAdvance::ErrorNoBlocks || behaviour == TAdvance::NoBlocksNoError) return result;
    if (!Empty(FRecord.inRect)) {
      if (MakeBlock(FRecord.inRect, FRecord.inLoPlane, FRecord.inHiPlane, FPlan.Strides.InExtra, FIn)) {
        FRecord.inData = FIn.Memory->Data();
        FRecord.inRowBytes = FIn.Stride;
      } else if (result == noErr) {
        result = filterBadParameters;
      }
    }
    if (!Empty(FRecord.outRect)) {
      if (MakeBlock(FRecord.outRect, FRecord.outLoPlane, FRecord.outHiPlane, FPlan.Strides.OutExtra, FOut)) {
        FRecord.outData = FOut.Memory->Data();
        FRecord.outRowBytes = FOut.Stride;
      } else if (result == noErr) {
        result = filterBadParameters;
      }
    }
    FAdvanceCodes.insert(result);
    return result;
  }

  // As a host does at the next advanceState or when the filter ends: checks the blocks,
  // copies the output block into the image and takes both blocks back.
  void CommitAndRelease() {
    if (FIn.Memory) {
      if (!FIn.Memory->GuardsIntact()) Fault("wrote beside the input block");
      if (std::memcmp(FIn.Memory->Data(), FIn.Original.data(), FIn.Original.size()) != 0)
        Fault("wrote into the input block");
    }
    if (FOut.Memory) {
      if (!FOut.Memory->GuardsIntact()) Fault("wrote beside the output block");
      const uint8_t* bytes = FOut.Memory->Data();
      const int width = FOut.Area.right - FOut.Area.left, height = FOut.Area.bottom - FOut.Area.top;
      if (FOut.Stride < int32(FOut.RowLength)) {
        // Rows that overlap or run backwards: such a block may only be refused.
        if (std::memcmp(bytes, FOut.Original.data(), FOut.Original.size()) != 0)
          Fault("wrote into an output block whose stride is shorter than a row");
      } else {
        for (int y = 0; y < height; ++y)
          for (size_t i = FOut.RowLength; i < size_t(FOut.Stride) && size_t(y) * FOut.Stride + i < FOut.Original.size(); ++i)
            if (bytes[size_t(y) * FOut.Stride + i] != FOut.Original[size_t(y) * FOut.Stride + i]) {
              Fault("wrote into the output block's row padding");
              y = height;
              break;
            }
        const int planes = FOut.HiPlane - FOut.LoPlane + 1;
        const size_t sampleBytes = size_t(FImage.SampleBytes());
        for (int y = 0; y < height; ++y)
          for (int x = 0; x < width; ++x)
            std::memcpy(FImage.Data.data() + size_t(FOut.Area.top + y) * FImage.RowBytes() +
                            (size_t(FOut.Area.left + x) * FImage.Channels + FOut.LoPlane) * sampleBytes,
                        bytes + size_t(y) * FOut.Stride + size_t(x) * planes * sampleBytes, planes * sampleBytes);
      }
    }
    FIn = TBlock();
    FOut = TBlock();
    FRecord.inData = FRecord.outData = nullptr;
    FRecord.inRowBytes = FRecord.outRowBytes = 0;
  }

 private:
  static bool Empty(const Rect& r) { return r.right <= r.left || r.bottom <= r.top; }

  // The area's planes lo..hi, interleaved, rows extra bytes longer (or shorter) than the
  // samples; the block is exactly as long as its last row's end, so nothing after it is
  // the plug-in's. Refused for an area or planes the image does not have.
  bool MakeBlock(const Rect& area, int16 lo, int16 hi, int extra, TBlock& block) {
    if (area.top < 0 || area.left < 0 || area.bottom > FImage.Height || area.right > FImage.Width || lo < 0 ||
        hi < lo || hi >= FImage.Channels)
      return false;
    const int width = area.right - area.left, height = area.bottom - area.top;
    const int planes = hi - lo + 1;
    const size_t sampleBytes = size_t(FImage.SampleBytes());
    block.Area = area;
    block.LoPlane = lo;
    block.HiPlane = hi;
    block.RowLength = size_t(width) * planes * sampleBytes;
    block.Stride = int32(block.RowLength) + extra;
    // A stride short of a row: the block holds the rows as a host with that stride would
    // have laid them out, so a plug-in that accepts it reads past the end.
    const int64_t last = block.Stride >= 0 ? int64_t(height - 1) * block.Stride : 0;
    const size_t size = size_t(last) + block.RowLength;
    block.Memory.reset(new TGuardedBlock(size, gAtEnd));
    uint8_t* bytes = block.Memory->Data();
    std::memset(bytes, kGuardByte, size);
    if (block.Stride >= int32(block.RowLength))
      for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
          std::memcpy(bytes + size_t(y) * block.Stride + size_t(x) * planes * sampleBytes,
                      FImage.Data.data() + size_t(area.top + y) * FImage.RowBytes() +
                          (size_t(area.left + x) * FImage.Channels + lo) * sampleBytes,
                      planes * sampleBytes);
    block.Original.assign(bytes, bytes + size);
    return true;
  }

 public:
  static bool gAtEnd;

 private:
  TPlan FPlan;
  THostImageFile FImage;
  FilterRecord FRecord{};
  PlatformData FPlatformData{};
  TBlock FIn, FOut;
  size_t FCalls = 0;
  std::set<int16> FAdvanceCodes;
  std::vector<std::string> FFaults;
};

bool TFuzzHost::gAtEnd = true;

OSErr AdvanceCallback() { return gHost ? gHost->AdvanceState() : filterBadParameters; }

// ---- Records ----------------------------------------------------------------------------

struct TModeShape {
  int16 Mode;
  int Channels, Depth;
};

TPlan RandomPlan(TChoice& r) {
  static const TModeShape kAccepted[] = {{plugInModeGrayScale, 1, 8}, {plugInModeRGBColor, 3, 8},
                                         {plugInModeGray16, 1, 16},   {plugInModeRGB48, 3, 16},
                                         {plugInModeRGB96, 3, 32},    {plugInModeGray32, 1, 32}};
  static const int16 kRefused[] = {0, 2, 4, 5, 7, 8, 9, 12, 13, 14, 15, 18, -1, 0x7fff};
  TPlan plan;
  const TModeShape shape = kAccepted[r.Int(0, 5)];
  plan.Mode = r.Chance(0.85) ? shape.Mode : kRefused[r.Int(0, 13)];
  plan.Channels = shape.Channels;
  plan.Depth = shape.Depth;
  plan.Width = r.Chance(0.1) ? 1 : r.Int(1, 48);
  plan.Height = r.Chance(0.1) ? 1 : r.Int(1, 48);
  const int16 w = int16(plan.Width), h = int16(plan.Height);
  switch (r.Int(0, 9)) {
    case 0: plan.FilterRect = {int16(r.Int(0, h)), 0, int16(r.Int(0, h)), w}; break;  // often empty or inverted
    case 1: plan.FilterRect = {0, int16(r.Int(0, w)), h, int16(r.Int(-5, w))}; break;
    case 2: plan.FilterRect = {int16(-r.Int(1, 5)), 0, h, int16(w + r.Int(0, 5))}; break;  // beyond the image
    case 3: plan.FilterRect = {0, 0, 0x7fff, 0x7fff}; break;
    case 4: plan.FilterRect = {int16(-0x8000), int16(-0x8000), 0x7fff, 0x7fff}; break;
    case 5: {  // a part of the image
      const int16 top = int16(r.Int(0, h - 1)), left = int16(r.Int(0, w - 1));
      plan.FilterRect = {top, left, int16(r.Int(top + 1, h)), int16(r.Int(left + 1, w))};
      break;
    }
    default: plan.FilterRect = {0, 0, h, w}; break;
  }
  plan.LoPlanes = r.Chance(0.8) ? 0 : int16(r.Int(-2, 3));
  auto extra = [&r](int sampleBytes) {
    switch (r.Int(0, 9)) {
      case 0: return r.Int(1, 9);                  // often not whole samples
      case 1: return sampleBytes * r.Int(1, 4);
      case 2: return -r.Int(1, 3 * sampleBytes);   // shorter than a row
      case 3: return -r.Int(1, 100000);            // negative strides
      default: return 0;
    }
  };
  plan.Strides.InExtra = extra(shape.Depth / 8);
  plan.Strides.OutExtra = r.Chance(0.6) ? plan.Strides.InExtra : extra(shape.Depth / 8);
  const int calls = r.Int(1, 3);
  for (int i = 0; i < calls; ++i) {
    const int k = r.Int(0, 9);
    plan.Advance.push_back(k < 6 ? TAdvance::Blocks
                                 : k == 6 ? TAdvance::ErrorNoBlocks
                                          : k == 7 ? TAdvance::NoBlocksNoError : TAdvance::ErrorWithBlocks);
  }
  plan.NoAdvanceCallback = r.Chance(0.03);
  plan.RealOrder = r.Chance(0.7);
  if (!plan.RealOrder) {
    // About (0) now and then: its box is answered like any window.
    static const int16 kSelectors[] = {1, 2, 3, 3, 4, 4, 5, 6, 7, -1, 0x7fff, int16(-0x8000), 0};
    const int count = r.Int(1, 8);
    for (int i = 0; i < count; ++i) plan.Selectors.push_back(kSelectors[r.Int(0, r.Chance(0.1) ? 12 : 11)]);
  }
  const int answer = r.Int(0, 9);
  plan.Answer = answer < 4 ? TAnswer::OK : answer < 8 ? TAnswer::Cancel : TAnswer::CloseBox;
  plan.NullRecord = r.Chance(0.02);
  return plan;
}

std::string Describe(const TPlan& plan) {
  static const char* const kAdvance[] = {"blocks", "error", "nothing", "error+blocks"};
  static const char* const kAnswer[] = {"OK", "Cancel", "close box"};
  std::string text = "mode " + std::to_string(plan.Mode) + ", " + std::to_string(plan.Width) + " x " +
                     std::to_string(plan.Height) + ", filterRect " + RectText(plan.FilterRect) + ", low planes " +
                     std::to_string(plan.LoPlanes) + ", row extra in " + std::to_string(plan.Strides.InExtra) +
                     " out " + std::to_string(plan.Strides.OutExtra) + ", advanceState";
  if (plan.NoAdvanceCallback) text += " absent";
  for (TAdvance a : plan.Advance) text += std::string(" ") + kAdvance[int(a)];
  text += ", selectors";
  if (plan.RealOrder) text += " in order";
  for (int16 s : plan.Selectors) text += " " + std::to_string(s);
  if (plan.NullRecord) text += ", no record";
  return text + ", answer " + kAnswer[int(plan.Answer)];
}

BOOL CALLBACK CountWindow(HWND window, LPARAM param) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process == GetCurrentProcessId()) ++*reinterpret_cast<int*>(param);
  return TRUE;
}

int CountWindows() {
  int count = 0;
  EnumWindows(CountWindow, reinterpret_cast<LPARAM>(&count));
  return count;
}

// ---- Crashes and hangs ------------------------------------------------------------------

std::atomic<long> gRecord{0};
std::uint64_t gSeed = 1;

void PrintReplay(long record) {
  std::printf("  replay: --fuzz-records 1 --fuzz-first %ld --seed %llu\n", record,
              static_cast<unsigned long long>(gSeed));
  std::fflush(stdout);
}

LONG CALLBACK OnException(EXCEPTION_POINTERS* info) {
  const EXCEPTION_RECORD* e = info->ExceptionRecord;
  if (e->ExceptionCode != EXCEPTION_ACCESS_VIOLATION || e->NumberParameters < 2) return EXCEPTION_CONTINUE_SEARCH;
  const void* address = reinterpret_cast<const void*>(e->ExceptionInformation[1]);
  if (gHost == nullptr || !gHost->InGuardPage(address)) return EXCEPTION_CONTINUE_SEARCH;
  std::printf("record %ld: %s outside a block at %p\n", gRecord.load(),
              e->ExceptionInformation[0] ? "write" : "read", address);
  PrintReplay(gRecord.load());
  ExitProcess(3);
}

LONG WINAPI OnUnhandled(EXCEPTION_POINTERS* info) {
  std::printf("record %ld: crash, exception %08lx at %p\n", gRecord.load(),
              static_cast<unsigned long>(info->ExceptionRecord->ExceptionCode),
              info->ExceptionRecord->ExceptionAddress);
  PrintReplay(gRecord.load());
  ExitProcess(3);
}

// Ends the process when one record takes far longer than any run can.
class TRecordTimer {
 public:
  TRecordTimer() : FThread([this] { Watch(); }) {}
  ~TRecordTimer() {
    FStop = true;
    FThread.join();
  }
  void Restart() { FStarted = GetTickCount64(); }

 private:
  void Watch() {
    while (!FStop) {
      Sleep(200);
      if (GetTickCount64() - FStarted > kRecordTimeoutMs) {
        std::printf("record %ld: did not finish within %u s\n", gRecord.load(), kRecordTimeoutMs / 1000);
        PrintReplay(gRecord.load());
        ExitProcess(4);
      }
    }
  }
  std::atomic<bool> FStop{false};
  std::atomic<ULONGLONG> FStarted{GetTickCount64()};
  std::thread FThread;
};

// ---- Running a record -------------------------------------------------------------------

bool KnownResult(int16 code, const std::set<int16>& advanceCodes) {
  return code == noErr || code == memFullErr || code == userCanceledErr || code == filterBadParameters ||
         code == filterBadMode || advanceCodes.count(code) != 0;
}

struct TSummary {
  long Records = 0, Failed = 0, Dialogs = 0;
  std::map<int16, long> StartResults;
};

bool AnyRectNonEmpty(const FilterRecord& r) {
  auto nonEmpty = [](const Rect& x) { return x.right > x.left && x.bottom > x.top; };
  return nonEmpty(r.inRect) || nonEmpty(r.outRect) || nonEmpty(r.maskRect);
}

std::vector<std::string> RunRecord(TPluginModule& plugin, const TPlan& plan, TChoice& choice, TSummary& summary,
                                   TDialogAnswerer& answerer) {
  TFuzzHost::gAtEnd = choice.Chance(0.5);
  TFuzzHost host(plan, choice);
  answerer.SetAnswer(plan.Answer);
  const long dialogsBefore = answerer.Dialogs();
  auto call = [&](int16 selector) {
    THostImageFile before;
    if (selector == filterSelectorStart) before = host.Image();
    const int16 result = plugin.Call(selector, plan.NullRecord ? nullptr : &host.Record());
    if (result == kUntouchedResult)
      host.Fault("selector " + std::to_string(selector) + " left the result unwritten");
    else if (!KnownResult(result, host.AdvanceCodes()))
      host.Fault("selector " + std::to_string(selector) + " gave the unknown result " + std::to_string(result));
    if (selector == filterSelectorStart) {
      ++summary.StartResults[result];
      if (result != noErr) {
        // The filter did not succeed: whatever it left in the output block must be the image.
        host.CommitAndRelease();
        if (host.Image().Data != before.Data) host.Fault("start gave " + std::to_string(result) + " but changed the image");
      }
    }
    return result;
  };
  if (plan.RealOrder) {
    bool ok = call(filterSelectorParameters) == noErr && call(filterSelectorPrepare) == noErr &&
              call(filterSelectorStart) == noErr;
    for (int i = 0; ok && AnyRectNonEmpty(host.Record()) && i < 50; ++i) {
      host.AdvanceState();
      ok = call(filterSelectorContinue) == noErr;
    }
    if (ok) {
      if (AnyRectNonEmpty(host.Record())) host.Fault("continue left a rectangle non-empty");
      host.AdvanceState();
      call(filterSelectorFinish);
    }
  } else {
    for (int16 selector : plan.Selectors) {
      call(selector);
      if (choice.Chance(0.3)) host.AdvanceState();
    }
  }
  host.CommitAndRelease();
  summary.Dialogs += answerer.Dialogs() - dialogsBefore;
  if (!answerer.WaitIdle()) host.Fault("a window stayed open after the plug-in returned");
  std::vector<std::string> faults = host.Faults();
  for (const std::string& error : answerer.TakeErrors()) faults.push_back("dialog: " + error);
  return faults;
}

}  // namespace

int RunFuzzRecords(TPluginModule& plugin, const TFuzzOptions& options) {
  gSeed = options.Seed;
  std::printf("fuzz: seed %llu, records %ld from %ld\n", static_cast<unsigned long long>(options.Seed),
              options.Records, options.First);
  std::fflush(stdout);
  AddVectoredExceptionHandler(1, OnException);
  SetUnhandledExceptionFilter(OnUnhandled);
  TSummary summary;
  TDialogAnswerer answerer;
  TRecordTimer timer;
  for (long k = options.First; k < options.First + options.Records; ++k) {
    gRecord = k;
    timer.Restart();
    TChoice choice(RecordSeed(options.Seed, k));
    const TPlan plan = RandomPlan(choice);
    if (options.Trace) {
      std::printf("record %ld: %s [windows %d, gdi %lu, user %lu]\n", k, Describe(plan).c_str(), CountWindows(),
                  GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS),
                  GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS));
      std::fflush(stdout);
    }
    const std::vector<std::string> faults = RunRecord(plugin, plan, choice, summary, answerer);
    ++summary.Records;
    if (!faults.empty()) {
      ++summary.Failed;
      std::printf("record %ld (%s):\n", k, Describe(plan).c_str());
      for (const std::string& fault : faults) std::printf("  %s\n", fault.c_str());
      PrintReplay(k);
    }
  }
  std::printf("fuzz: %ld records, %ld dialogs answered, %ld failed; start results:", summary.Records,
              summary.Dialogs, summary.Failed);
  for (const auto& entry : summary.StartResults) std::printf(" %d x%ld", entry.first, entry.second);
  std::printf("\n");
  std::fflush(stdout);
  return summary.Failed == 0 ? 0 : 1;
}
