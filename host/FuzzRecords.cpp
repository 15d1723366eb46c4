#include "FuzzRecords.h"

#include "DialogAnswerer.h"
#include "SeededChoice.h"
#include "WaitFactor.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <map>
#include <thread>
#include <vector>

namespace {

constexpr unsigned kRecordTimeoutMs = 180000;

// ---- One record's plan ------------------------------------------------------------------

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
  std::vector<TAdvanceFault> Advance;  // per call; the last one repeats
  bool NoAdvanceCallback = false;
  bool RealOrder = true;
  std::vector<int16> Selectors;   // when not in the real order
  TAnswer Answer = TAnswer::Cancel;
  bool NullRecord = false;
};

THostImageFile RandomImage(const TPlan& plan, TSeededChoice& choice) {
  THostImageFile image;
  image.Allocate(plan.Width, plan.Height, plan.Channels, plan.Depth);
  for (uint8_t& b : image.Data) b = choice.Byte();
  if (plan.Depth == 32)  // now and then a NaN, an infinity or a huge sample
    for (size_t i = 0; i + 4 <= image.Data.size(); i += 4) {
      static const uint32_t kSpecial[] = {0x7fc00000u, 0x7f800000u, 0xff800000u, 0x00000001u, 0x7f7fffffu};
      const float v = static_cast<float>(choice.Int(-100, 1200)) / 1000.0f;
      if (choice.Chance(0.1))
        std::memcpy(&image.Data[i], &kSpecial[choice.Int(0, 4)], 4);
      else
        std::memcpy(&image.Data[i], &v, 4);
    }
  return image;
}

// ---- Records ----------------------------------------------------------------------------

struct TModeShape {
  int16 Mode;
  int Channels, Depth;
};

TPlan RandomPlan(TSeededChoice& r) {
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
    plan.Advance.push_back(k < 6 ? TAdvanceFault::None
                                 : k == 6 ? TAdvanceFault::Error
                                          : k == 7 ? TAdvanceFault::Null : TAdvanceFault::ErrorWithBlocks);
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
  for (TAdvanceFault a : plan.Advance) text += std::string(" ") + kAdvance[int(a)];
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
  const TFilterHost* host = TFilterHost::Active();
  if (host == nullptr || !host->InGuardPage(address)) return EXCEPTION_CONTINUE_SEARCH;
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
      if (GetTickCount64() - FStarted > ScaledWaitMs(kRecordTimeoutMs)) {
        std::printf("record %ld: did not finish within %u s\n", gRecord.load(),
                    ScaledWaitMs(kRecordTimeoutMs) / 1000);
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

bool KnownResult(int16 code, const TFilterHost& host) {
  return code == noErr || code == memFullErr || code == userCanceledErr || code == filterBadParameters ||
         code == filterBadMode || host.AdvanceStateGave(code);
}

struct TSummary {
  long Records = 0, Failed = 0, Dialogs = 0;
  std::map<int16, long> StartResults;
};

std::vector<std::string> RunRecord(TPluginModule& plugin, const TPlan& plan, TSeededChoice& choice,
                                   TSummary& summary, TDialogAnswerer& answerer) {
  const bool againstEnd = choice.Chance(0.5);
  TFilterHost host(RandomImage(plan, choice), plan.Mode);
  FilterRecord& record = host.Record();
  record.imageMode = plan.Mode;  // also the modes the host would not derive, -1 among them
  record.filterRect = plan.FilterRect;
  record.inLoPlane = record.outLoPlane = plan.LoPlanes;
  if (plan.NoAdvanceCallback) record.advanceState = nullptr;
  host.SetBlockLayout({plan.Strides.InExtra, plan.Strides.OutExtra, againstEnd});
  host.SetAdvanceAnswers([&plan](int call) {
    static const OSErr kErrors[] = {memFullErr, userCanceledErr, filterBadParameters, -1, -25};
    return TAdvanceAnswer{plan.Advance[std::min(size_t(call - 1), plan.Advance.size() - 1)], kErrors[call % 5]};
  });
  answerer.SetAnswer(plan.Answer);
  const long dialogsBefore = answerer.Dialogs();

  std::vector<std::string> faults;
  THostImageFile before;
  TRunOptions options;
  options.MaxContinues = 50;
  options.NullRecord = plan.NullRecord;
  options.BeforeCall = [&](int16 selector) {
    if (selector == filterSelectorStart) before = host.Image();
  };
  options.AfterCall = [&](int16 selector, int16 result) {
    if (result == kUntouchedResult)
      faults.push_back("selector " + std::to_string(selector) + " left the result unwritten");
    else if (!KnownResult(result, host))
      faults.push_back("selector " + std::to_string(selector) + " gave the unknown result " + std::to_string(result));
    if (selector == filterSelectorStart) {
      ++summary.StartResults[result];
      if (result != noErr) {
        // The filter did not succeed: whatever it left in the output block must be the image.
        host.CheckAndCommit();
        if (host.Image().Data != before.Data) faults.push_back("start gave " + std::to_string(result) + " but changed the image");
      }
    }
    // A host may call advanceState between selectors of its own accord.
    if (!plan.RealOrder && choice.Chance(0.3)) host.AdvanceState();
  };
  if (plan.RealOrder) {
    if (RunFilter(plugin, host, options).ContinuesExhausted) faults.push_back("continue left a rectangle non-empty");
  } else {
    RunSelectors(plugin, host, plan.Selectors, options);
  }
  host.CheckAndCommit();
  summary.Dialogs += answerer.Dialogs() - dialogsBefore;
  if (!answerer.WaitIdle()) faults.push_back("a window stayed open after the plug-in returned");
  faults.insert(faults.end(), host.Faults().begin(), host.Faults().end());
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
    TSeededChoice choice(options.Seed, k);
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
