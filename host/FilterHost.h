// The test host's core: a loaded filter module, the host side of the FilterRecord with
// advanceState, and a run of the selectors in the order real hosts use.
#pragma once

#include <windows.h>

#include "GuardedBlock.h"
#include "ImageFile.h"
#include "framework/PSFilter.h"

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

// What the host found in a plug-in file before loading it.
struct TPluginInfo
{
  std::string Name;
  std::string Category;
  uint32_t ModeFlags = 0;
  std::string ProductName;
  std::string FileVersion; // from the fixed version information, "3.0.7.0"
};

// Checks the file as a host would: a DLL exporting PluginMain by name with ordinal 1, a
// property list (PIPL 16000, language 1033) of a filter module with the entry PluginMain,
// and a version resource. False and a reason when anything is missing or malformed.
bool CheckPluginFile(const std::string& path, TPluginInfo& info, std::string& error);

// A result no plug-in returns.
constexpr int16 kUntouchedResult = 0x5a5a;

typedef void (*PluginMainProc)(int16 selector, void* record, intptr_t* data, int16* result);

// How the host calls PluginMain. Hosts built with other compilers run with the x87 precision
// control at 53 or 24 bits, and 32-bit ones may call with the stack aligned to 4 bytes only.
struct TCallStyle
{
  int X87PrecisionBits = 0;     // 24, 53 or 64 during the call; 0 leaves the host's as it is
  bool StackAlignedTo4 = false; // 32-bit only: the stack is 4 bytes off 16 at the call
};

// A loaded filter module; unloads it when destroyed.
class TPluginModule
{
public:
  TPluginModule() = default;
  ~TPluginModule();
  TPluginModule(const TPluginModule&) = delete;
  TPluginModule& operator=(const TPluginModule&) = delete;

  bool Load(const std::string& path, std::string& error);
  // Calls PluginMain; the result slot is preset to kUntouchedResult, so that a plug-in that
  // leaves it alone can be told from one that writes 0.
  int16 Call(int16 selector, void* record);
  intptr_t Data = 0; // the host's data slot, kept between calls as a host keeps it

  // False when the style cannot be had in this build (a 4-byte stack on 64 bits).
  bool SetCallStyle(const TCallStyle& style);
  // False once a call returned with another x87 control word or MXCSR than it was made with.
  bool FloatingPointRestored() const { return FFloatingPointRestored; }

private:
  HMODULE FModule = nullptr;
  PluginMainProc FPluginMain = nullptr;
  TCallStyle FStyle;
  bool FFloatingPointRestored = true;
};

// How the host misbehaves in advanceState, for testing a plug-in's defences.
enum class TAdvanceFault
{
  None,
  Error,           // returns an error (memFullErr unless chosen) and hands out no blocks
  Null,            // returns noErr but hands out no blocks
  ErrorWithBlocks, // returns an error and hands out the blocks all the same
};

// advanceState's answer to one call.
struct TAdvanceAnswer
{
  TAdvanceFault Fault = TAdvanceFault::None;
  OSErr Error = memFullErr; // for the faults that return an error
};

// How the host lays out the blocks it hands out.
struct TBlockLayout
{
  // Bytes added to each row of the input and output blocks for their strides (which may then
  // differ); negative, taken from it, which gives a stride short of a row or below zero.
  int InExtra = 0, OutExtra = 0;
  // The block's end lies against an inaccessible page; otherwise its start does, and guard
  // bytes follow its end.
  bool AgainstEnd = false;
};

// The rectangles and planes of the record at one moment.
struct TRecordState
{
  Rect InRect{}, OutRect{}, MaskRect{};
  int16 InLoPlane = 0, InHiPlane = 0, OutLoPlane = 0, OutHiPlane = 0;
};

// The host side of one filter run on an image: the record and the blocks it hands out. A
// plain run sets a few of its fields; the fuzz mode varies the record, the blocks' layout and
// advanceState's answers.
class TFilterHost
{
public:
  // imageMode < 0: derived from the image (gray/RGB, 8/16/32 bits).
  TFilterHost(const THostImageFile& image, int16 imageMode = -1);
  // Takes the image over instead of copying it, for images near the address-space limit.
  TFilterHost(THostImageFile&& image, int16 imageMode = -1);
  ~TFilterHost();
  TFilterHost(const TFilterHost&) = delete;
  TFilterHost& operator=(const TFilterHost&) = delete;

  // The host of the run in progress (the last one made and not yet destroyed), or nullptr.
  static const TFilterHost* Active();

  FilterRecord& Record() { return FRecord; }
  // Row padding in bytes of the input and output blocks (their strides may then differ);
  // negative values count as 0.
  void SetPadding(int inPadBytes, int outPadBytes);
  void SetBlockLayout(const TBlockLayout& layout) { FLayout = layout; }
  // The same fault on every call, with memFullErr.
  void SetAdvanceFault(TAdvanceFault fault);
  // An answer for each call, numbered from 1.
  void SetAdvanceAnswers(std::function<TAdvanceAnswer(int call)> answers);
  // Appends the host's events (selectors, advanceState) to this file.
  void SetEventLog(const std::string& path) { FEventLog = path; }

