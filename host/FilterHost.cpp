#include "FilterHost.h"

// TPEImage::FindResource, not the Win32 macro of that name.
#undef FindResource
#include "PEImage.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <utility>
#include <xmmintrin.h>

namespace
{

// advanceState takes no arguments, so the host of the run in progress is found here. The
// host calls plug-ins on one thread only.
TFilterHost* gActiveHost = nullptr;

OSErr AdvanceStateCallback() { return gActiveHost ? gActiveHost->AdvanceState() : filterBadParameters; }

bool Empty(const Rect& rect) { return rect.right <= rect.left || rect.bottom <= rect.top; }

std::string PropertyString(const TPiplProperty& property, bool lengthPrefixed)
{
  const std::vector<uint8_t>& data = property.Data;
  if (lengthPrefixed)
  {
    if (data.empty() || data[0] == 0 || size_t(data[0]) > data.size())
      return std::string();
    return std::string(data.begin() + 1, data.begin() + data[0]);
  }
  return std::string(reinterpret_cast<const char*>(data.data()),
                     strnlen(reinterpret_cast<const char*>(data.data()), data.size()));
}

uint32_t ReadLE32(const std::vector<uint8_t>& data)
{
  return data.size() < 4 ? 0
                         : uint32_t(data[0]) | uint32_t(data[1]) << 8 | uint32_t(data[2]) << 16 |
                               uint32_t(data[3]) << 24;
}

uint16_t X87ControlWord()
{
  uint16_t word = 0;
  asm volatile("fnstcw %0" : "=m"(word));
  return word;
}

void SetX87ControlWord(uint16_t word) { asm volatile("fldcw %0" : : "m"(word)); }

// The precision control field of the x87 control word: 00 single, 10 double, 11 extended.
uint16_t WithX87Precision(uint16_t word, int bits)
{
  const uint16_t field = bits == 24 ? 0x0000 : bits == 53 ? 0x0200 : 0x0300;
  return uint16_t((word & ~0x0300) | field);
}

} // namespace

#if defined(__i386__)
// CallWithStackAlignedTo4(entry, selector, record, data, result) calls entry(selector, record,
// data, result) with the stack pointer 4 bytes off a multiple of 16 at the call instruction, as
// a host that keeps only the 4-byte alignment the 32-bit calling convention promises may.
extern "C" void CallWithStackAlignedTo4(PluginMainProc entry, int selector, void* record,
                                        intptr_t* data, int16* result);
asm(".text\n"
    ".globl _CallWithStackAlignedTo4\n"
    "_CallWithStackAlignedTo4:\n"
    "  pushl %ebp\n"
    "  movl %esp, %ebp\n"
    "  andl $-16, %esp\n"
    "  subl $12, %esp\n" // 4 mod 16, and the four arguments keep it so
    "  pushl 24(%ebp)\n"
    "  pushl 20(%ebp)\n"
    "  pushl 16(%ebp)\n"
    "  pushl 12(%ebp)\n"
    "  call *8(%ebp)\n"
    "  movl %ebp, %esp\n"
    "  popl %ebp\n"
    "  ret\n");
#endif

std::string RectText(const Rect& rect)
{
  char text[64];
  std::snprintf(text, sizeof text, "%d %d %d %d", rect.top, rect.left, rect.bottom, rect.right);
  return text;
}

