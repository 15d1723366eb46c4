// The dialog shared by the deconvolution plug-ins: point-spread function, size, wing and
// iterations; a scrolling 256 x 256 preview window with preview runs; the full run with
// progress and Stop, written into the host's output block; the settings of a confirmed run.
#pragma once

#include <memory>
#include <string>

#include "framework/DataContainer.h"
#include "framework/DataContainerRGB.h"
#include "framework/DeconvolutionThread.h"
#include "framework/KelSpin.h"
#include "framework/StartHandler.h"
#include "platform/Bitmap24.h"
#include "platform/Controls.h"
#include "platform/Event.h"
#include "platform/Forms.h"
#include "platform/GroupBox.h"
#include "platform/Panel.h"
#include "platform/ProgressBar.h"
#include "platform/RadioGroup.h"
#include "platform/SpeedButton.h"
#include "platform/StaticText.h"
#include "platform/Threads.h"
#include "platform/TrackBar.h"

#undef LoadImage  // of <windows.h>, which would rename the method (see StartHandler.h)

// What one plug-in's dialog has of its own; everything else is shared.
struct TDeconvolutionDesign {
  const char* FormName;
  const char* Caption;
  int HelpContext;
  const char* FormEventName;
  // Registry value names of SaveSettings.
  const char* PSFValueName;
  const char* CurveWidthValueName;
  const char* IterationsValueName;
  TWorkerMessages Messages;
  // Starting values, as exact as the spin edits hold them; the size track bar stands at ten
  // times the size.
  long double SigmaValue;
  long double IterationsValue;
  long double IterationsMaxValue;
  int IterationsTrackMax;
  int IterationsFrequency;
  // The wing spin edit's lower end and step (the track bar runs 110..440).
  long double KurtosisMinValue;
  long double KurtosisIncrement;
  // Tops of the wing and iteration label rows; their controls lie 16 pixels lower.
  int WingTop;
  int IterationsTop;
  int StaticTextWidth;
};

class TDeconvolutionForm : public TForm, public THostDialog {
 public:
  explicit TDeconvolutionForm(const TDeconvolutionDesign& design);
  ~TDeconvolutionForm() override;

  // THostDialog.
  void SetImage(void* InData, void* OutData, uint8 BitDepth, int32 ImageWidth,
                int32 ImageHeight, bool IsGray, int32 RowBytes) override;
  void LoadImage() override;
  int ShowModal() override { return TForm::ShowModal(); }

  TSpeedButton* btnAbout;
  TButton* btnOK;
  TButton* btnCancel;
  TGroupBox* GroupBox2;
  TImage* Image1;
  TImage* Image3;
  TButton* btnPreview;
  TStaticText* StaticText1;
  TGroupBox* GroupBox3;
  TLabel* lblStatus;
  TProgressBar* ProgressBar;
  TRadioGroup* grpPSF;
  TGroupBox* GroupBox1;
  TLabel* Label1;
  TKelSpin* edtSigma;
  TKelSpin* edtIterations;
  TKelSpin* edtKurtosis;
  TTrackBar* trkSigma;
  TLabel* Label3;
  TTrackBar* trkKurtosis;
  TLabel* Label2;
  TTrackBar* trkIterations;
  TButton* btnStop;
  TPanel* Panel1;
  TImage* Image2;

  int HelpContext() const { return FDesign.HelpContext; }

  // Side of the preview window and of every preview plane.
  static constexpr int kPreviewSide = 256;

  void FormCreate();
  void FormShow();
  void FormCloseQuery(bool& CanClose);
  void FormClose();
  void btnAboutClick();
  void btnOKClick();
  void btnCancelClick();
  void btnStopClick();
  void btnPreviewClick();
  void Image1MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
  void Image1MouseMove(TShiftState Shift, int X, int Y);
  void grpPSFClick();
  void trkSigmaChange();
  void edtSigmaChange();
  void trkKurtosisChange();
  void edtKurtosisChange();
  void trkIterationsChange();
  void edtIterationsChange();