  // The host's advanceState: takes back the blocks handed out last (CheckAndCommit), then
  // hands out new blocks for the current rectangles and planes (output pre-filled with a
  // copy of the source).
  OSErr AdvanceState();
  // As a host does at the next advanceState or when the filter ends: checks the blocks handed
  // out, copies the output block into the image and takes both back.
  void CheckAndCommit();

  TRecordState State() const;
  int AdvanceStateCalls() const { return FAdvanceStateCalls; }
  // True when advanceState has returned this code.
  bool AdvanceStateGave(OSErr code) const { return FAdvanceResults.count(code) != 0; }
  // False once a plug-in wrote into the input block or beside it, into an output row's
  // padding, beside the output block, or into an output block whose stride is short of a row.
  bool InputUntouched() const { return FInputUntouched; }
  bool OutputGuardsIntact() const { return FOutputGuardsIntact; }
  // Each of those writes, in words, as the checks found them.
  const std::vector<std::string>& Faults() const { return FFaults; }
  // True for an address in an inaccessible page beside a block handed out.
  bool InGuardPage(const void* p) const;
  // The image with every committed output block.
  const THostImageFile& Image() const { return FImage; }
  void LogEvent(const std::string& line) const;

private:
  struct TBlock
  {
    std::unique_ptr<TGuardedBlock> Memory; // rows at Stride up to the last row's end
    Rect Area{};
    int16 LoPlane = 0, HiPlane = 0;
    int32 Stride = 0;
    size_t RowLength = 0;
  };
  // noErr, filterBadParameters for an area or planes outside the image, memFullErr when the
  // block cannot be allocated.
  OSErr MakeBlock(const Rect& area, int16 loPlane, int16 hiPlane, int extraBytes, TBlock& block);
  // Makes the block for a non-empty area and points the record's data and row bytes at it;
  // result keeps its first error.
  void HandOut(const Rect& area, int16 loPlane, int16 hiPlane, int extraBytes, TBlock& block,
               void*& data, int32& rowBytes, OSErr& result);
  // The block's samples as the image holds them and its rows' padding as handed out; a block
  // whose stride is short of a row holds no samples and must be all guard bytes still.
  bool BlockAsHandedOut(const TBlock& block) const;
  bool PaddingAsHandedOut(const TBlock& block) const;
  // The byte offsets in the image and in the block of the block's pixel (x, y).
  size_t ImageOffset(const TBlock& block, int x, int y) const;
  static size_t BlockOffset(const TBlock& block, int x, int y, size_t pixelBytes);
  // Calls visit(block offset, image offset, bytes) for the pieces of the block's row y that lie
  // side by side in both: the whole row when the block holds every plane, else each pixel.
  template <typename TVisit>
  void ForEachSpan(const TBlock& block, int y, TVisit visit) const;
  void Fault(bool& flag, const char* what);

  THostImageFile FImage;
  FilterRecord FRecord{};
  PlatformData FPlatformData{};
  TBlockLayout FLayout;
  std::function<TAdvanceAnswer(int call)> FAdvanceAnswers;
  std::string FEventLog;
  TBlock FIn, FOut;
  int FAdvanceStateCalls = 0;
  std::set<OSErr> FAdvanceResults;
  bool FInputUntouched = true;
  bool FOutputGuardsIntact = true;
  std::vector<std::string> FFaults;
};

// The image mode for an image: 1/3 for 8 bits, 10/11 for 16, 17/16 for 32; -1 if none fits.
int16 ImageModeFor(const THostImageFile& image);

struct TSelectorCall
{
  int16 Selector;
  int16 Result;
};

struct TRunReport
{
  std::vector<TSelectorCall> Calls;
  int16 Result = 0;        // of start, or of the first call that failed
  TRecordState AfterStart; // as start left the record
  TRecordState Final;
  bool ContinuesExhausted = false; // the host stopped calling continue with a rectangle left
};

// What a run may vary beyond the host's record and blocks.
struct TRunOptions
{
  // Continue ends when every rectangle is empty; a plug-in that never empties them would keep
  // a real host asking for ever, so the test host gives up after this many calls.
  int MaxContinues = 1000;
  bool NullRecord = false; // the plug-in gets a null record pointer
  // Called around each selector call, for checks of the run's own.
  std::function<void(int16 selector)> BeforeCall;
  std::function<void(int16 selector, int16 result)> AfterCall;
};

// A run as real hosts make it: parameters, prepare, start, then advanceState and continue
// while any rectangle is non-empty, a last advanceState, finish. A failing selector ends the
// run at once.
TRunReport RunFilter(TPluginModule& plugin, TFilterHost& host, const TRunOptions& options = {});

// Calls exactly these selectors, in order, with the host's record.
TRunReport RunSelectors(TPluginModule& plugin, TFilterHost& host,
                        const std::vector<int16>& selectors, const TRunOptions& options = {});

std::string RectText(const Rect& rect);