bool CheckPluginFile(const std::string& path, TPluginInfo& info, std::string& error)
{
  TPEImage image;
  if (!image.LoadFromFile(path, &error))
    return false;
  if (!image.IsDll())
  {
    error = "not a DLL";
    return false;
  }
  const auto entry = std::find_if(image.Exports.begin(), image.Exports.end(),
                                  [](const TPEExport& e) { return e.Name == "PluginMain"; });
  if (entry == image.Exports.end() || entry->Ordinal != 1)
  {
    error = "PluginMain is not exported by name with ordinal 1";
    return false;
  }

  std::vector<uint8_t> bytes;
  if (!image.FindResource(TResourceKey::FromName("PIPL"), TResourceKey::FromId(16000), 1033,
                          bytes))
  {
    error = "no PIPL resource 16000 in language 1033";
    return false;
  }
  TPropertyList list;
  if (!ParsePropertyList(bytes, list, &error))
    return false;
  bool isFilter = false, hasEntry = false;
  for (const TPiplProperty& property : list.Properties)
  {
    if (property.Length % 4 != 0)
    {
      error = "a property length is not a multiple of 4";
      return false;
    }
    if (property.Vendor != FourCC("8BIM"))
      continue;
    if (property.Key == FourCC("kind"))
      isFilter = ReadLE32(property.Data) == FourCC("8BFM");
    else if (property.Key == FourCC("name"))
      info.Name = PropertyString(property, true);
    else if (property.Key == FourCC("catg"))
      info.Category = PropertyString(property, true);
    else if (property.Key == FourCC("mode") && property.Data.size() >= 4)
      info.ModeFlags = uint32_t(property.Data[0]) << 24 | uint32_t(property.Data[1]) << 16 |
                       uint32_t(property.Data[2]) << 8 | uint32_t(property.Data[3]);
    else if (property.Key == FourCC("wx86"))
      hasEntry = PropertyString(property, false) == "PluginMain";
  }
  if (!isFilter || !hasEntry || info.Name.empty())
  {
    error = "the property list does not describe a filter module with the entry PluginMain";
    return false;
  }

  if (!image.FindResource(TResourceKey::FromId(kResourceTypeVersion), TResourceKey::FromId(1),
                          1033, bytes))
  {
    error = "no version resource";
    return false;
  }
  TVersionInfo version;
  if (!ParseVersionResource(bytes, version, &error))
    return false;
  char text[64];
  std::snprintf(text, sizeof text, "%u.%u.%u.%u", version.FileVersion[0],
                version.FileVersion[1], version.FileVersion[2], version.FileVersion[3]);
  info.FileVersion = text;
  info.ProductName = version.Strings["ProductName"];
  return true;
}

TPluginModule::~TPluginModule()
{
  if (FModule != nullptr)
    FreeLibrary(FModule);
}

bool TPluginModule::Load(const std::string& path, std::string& error)
{
  FModule = LoadLibraryA(path.c_str());
  if (FModule == nullptr)
  {
    error = "cannot load " + path + " (error " + std::to_string(GetLastError()) + ")";
    return false;
  }
  FPluginMain = reinterpret_cast<PluginMainProc>(
      reinterpret_cast<void*>(GetProcAddress(FModule, "PluginMain")));
  if (FPluginMain == nullptr)
  {
    error = "no PluginMain export";
    return false;
  }
  return true;
}

bool TPluginModule::SetCallStyle(const TCallStyle& style)
{
#if !defined(__i386__)
  if (style.StackAlignedTo4)
    return false;
#endif
  if (style.X87PrecisionBits != 0 && style.X87PrecisionBits != 24 &&
      style.X87PrecisionBits != 53 && style.X87PrecisionBits != 64)
    return false;
  FStyle = style;
  return true;
}

int16 TPluginModule::Call(int16 selector, void* record)
{
  int16 result = kUntouchedResult;
  const uint16_t hostWord = X87ControlWord();
  if (FStyle.X87PrecisionBits != 0)
    SetX87ControlWord(WithX87Precision(hostWord, FStyle.X87PrecisionBits));
  const uint16_t callWord = X87ControlWord();
  const unsigned callMxcsr = _mm_getcsr();
#if defined(__i386__)
  if (FStyle.StackAlignedTo4)
    CallWithStackAlignedTo4(FPluginMain, selector, record, &Data, &result);
  else
#endif
    FPluginMain(selector, record, &Data, &result);
  // Only the control bits count: the status flags a call raised are the host's to clear.
  if (X87ControlWord() != callWord || (_mm_getcsr() & ~0x3fu) != (callMxcsr & ~0x3fu))
    FFloatingPointRestored = false;
  SetX87ControlWord(hostWord);
  return result;
}

int16 ImageModeFor(const THostImageFile& image)
{
  const bool gray = image.Channels == 1;
  if (!gray && image.Channels != 3)
    return -1;
  switch (image.Depth)
  {
  case 8: return gray ? plugInModeGrayScale : plugInModeRGBColor;
  case 16: return gray ? plugInModeGray16 : plugInModeRGB48;
  case 32: return gray ? plugInModeGray32 : plugInModeRGB96;
  default: return -1;
  }
}

