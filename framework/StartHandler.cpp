#include "StartHandler.h"

#include "PluginMain.h"
#include "helper.h"

#include <cstring>
#include <vector>

namespace
{

struct TModeInfo
{
  bool Accepted;
  uint8 BitDepth;
  bool IsGray;
};

TModeInfo ModeInfo(int16 imageMode)
{
  switch (imageMode)
  {
  case plugInModeGrayScale: return {true, 8, true};
  case plugInModeRGBColor: return {true, 8, false};
  case plugInModeGray16: return {true, 16, true};
  case plugInModeRGB48: return {true, 16, false};
  case plugInModeRGB96: return {true, 32, false};
  case plugInModeGray32: return {true, 32, true};
  default: return {false, 0, false};
  }
}

int32 Width(const Rect& rect) { return int32(rect.right) - int32(rect.left); }
int32 Height(const Rect& rect) { return int32(rect.bottom) - int32(rect.top); }

// Copies rowBytes bytes of each of height rows between blocks of different strides.
void CopyRows(const uint8* source, intptr_t sourceStride, uint8* target, intptr_t targetStride,
              size_t rowBytes, int32 height)
{
  for (int32 y = 0; y < height; ++y)
    std::memcpy(target + y * targetStride, source + y * sourceStride, rowBytes);
}

} // namespace

int16 RunStartHandler(const TStartPolicy& policy, const TDialogFactory& createDialog)
{
  FilterRecord* record = gFilterRecord;
  if (record == nullptr)
    return filterBadParameters;
  const TModeInfo mode = ModeInfo(record->imageMode);
  if (!mode.Accepted)
    return filterBadMode;
  // A rectangle without pixels is refused before anything is requested from the host.
  if (Width(record->filterRect) <= 0 || Height(record->filterRect) <= 0 ||
      record->advanceState == nullptr)
    return filterBadParameters;

  if (policy.ZeroLowPlanes)
  {
    record->inLoPlane = 0;
    record->outLoPlane = 0;
  }
  const int16 hiPlane = mode.IsGray ? 0 : 2;
  record->inHiPlane = hiPlane;
  record->outHiPlane = hiPlane;
  record->inRect = record->filterRect;
  record->outRect = record->inRect;

  const OSErr advanceResult = record->advanceState();
  if (record->inData == nullptr || record->outData == nullptr)
    return advanceResult != noErr ? advanceResult : filterBadParameters;

  const int32 imageWidth = Width(record->inRect);
  const int32 imageHeight = Height(record->inRect);
  const int32 inRowBytes = record->inRowBytes;
  const int32 outRowBytes = record->outRowBytes;
  // The dialogs read and write whole rows of interleaved samples at inRowBytes; a shorter
  // stride would make them run past the end of a block.
  const size_t rowBytes =
      size_t(imageWidth > 0 ? imageWidth : 0) * (mode.IsGray ? 1 : 3) * (mode.BitDepth / 8);
  const bool staged = outRowBytes != inRowBytes;
  // The dialogs' stride must be whole samples: the conversions round a partial sample of
  // padding away, which would put every row after the first at the wrong place in the host's
  // block. The output stride is only used by the byte-exact staging copy.
  const int32 sampleBytes = mode.BitDepth / 8;
  if (imageWidth <= 0 || imageHeight <= 0 || inRowBytes < 0 || size_t(inRowBytes) < rowBytes ||
      inRowBytes % sampleBytes != 0 ||
      (staged && (outRowBytes < 0 || size_t(outRowBytes) < rowBytes)))
    return filterBadParameters;

  if (policy.SizeWarning)
    ShowSizeWarning(imageWidth, imageHeight);

  // The dialogs write the output block at the input stride. When the host's output stride
  // differs they get a staging block with the input stride, copied into the host's block
  // row by row after an OK.
  uint8* const hostOut = static_cast<uint8*>(record->outData);
  std::vector<uint8> staging;
  if (staged)
  {
    staging.resize(size_t(inRowBytes) * size_t(imageHeight));
    CopyRows(hostOut, outRowBytes, staging.data(), inRowBytes, rowBytes, imageHeight);
  }
  void* const dialogOut = staged ? static_cast<void*>(staging.data()) : record->outData;

  int modalResult;
  {
    std::unique_ptr<THostDialog> dialog = createDialog();
    dialog->SetImage(record->inData, dialogOut, mode.BitDepth, imageWidth, imageHeight,
                     mode.IsGray, inRowBytes);
    if (policy.LoadImageBeforeShow)
      dialog->LoadImage();
    modalResult = dialog->ShowModal();
  }

  const int16 result =
      policy.AlwaysCancel || modalResult == kModalResultCancel ? userCanceledErr : noErr;
  if (result == noErr && staged)
    CopyRows(staging.data(), inRowBytes, hostOut, outRowBytes, rowBytes, imageHeight);
  if (policy.SecondAdvanceState)
    record->advanceState();
  return result;
}
