// The start handler shared by every plug-in library, parameterised by a policy and a dialog.
#pragma once

#include "PSFilter.h"

#include <functional>
#include <memory>

// <windows.h> defines LoadImage as a macro for its LoadImageA/W, which would rename the dialogs'
// method. This header does not include it; it and every dialog header that names the method
// drop the macro after their own includes (the dialog headers include <windows.h> through
// platform/, and a second include defines nothing), so the name holds whatever the order of
// includes. Units call the Win32 function as LoadImageA or LoadImageW.
#undef LoadImage

// How one library's start handler differs from the others.
struct TStartPolicy
{
  bool ZeroLowPlanes;       // inLoPlane and outLoPlane := 0 right after the mode check
  bool SizeWarning;         // ShowSizeWarning before the dialog is created
  bool LoadImageBeforeShow; // the handler calls the dialog's LoadImage before ShowModal
  bool AlwaysCancel;        // the result is userCanceledErr whatever the modal result
  bool SecondAdvanceState;  // advanceState once more after the dialog is destroyed
};

constexpr TStartPolicy kLucyRichardsonStart = {false, true, true, false, true};
constexpr TStartPolicy kMaximumEntropyStart = {false, true, true, false, true};
constexpr TStartPolicy kDDPStart = {true, false, false, false, true};
constexpr TStartPolicy kStatisticsStart = {true, false, false, true, false};

// What a start handler needs of its plug-in's dialog. The dialog is created without an owner;
// SetImage only stores the host image; a modal result of kModalResultCancel means the user
// cancelled, any other means a processing dialog has written its result into OutData, using
// RowBytes as the row stride of every block it reads or writes.
class THostDialog
{
public:
  virtual ~THostDialog() = default;
  virtual void SetImage(void* InData, void* OutData, uint8 BitDepth, int32 ImageWidth,
                        int32 ImageHeight, bool IsGray, int32 RowBytes) = 0;
  // Converts the host block for display; called only under a LoadImageBeforeShow policy.
  virtual void LoadImage() {}
  virtual int ShowModal() = 0;
};

constexpr int kModalResultCancel = 2;

using TDialogFactory = std::function<std::unique_ptr<THostDialog>()>;

// The start protocol on gFilterRecord: mode check, planes and rectangles, advanceState, the
// dialog, the result policy. Returns the host result code. Refuses a record without pixels
// (empty filter rectangle, null blocks, strides shorter than a row or, for the input block, not
// in whole samples) with filterBadParameters,
// or with the host's own code when advanceState reported one.
int16 RunStartHandler(const TStartPolicy& policy, const TDialogFactory& createDialog);