TFilterHost::TFilterHost(const THostImageFile& image, int16 imageMode)
    : TFilterHost(THostImageFile(image), imageMode)
{
}

TFilterHost::TFilterHost(THostImageFile&& image, int16 imageMode) : FImage(std::move(image))
{
  FRecord.serialNumber = 0;
  FRecord.imageSize = {int16(FImage.Height), int16(FImage.Width)};
  FRecord.planes = int16(FImage.Channels);
  FRecord.filterRect = {0, 0, int16(FImage.Height), int16(FImage.Width)};
  FRecord.maxSpace = 256 * 1024 * 1024;
  FRecord.imageMode = imageMode >= 0 ? imageMode : ImageModeFor(FImage);
  FRecord.imageHRes = FRecord.imageVRes = 72 << 16;
  FRecord.wholeSize = FRecord.imageSize;
  FRecord.platformData = &FPlatformData;
  FRecord.inHiPlane = FRecord.outHiPlane = int16(FImage.Channels - 1);
  FRecord.advanceState = &AdvanceStateCallback;
  FRecord.hostSig = 0x534b4c56; // 'SKLV'
  FRecord.isFloating = 0;
  FRecord.haveMask = 0;
  SetAdvanceFault(TAdvanceFault::None);
  gActiveHost = this;
}

TFilterHost::~TFilterHost()
{
  if (gActiveHost == this)
    gActiveHost = nullptr;
}

const TFilterHost* TFilterHost::Active() { return gActiveHost; }

void TFilterHost::SetPadding(int inPadBytes, int outPadBytes)
{
  FLayout.InExtra = std::max(0, inPadBytes);
  FLayout.OutExtra = std::max(0, outPadBytes);
}

void TFilterHost::SetAdvanceFault(TAdvanceFault fault)
{
  SetAdvanceAnswers([fault](int) { return TAdvanceAnswer{fault, memFullErr}; });
}

void TFilterHost::SetAdvanceAnswers(std::function<TAdvanceAnswer(int call)> answers)
{
  FAdvanceAnswers = std::move(answers);
}

void TFilterHost::LogEvent(const std::string& line) const
{
  if (FEventLog.empty())
    return;
  if (FILE* file = std::fopen(FEventLog.c_str(), "a"))
  {
    std::fprintf(file, "%s\n", line.c_str());
    std::fclose(file);
  }
}

TRecordState TFilterHost::State() const
{
  TRecordState state;
  state.InRect = FRecord.inRect;
  state.OutRect = FRecord.outRect;
  state.MaskRect = FRecord.maskRect;
  state.InLoPlane = FRecord.inLoPlane;
  state.InHiPlane = FRecord.inHiPlane;
  state.OutLoPlane = FRecord.outLoPlane;
  state.OutHiPlane = FRecord.outHiPlane;
  return state;
}

bool TFilterHost::InGuardPage(const void* p) const
{
  return (FIn.Memory && FIn.Memory->InGuardPage(p)) || (FOut.Memory && FOut.Memory->InGuardPage(p));
}

size_t TFilterHost::ImageOffset(const TBlock& block, int x, int y) const
{
  return size_t(block.Area.top + y) * FImage.RowBytes() +
         (size_t(block.Area.left + x) * FImage.Channels + block.LoPlane) * FImage.SampleBytes();
}

size_t TFilterHost::BlockOffset(const TBlock& block, int x, int y, size_t pixelBytes)
{
  return size_t(y) * block.Stride + size_t(x) * pixelBytes;
}

// A large image is copied and compared by rows, not by millions of pixels.
template <typename TVisit>
void TFilterHost::ForEachSpan(const TBlock& block, int y, TVisit visit) const
{
  const size_t pixelBytes = size_t(block.HiPlane - block.LoPlane + 1) * FImage.SampleBytes();
  if (block.LoPlane == 0 && block.HiPlane == FImage.Channels - 1)
    return visit(BlockOffset(block, 0, y, pixelBytes), ImageOffset(block, 0, y), block.RowLength);
  for (int x = 0; x < block.Area.right - block.Area.left; ++x)
    visit(BlockOffset(block, x, y, pixelBytes), ImageOffset(block, x, y), pixelBytes);
}

