// The statistics dialog: per-channel figures, histograms with a channel choice and a
// logarithmic axis, the export to Microsoft Excel.
#pragma once

#include <memory>

#include "framework/StartHandler.h"
#include "platform/Automation.h"
#include "platform/Chart.h"
#include "platform/ComboBox.h"
#include "platform/Controls.h"
#include "platform/Forms.h"
#include "platform/GroupBox.h"
#include "platform/ListView.h"
#include "platform/SpeedButton.h"
#include "statistics/ImageStatistics.h"

class TfrmStatistics : public TForm, public THostDialog {
 public:
  TfrmStatistics();
  ~TfrmStatistics() override;

  // THostDialog. The output block is never written.
  void SetImage(void* InData, void* OutData, uint8 BitDepth, int32 ImageWidth,
                int32 ImageHeight, bool IsGray, int32 RowBytes) override;
  int ShowModal() override { return TForm::ShowModal(); }

  TButton* btnOK;
  TGroupBox* GroupBox1;
  TListView* lstStatistics;
  TGroupBox* GroupBox2;
  TChart* Chart1;
  TBarSeries* Series1;
  TCheckBox* chkLog;
  TComboBox* cmbChannel;
  TBarSeries* Series2;
  TBarSeries* Series3;
  TBarSeries* Series4;
  TButton* Button1;
  TSpeedButton* btnAbout;

  void FormCreate();
  void FormShow();
  void cmbChannelChange();
  void chkLogClick();
  void btnOKClick();
  void btnAboutClick();
  void Button1Click();

 private:
  // The figures into the list and the caption, and the histograms into the series; gray and
  // RGB images alike (the kernel knows the channels).
  void ComputeStatistics();
  void BuildHistogram();
  void SendToExcel();
  TStatisticsImage Image() const;

  std::unique_ptr<TAutomationObject> FExcel;
  const void* FInData = nullptr;
  int FImageWidth = 0, FImageHeight = 0;
  uint8 FBitDepth = 8;
  bool FIsGray = true;
  int FRowBytes = 0;
};
