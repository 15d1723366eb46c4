// The test host's core: a loaded filter module, the host side of the FilterRecord with
// advanceState, and a run of the selectors in the order real hosts use.
#pragma once

#include <windows.h>

#include "ImageFile.h"
#include "framework/PSFilter.h"

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
  // Calls PluginMain; the result slot is preset to a value no plug-in returns, so that a
  // plug-in that leaves it alone can be told from one that writes 0.
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
  Error, // returns memFullErr and hands out no blocks
  Null,  // returns noErr but hands out no blocks
};

// The rectangles and planes of the record at one moment.
struct TRecordState
{
  Rect InRect{}, OutRect{}, MaskRect{};
  int16 InLoPlane = 0, InHiPlane = 0, OutLoPlane = 0, OutHiPlane = 0;
};

// The host side of one filter run on an image: the record and the blocks it hands out.
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

  FilterRecord& Record() { return FRecord; }
  // Row padding in bytes of the input and output blocks (their strides may then differ).
  void SetPadding(int inPadBytes, int outPadBytes);
  void SetAdvanceFault(TAdvanceFault fault) { FFault = fault; }
  // Appends the host's events (selectors, advanceState) to this file.
  void SetEventLog(const std::string& path) { FEventLog = path; }

  // The host's advanceState: commits the output block handed out last into the image, then
  // hands out new blocks for the current rectangles and planes (output pre-filled with a
  // copy of the source).
  OSErr AdvanceState();

  TRecordState State() const;
  int AdvanceStateCalls() const { return FAdvanceStateCalls; }
  // False once a plug-in wrote into the input block, into an output row's padding or past
  // the end of the output block.
  bool InputUntouched() const { return FInputUntouched; }
  bool OutputGuardsIntact() const { return FOutputGuardsIntact; }
  // The image with every committed output block.
  const THostImageFile& Image() const { return FImage; }
  void LogEvent(const std::string& line) const;

private:
  struct TBlock
  {
    std::vector<uint8_t> Bytes; // rows at Stride, then kGuardBytes guard bytes
    Rect Area{};
    int16 LoPlane = 0, HiPlane = 0;
    int32 Stride = 0;
    size_t RowLength = 0;
  };
  // noErr, filterBadParameters for an area or planes outside the image, memFullErr when the
  // block cannot be allocated.
  OSErr MakeBlock(const Rect& area, int16 loPlane, int16 hiPlane, int padBytes, TBlock& block);
  // The block's samples as the image holds them, its padding and guard as handed out.
  bool BlockAsHandedOut(const TBlock& block) const;
  // The byte offsets in the image and in the block of the block's pixel (x, y).
  size_t ImageOffset(const TBlock& block, int x, int y) const;
  static size_t BlockOffset(const TBlock& block, int x, int y, size_t pixelBytes);
  void CheckAndCommit();

  THostImageFile FImage;
  FilterRecord FRecord{};
  PlatformData FPlatformData{};
  int FInPad = 0, FOutPad = 0;
  TAdvanceFault FFault = TAdvanceFault::None;
  std::string FEventLog;
  TBlock FIn, FOut;
  bool FInHanded = false, FOutHanded = false;
  int FAdvanceStateCalls = 0;
  bool FInputUntouched = true;
  bool FOutputGuardsIntact = true;
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
};

// A run as real hosts make it: parameters, prepare, start, then advanceState and continue
// while any rectangle is non-empty, a last advanceState, finish. A failing selector ends the
// run at once.
TRunReport RunFilter(TPluginModule& plugin, TFilterHost& host);

// Calls exactly these selectors, in order, with the host's record.
TRunReport RunSelectors(TPluginModule& plugin, TFilterHost& host,
                        const std::vector<int16>& selectors);

std::string RectText(const Rect& rect);
