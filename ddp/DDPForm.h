// The digital development dialog: live preview on a fitted copy, the whole image on OK.
#pragma once

#include <functional>
#include <memory>

#include "framework/DataContainer.h"
#include "framework/DataContainerRGB.h"
#include "framework/KelSpin.h"
#include "framework/StartHandler.h"
#include "platform/ComboBox.h"
#include "platform/Controls.h"
#include "platform/Forms.h"
#include "platform/GroupBox.h"
#include "platform/SpeedButton.h"
#include "platform/TrackBar.h"

#undef LoadImage  // of <windows.h>, which would rename the method (see StartHandler.h)

class TfrmDDP : public TForm, public THostDialog {
 public:
  TfrmDDP();
  ~TfrmDDP() override;

  // THostDialog. The image is loaded when the dialog is shown.
  void SetImage(void* InData, void* OutData, uint8 BitDepth, int32 ImageWidth,
                int32 ImageHeight, bool IsGray, int32 RowBytes) override;
  int ShowModal() override { return TForm::ShowModal(); }

  TSpeedButton* btnAbout;
  TGroupBox* GroupBox1;
  TImage* Image1;
  TCheckBox* chkPreview;
  TGroupBox* GroupBox2;
  TLabel* Label1;
  TTrackBar* trkMidLevel;
  TKelSpin* edtMidLevel;
  TLabel* Label4;
  TComboBox* cmbEdge;
  TLabel* Label3;
  TTrackBar* trkBackground;
  TKelSpin* edtBackground;
  TLabel* Label5;
  TLabel* Label2;
  TButton* btnCancel;
  TButton* btnOK;

  void FormCreate();
  void FormShow();
  void FormClose();
  void btnAboutClick();
  void trkMidLevelChange();
  void cmbEdgeChange();
  void edtMidLevelChange();
  void edtBackgroundChange();
  void trkBackgroundChange();
  void chkPreviewClick();
  void btnCancelClick();
  void btnOKClick();

  // The window size of the edge setting: 0, 3, 5 or 7.
  int EdgeKernelSize() const;

 private:
  void LoadImage();
  void UpdatePreview();
  void ShowPreviewGray();
  void ShowPreviewRGB();
  // Each returns false, with the output block untouched, when the transform could not run.
  bool ApplyGray();
  bool ApplyRGB();
  // The apply behind the hourglass with the buttons disabled; false when it could not run.
  bool RunApply(const std::function<bool()>& transformAndWrite);
  void ShowPreview(std::unique_ptr<TBitmap24> bitmap);

  void* FInData = nullptr;
  void* FOutData = nullptr;
  int FImageWidth = 0, FImageHeight = 0;
  uint8 FBitDepth = 8;
  std::unique_ptr<TDataContainerRGB> FPreviewRGB;
  std::unique_ptr<TDataContainerRGB> FImageRGB;
  std::unique_ptr<TDataContainer> FPreviewGray;
  std::unique_ptr<TDataContainer> FImageGray;
  bool FIsGray = true;
  float FScaleGray = 1.0f, FScaleRGB = 1.0f;
  int FRowBytes = 0;
};