  // Each takes the posting worker's thread id and ignores a message that is not from the
  // current worker of its run (one that was ended while the dialog closed).
  void WMProcessDone(WPARAM ThreadID);
  void WMPreviewDone(WPARAM ThreadID);
  void WMProcessStopped(WPARAM ThreadID);
  void PreviewProgress(TThread* Sender);
  void ProcessProgress(TThread* Sender);

  // The iteration count of a run: the spin edit's value rounded, halves to even.
  int RunIterations() const;
  // A size or wing exponent of a run: the spin edit's value held to its range while one is in
  // force, as the edit makes it on losing the focus, which OK (by Enter) may come before.
  static float RunValue(const TKelSpin& Spin);
  // Writes the settings of a confirmed run under the product key, if that key exists.
  void SaveSettings(int PSFKind, int Iterations, float CurveWidth);

 protected:
  // A new worker of Width x Height with the plug-in's own members set; the dialog sets the
  // shared ones. Called by the preview and the full run.
  virtual std::unique_ptr<TDeconvolutionThread> CreateWorker(int Width, int Height) = 0;

 private:
  void CreateFormEvent();
  void ClearPreview();
  void ShowOriginal();
  void StartPreview();
  void StartProcessing();
  void UpdateWingControls();
  void ShowPSF();
  // Runs start, or on failure frees what it made, tells the user and returns to Idle.
  void StartRun(void (TDeconvolutionForm::*start)(), bool& running);
  // A worker of the given size with the members a run sets; refused unless its planes exist.
  std::unique_ptr<TDeconvolutionThread> MakeWorker(int Width, int Height, bool Preview);
  std::unique_ptr<TDataContainer> MakeRunPSF(int Width, int Height) const;
  // Puts the worker into its run's slot, applies a Stop that came early, and resumes it.
  void Launch(std::unique_ptr<TDeconvolutionThread> worker,
              std::unique_ptr<TDeconvolutionThread>& slot);
  // Ends the worker in slot, if any, and frees it: asks it to stop, releases it from its done
  // event, and waits for its thread while serving its calls. The slot is empty at once, so
  // that the messages the worker still posts find no current worker.
  static void RetireWorker(std::unique_ptr<TDeconvolutionThread>& slot);
  void Progress(int& Counter);
  void ReturnToIdle();
  bool ImageLoaded() const;
  // Ends every worker this dialog still has, abandoning its run (see RetireWorker).
  void WaitForWorkers();

  TDeconvolutionDesign FDesign;

  RECT FPreviewRect{};
  int FLastX = 0, FLastY = 0;
  void* FInData = nullptr;
  void* FOutData = nullptr;
  int FImageWidth = 0, FImageHeight = 0;
  uint8 FBitDepth = 8;
  int FPaddedHeight = 0, FPaddedWidth = 0;
  int FOffsetX = 0, FOffsetY = 0;
  int FRegionWidth = 0, FRegionHeight = 0;
  std::unique_ptr<TDataContainerRGB> FImageRGB;
  std::unique_ptr<TDataContainer> FPreviewU, FPreviewV;
  std::unique_ptr<TDataContainer> FProcessU, FProcessV;
  std::unique_ptr<TDataContainer> FImageGray;
  bool FPreviewRunning = false;
  bool FProcessing = false;
  std::unique_ptr<TBitmap24> FImageBitmap;
  // The workers of the active runs. The dialog owns them and frees each only after its
  // thread has ended, so that whatever order a worker's messages, its end and a quit arrive
  // in, the dialog never reaches a worker that is gone.
  std::unique_ptr<TDeconvolutionThread> FProcessThread;
  std::unique_ptr<TDeconvolutionThread> FPreviewThread;
  // Stop pressed during a full run before its worker existed: the worker stops at once.
  bool FStopRequested = false;
  int FPreviewCount = 0, FProcessCount = 0;
  int FTotalIterations = 0;
  bool FIsGray = true;
  int FRowBytes = 0;
  // What the write-back multiplies by: the normalisation's factor, or 0 for an image without
  // light.
  float FScaleRGB = 1.0f, FScaleGray = 1.0f;
  std::unique_ptr<TEvent> FFormEvent;
};
