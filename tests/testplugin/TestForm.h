// The test plug-in's dialog: shows the host image it was given and, on OK, writes the inverted
// samples into the output block, so a host can see what was written and where.
#pragma once

#include "framework/StartHandler.h"
#include "platform/Controls.h"
#include "platform/Forms.h"

#include <string>

#undef LoadImage  // of <windows.h>, which would rename the method (see StartHandler.h)

class TfrmTest : public TForm, public THostDialog
{
public:
  TfrmTest();
  ~TfrmTest() override;

  TLabel* lblImage;
  TButton* btnOK;
  TButton* btnCancel;

  void SetImage(void* InData, void* OutData, uint8 BitDepth, int32 ImageWidth, int32 ImageHeight,
                bool IsGray, int32 RowBytes) override;
  void LoadImage() override;
  int ShowModal() override;

  void FormShow();
  void btnOKClick();

private:
  void LogArithmetic();
  void* FInData = nullptr;
  void* FOutData = nullptr;
  uint8 FBitDepth = 0;
  int32 FImageWidth = 0;
  int32 FImageHeight = 0;
  bool FIsGray = true;
  int32 FRowBytes = 0;
  bool FLoaded = false;
};

// Appends one line to the event log named by SKELVANE_TEST_EVENTS (nothing when unset).
void LogTestEvent(const std::string& line);
