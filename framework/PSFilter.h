// The host's filter parameter block (FilterRecord) and the filter selectors.
#pragma once

#include "PSTypes.h"

#include <cstddef>
#include <cstdint>

// Selectors passed to PluginMain.
constexpr int16 filterSelectorAbout = 0;
constexpr int16 filterSelectorParameters = 1;
constexpr int16 filterSelectorPrepare = 2;
constexpr int16 filterSelectorStart = 3;
constexpr int16 filterSelectorContinue = 4;
constexpr int16 filterSelectorFinish = 5;

typedef Boolean (*TestAbortProc)(void);
typedef void (*ProgressProc)(int32 done, int32 total);
typedef OSErr (*AdvanceStateProc)(void);
typedef void* HostProcPtr;

#pragma pack(push, 4)

// Ten Fixed values describing the host's monitor; never read by the plug-ins.
struct PSMonitor
{
  Fixed values[10];
};

// Field order and types give the published 32-bit layout (the offsets are pinned below).
// The 64-bit build, used only for testing, gets the natural 64-bit layout of the same
// declaration; host and plug-in there are both ours.
struct FilterRecord
{
  int32 serialNumber;
  TestAbortProc abortProc;
  ProgressProc progressProc;
  Handle parameters;
  Point imageSize;
  int16 planes;
  Rect filterRect;
  RGBColor background;
  RGBColor foreground;
  int32 maxSpace;
  int32 bufferSpace;
  Rect inRect;
  int16 inLoPlane;
  int16 inHiPlane;
  Rect outRect;
  int16 outLoPlane;
  int16 outHiPlane;
  void* inData;
  int32 inRowBytes;
  void* outData;
  int32 outRowBytes;
  Boolean isFloating;
  Boolean haveMask;
  Boolean autoMask;
  Rect maskRect;
  void* maskData;
  int32 maskRowBytes;
  FilterColor backColor;
  FilterColor foreColor;
  OSType hostSig;
  HostProcPtr hostProc;
  int16 imageMode;
  Fixed imageHRes;
  Fixed imageVRes;
  Point floatCoord;
  Point wholeSize;
  PSMonitor monitor;
  PlatformData* platformData;
  void* bufferProcs;
  void* resourceProcs;
  void* processEvent;
  void* displayPixels;
  void* handleProcs;
  Boolean supportsDummyChannels;
  Boolean supportsAlternateLayouts;
  int16 wantLayout;
  int16 filterCase;
  int16 dummyPlaneValue;
  void* premiereHook;
  AdvanceStateProc advanceState;
  Boolean supportsAbsolute;
  Boolean wantsAbsolute;
  void* getPropertyObsolete;
  Boolean cannotUndo;
  Boolean supportsPadding;
  int16 inputPadding;
  int16 outputPadding;
  int16 maskPadding;
  char samplingSupport;
  char reservedByte;
  Fixed inputRate;
  Fixed maskRate;
  void* colorServices;
  int16 inLayerPlanes;
  int16 inTransparencyMask;
  int16 inLayerMasks;
  int16 inInvertedLayerMasks;
  int16 inNonLayerPlanes;
  int16 outLayerPlanes;
  int16 outTransparencyMask;
  int16 outLayerMasks;
  int16 outInvertedLayerMasks;
  int16 outNonLayerPlanes;
  int16 absLayerPlanes;
  int16 absTransparencyMask;
  int16 absLayerMasks;
  int16 absInvertedLayerMasks;
  int16 absNonLayerPlanes;
  int16 inPreDummyPlanes;
  int16 inPostDummyPlanes;
  int16 outPreDummyPlanes;
  int16 outPostDummyPlanes;
  int32 inColumnBytes;
  int32 inPlaneBytes;
  int32 outColumnBytes;
  int32 outPlaneBytes;
  // Later interface versions (services, tiles, descriptors, depth, colour profile) and the
  // reserved tail; the plug-ins never touch them, hosts zero them.
  char laterFields[136];
};