// A block of the area's planes lo..hi, interleaved, rows extraBytes longer (or shorter) than
// the samples, and exactly as long as its last row's end; the padding and the bytes beside the
// block hold kGuardByte so that stray writes show. No copy of the block is kept: the checks
// compare with the image, so that a large image needs only its two blocks.
OSErr TFilterHost::MakeBlock(const Rect& area, int16 loPlane, int16 hiPlane, int extraBytes,
                             TBlock& block)
{
  if (area.top < 0 || area.left < 0 || area.bottom > FImage.Height || area.right > FImage.Width ||
      loPlane < 0 || hiPlane < loPlane || hiPlane >= FImage.Channels)
    return filterBadParameters;
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  const size_t pixelBytes = size_t(hiPlane - loPlane + 1) * size_t(FImage.SampleBytes());
  block.Area = area;
  block.LoPlane = loPlane;
  block.HiPlane = hiPlane;
  block.RowLength = size_t(width) * pixelBytes;
  block.Stride = int32(block.RowLength) + extraBytes;
  // A stride short of a row: the block holds the rows as a host with that stride would have
  // laid them out, all guard bytes, so that a plug-in that accepts it reads past the end.
  const int64_t lastRow = block.Stride >= 0 ? int64_t(height - 1) * block.Stride : 0;
  try
  {
    block.Memory.reset(new TGuardedBlock(size_t(lastRow) + block.RowLength, FLayout.AgainstEnd,
                                         kGuardByte));
  }
  catch (const std::bad_alloc&)
  {
    // As a host out of memory answers; no exception may cross the plug-in's frames.
    return memFullErr;
  }
  if (block.Stride >= int32(block.RowLength))
    for (int y = 0; y < height; ++y)
      ForEachSpan(block, y, [&](size_t at, size_t from, size_t bytes) {
        std::memcpy(block.Memory->Data() + at, FImage.Data.data() + from, bytes);
      });
  return noErr;
}

void TFilterHost::HandOut(const Rect& area, int16 loPlane, int16 hiPlane, int extraBytes,
                          TBlock& block, void*& data, int32& rowBytes, OSErr& result)
{
  if (Empty(area))
    return;
  const OSErr made = MakeBlock(area, loPlane, hiPlane, extraBytes, block);
  if (made == noErr)
  {
    data = block.Memory->Data();
    rowBytes = block.Stride;
  }
  else if (result == noErr)
    result = made;
}

bool TFilterHost::PaddingAsHandedOut(const TBlock& block) const
{
  // The last row's padding lies beside the block, among the guard bytes.
  const uint8_t* bytes = block.Memory->Data();
  const int height = block.Area.bottom - block.Area.top;
  for (int y = 0; y + 1 < height; ++y)
    for (size_t i = block.RowLength; i < size_t(block.Stride); ++i)
      if (bytes[size_t(y) * block.Stride + i] != kGuardByte)
        return false;
  return true;
}

bool TFilterHost::BlockAsHandedOut(const TBlock& block) const
{
  const uint8_t* bytes = block.Memory->Data();
  if (block.Stride < int32(block.RowLength))
    return std::all_of(bytes, bytes + block.Memory->Size(),
                       [](uint8_t b) { return b == kGuardByte; });
  const int height = block.Area.bottom - block.Area.top;
  for (int y = 0; y < height; ++y)
  {
    bool same = true;
    ForEachSpan(block, y, [&](size_t at, size_t from, size_t count) {
      same = same && std::memcmp(bytes + at, FImage.Data.data() + from, count) == 0;
    });
    if (!same)
      return false;
  }
  return PaddingAsHandedOut(block);
}

void TFilterHost::Fault(bool& flag, const char* what)
{
  flag = false;
  FFaults.push_back(what);
}

void TFilterHost::CheckAndCommit()
{
  if (FIn.Memory)
  {
    if (!FIn.Memory->GuardsIntact())
      Fault(FInputUntouched, "wrote beside the input block");
    // Nothing has been committed since the input block was made, so the image still holds it.
    if (!BlockAsHandedOut(FIn))
      Fault(FInputUntouched, "wrote into the input block");
  }
  if (FOut.Memory)
  {
    const TBlock& out = FOut;
    if (!out.Memory->GuardsIntact())
      Fault(FOutputGuardsIntact, "wrote beside the output block");
    if (out.Stride < int32(out.RowLength))
    {
      // Rows that overlap or run backwards: such a block may only be refused.
      if (!BlockAsHandedOut(out))
        Fault(FOutputGuardsIntact, "wrote into an output block whose stride is shorter than a row");
    }
    else
    {
      if (!PaddingAsHandedOut(out))
        Fault(FOutputGuardsIntact, "wrote into the output block's row padding");
      const int height = out.Area.bottom - out.Area.top;
      for (int y = 0; y < height; ++y)
        ForEachSpan(out, y, [&](size_t at, size_t to, size_t bytes) {
          std::memcpy(FImage.Data.data() + to, out.Memory->Data() + at, bytes);
        });
    }
  }
  FIn.Memory.reset();
  FOut.Memory.reset();
  FRecord.inData = FRecord.outData = nullptr;
  FRecord.inRowBytes = FRecord.outRowBytes = 0;
}

OSErr TFilterHost::AdvanceState()
{
  ++FAdvanceStateCalls;
  LogEvent("advanceState in=" + RectText(FRecord.inRect) + " planes " +
           std::to_string(FRecord.inLoPlane) + ".." + std::to_string(FRecord.inHiPlane) +
           " out=" + RectText(FRecord.outRect) + " planes " + std::to_string(FRecord.outLoPlane) +
           ".." + std::to_string(FRecord.outHiPlane));
  CheckAndCommit();
  const TAdvanceAnswer answer = FAdvanceAnswers(FAdvanceStateCalls);
  const bool blocks =
      answer.Fault == TAdvanceFault::None || answer.Fault == TAdvanceFault::ErrorWithBlocks;
  OSErr result = answer.Fault == TAdvanceFault::None || answer.Fault == TAdvanceFault::Null
                     ? noErr
                     : answer.Error;
  if (blocks)
  {
    HandOut(FRecord.inRect, FRecord.inLoPlane, FRecord.inHiPlane, FLayout.InExtra, FIn,
            FRecord.inData, FRecord.inRowBytes, result);
    HandOut(FRecord.outRect, FRecord.outLoPlane, FRecord.outHiPlane, FLayout.OutExtra, FOut,
            FRecord.outData, FRecord.outRowBytes, result);
  }
  FAdvanceResults.insert(result);
  return result;
}

namespace
{

bool AnyRectNonEmpty(const FilterRecord& record)
{
  return !Empty(record.inRect) || !Empty(record.outRect) || !Empty(record.maskRect);
}

bool CallAndRecord(TPluginModule& plugin, TFilterHost& host, int16 selector,
                   const TRunOptions& options, TRunReport& report)
{
  host.LogEvent("selector " + std::to_string(selector));
  if (options.BeforeCall)
    options.BeforeCall(selector);
  const int16 result = plugin.Call(selector, options.NullRecord ? nullptr : &host.Record());
  host.LogEvent("result " + std::to_string(result));
  report.Calls.push_back({selector, result});
  if (selector == filterSelectorStart)
    report.AfterStart = host.State();
  report.Result = result;
  if (options.AfterCall)
    options.AfterCall(selector, result);
  return result == noErr;
}

} // namespace

TRunReport RunFilter(TPluginModule& plugin, TFilterHost& host, const TRunOptions& options)
{
  TRunReport report;
  auto call = [&](int16 selector) { return CallAndRecord(plugin, host, selector, options, report); };
  bool ok = call(filterSelectorParameters) && call(filterSelectorPrepare) &&
            call(filterSelectorStart);
  for (int i = 0; ok && AnyRectNonEmpty(host.Record()) && i < options.MaxContinues; ++i)
  {
    host.AdvanceState();
    ok = call(filterSelectorContinue);
  }
  if (ok)
  {
    report.ContinuesExhausted = AnyRectNonEmpty(host.Record());
    host.AdvanceState();
    call(filterSelectorFinish);
  }
  report.Final = host.State();
  return report;
}

TRunReport RunSelectors(TPluginModule& plugin, TFilterHost& host,
                        const std::vector<int16>& selectors, const TRunOptions& options)
{
  TRunReport report;
  for (int16 selector : selectors)
    CallAndRecord(plugin, host, selector, options, report);
  report.Final = host.State();
  return report;
}