#pragma pack(pop)

typedef FilterRecord* FilterRecordPtr;

// Pinned for 32-bit builds; the 64-bit (test) and native builds use the natural layout.
#if INTPTR_MAX == INT32_MAX
static_assert(offsetof(FilterRecord, parameters) == 12, "parameters");
static_assert(offsetof(FilterRecord, imageSize) == 16, "imageSize");
static_assert(offsetof(FilterRecord, planes) == 20, "planes");
static_assert(offsetof(FilterRecord, filterRect) == 22, "filterRect");
static_assert(offsetof(FilterRecord, maxSpace) == 44, "maxSpace");
static_assert(offsetof(FilterRecord, inRect) == 52, "inRect");
static_assert(offsetof(FilterRecord, inLoPlane) == 60, "inLoPlane");
static_assert(offsetof(FilterRecord, inHiPlane) == 62, "inHiPlane");
static_assert(offsetof(FilterRecord, outRect) == 64, "outRect");
static_assert(offsetof(FilterRecord, outLoPlane) == 72, "outLoPlane");
static_assert(offsetof(FilterRecord, outHiPlane) == 74, "outHiPlane");
static_assert(offsetof(FilterRecord, inData) == 76, "inData");
static_assert(offsetof(FilterRecord, inRowBytes) == 80, "inRowBytes");
static_assert(offsetof(FilterRecord, outData) == 84, "outData");
static_assert(offsetof(FilterRecord, outRowBytes) == 88, "outRowBytes");
static_assert(offsetof(FilterRecord, isFloating) == 92, "isFloating");
static_assert(offsetof(FilterRecord, maskRect) == 96, "maskRect");
static_assert(offsetof(FilterRecord, maskData) == 104, "maskData");
static_assert(offsetof(FilterRecord, hostSig) == 120, "hostSig");
static_assert(offsetof(FilterRecord, imageMode) == 128, "imageMode");
static_assert(offsetof(FilterRecord, imageHRes) == 132, "imageHRes");
static_assert(offsetof(FilterRecord, monitor) == 148, "monitor");
static_assert(offsetof(FilterRecord, platformData) == 188, "platformData");
static_assert(offsetof(FilterRecord, handleProcs) == 208, "handleProcs");
static_assert(offsetof(FilterRecord, wantLayout) == 214, "wantLayout");
static_assert(offsetof(FilterRecord, filterCase) == 216, "filterCase");
static_assert(offsetof(FilterRecord, premiereHook) == 220, "premiereHook");
static_assert(offsetof(FilterRecord, advanceState) == 224, "advanceState");
static_assert(offsetof(FilterRecord, supportsAbsolute) == 228, "supportsAbsolute");
static_assert(offsetof(FilterRecord, getPropertyObsolete) == 232, "getPropertyObsolete");
static_assert(offsetof(FilterRecord, cannotUndo) == 236, "cannotUndo");
static_assert(offsetof(FilterRecord, inputPadding) == 238, "inputPadding");
static_assert(offsetof(FilterRecord, samplingSupport) == 244, "samplingSupport");
static_assert(offsetof(FilterRecord, inputRate) == 248, "inputRate");
static_assert(offsetof(FilterRecord, colorServices) == 256, "colorServices");
static_assert(offsetof(FilterRecord, inLayerPlanes) == 260, "inLayerPlanes");
static_assert(offsetof(FilterRecord, outPostDummyPlanes) == 296, "outPostDummyPlanes");
static_assert(offsetof(FilterRecord, inColumnBytes) == 300, "inColumnBytes");
static_assert(offsetof(FilterRecord, outPlaneBytes) == 312, "outPlaneBytes");
static_assert(offsetof(FilterRecord, laterFields) == 316, "laterFields");
static_assert(sizeof(FilterRecord) == 452, "FilterRecord size");
#endif
