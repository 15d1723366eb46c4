#include "framework/DeconvolutionForm.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <stdexcept>

#include "framework/AboutForm.h"
#include "framework/PSF.h"
#include "framework/Utilities.h"
#include "framework/Vista.h"
#include "platform/BitmapCanvas.h"
#include "platform/Dialogs.h"
#include "platform/Registry.h"

const char kProductRegistryKey[] = "Software\\Vantrel\\Skelvane 3.0 PS";

namespace {

constexpr int kTile = 256;  // side of the preview window and of every preview plane
constexpr int kThumbnail = 64;
const TColor kGlyphTransparent = RGB(255, 0, 255);

const char kNoMemory[] =
    "There is not enough memory to deconvolve this image. Select a smaller part of the image, "
    "or close other programs, and try again.";
const char kTooLarge[] =
    "This image is too large to deconvolve: a side may have at most 16384 pixels. Select a "
    "smaller part of the image and try again.";
const char kCouldNotStart[] =
    "The deconvolution could not be started. Close other programs and try again.";
const char kNotLoaded[] = "The image could not be loaded: not enough memory.";

// A run that cannot start; what() is the message for the user.
class ERunRefused : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Refuses the run unless every sample plane it needs was allocated.
void RequirePlane(const TDataContainer* plane) {
  if (plane == nullptr || plane->Data == nullptr) throw ERunRefused(kNoMemory);
}

void RequireWorkerPlanes(const TDeconvolutionThread& worker) {
  for (const TDataContainer* plane : {worker.Image.get(), worker.PSF.get()})
    if (plane == nullptr || plane->Data == nullptr || plane->Complex == nullptr)
      throw ERunRefused(kNoMemory);
}

// Rounds to the nearest integer, halves to even (the default rounding mode).
int RoundToEven(long double value) { return static_cast<int>(std::nearbyint(value)); }

// The worker's Image from Y, the chrominance into U and V (RGB), the PSF plane copied, for the
// Width x Height pixels that source(x, y, Y, U, V) delivers.
template <typename Source>
void FillWorker(TDeconvolutionThread& worker, const TDataContainer& psf, TDataContainer* u,
                TDataContainer* v, int width, int height, Source source) {
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      float luminance = 0.0f, chromaU = 0.0f, chromaV = 0.0f;
      source(x, y, luminance, chromaU, chromaV);
      worker.Image->SetValue(x, y, luminance);
      if (u != nullptr) u->SetValue(x, y, chromaU);
      if (v != nullptr) v->SetValue(x, y, chromaV);
      worker.PSF->SetValue(x, y, psf.GetValue(x, y));
    }
}

}  // namespace

TDeconvolutionForm::TDeconvolutionForm(const TDeconvolutionDesign& design)
    : TForm(design.FormName), FDesign(design), FHelpContext(design.HelpContext) {
  SetCaption(design.Caption);
  SetClientSize(785, 417);

  // Created in the Tab order; graphic controls (labels, images) never take the focus.
  btnOK = new TButton(this, "btnOK");
  btnOK->SetBounds(624, 384, 75, 25);
  btnOK->SetCaption("OK");
  btnOK->SetDefault(true);
  btnOK->OnClick = [this] { btnOKClick(); };

  btnCancel = new TButton(this, "btnCancel");
  btnCancel->SetBounds(704, 384, 75, 25);
  btnCancel->SetCaption("Cancel");
  btnCancel->SetCancel(true);
  btnCancel->OnClick = [this] { btnCancelClick(); };

  GroupBox2 = new TGroupBox(this, "GroupBox2");
  GroupBox2->SetBounds(304, 8, 473, 281);
  GroupBox2->SetCaption("Preview");
  Image1 = new TImage(GroupBox2, "Image1");
  Image1->SetBounds(8, 16, 220, 220);
  Image1->OnMouseDown = [this](TMouseButton b, TShiftState s, int x, int y) {
    Image1MouseDown(b, s, x, y);
  };
  Image1->OnMouseMove = [this](TShiftState s, int x, int y) { Image1MouseMove(s, x, y); };
  Image3 = new TImage(GroupBox2, "Image3");
  Image3->SetBounds(240, 16, 220, 220);
  btnPreview = new TButton(GroupBox2, "btnPreview");
  btnPreview->SetBounds(384, 248, 75, 25);
  btnPreview->SetCaption("Preview");
  btnPreview->OnClick = [this] { btnPreviewClick(); };
  StaticText1 = new TStaticText(GroupBox2, "StaticText1");
  StaticText1->SetBounds(8, 248, design.StaticTextWidth, 25);
  StaticText1->SetCaption("Click and hold the left mouse button to scroll the image.");

  GroupBox3 = new TGroupBox(this, "GroupBox3");
  GroupBox3->SetBounds(304, 296, 473, 81);
  GroupBox3->SetCaption("Status");
  lblStatus = new TLabel(GroupBox3, "lblStatus");
  lblStatus->SetLeft(8);
  lblStatus->SetTop(24);
  lblStatus->SetCaption("Idle");
  ProgressBar = new TProgressBar(GroupBox3, "ProgressBar");
  ProgressBar->SetBounds(8, 48, 457, 17);

  grpPSF = new TRadioGroup(this, "grpPSF");
  grpPSF->SetBounds(8, 8, 289, 129);
  grpPSF->SetCaption("Point Spread Function Type");
  grpPSF->SetItems({"Gaussian", "Exponential", "Cauchy", "Moffat"});
  grpPSF->SetItemIndex(pkGaussian);

  GroupBox1 = new TGroupBox(this, "GroupBox1");
  GroupBox1->SetBounds(8, 144, 289, 233);
  GroupBox1->SetCaption("Settings");
  const int wingTop = design.WingTop + 16, iterationsTop = design.IterationsTop + 16;
  // The spin edits' ranges come before their values, which the range clamps.
  edtSigma = new TKelSpin(GroupBox1, "edtSigma");
  edtSigma->SetBounds(200, 40, 80, 21);
  edtSigma->SetMinValue(0.1L);
  edtSigma->SetMaxValue(10);
  edtSigma->SetIncrement(0.1L);
  edtSigma->SetDefaultValue(0.1L);
  edtSigma->SetFloatFormat("0.00");
  edtSigma->SetValue(design.SigmaValue);
  edtIterations = new TKelSpin(GroupBox1, "edtIterations");
  edtIterations->SetBounds(200, iterationsTop, 80, 21);
  edtIterations->SetMinValue(1);
  edtIterations->SetMaxValue(design.IterationsMaxValue);
  edtIterations->SetIncrement(1);
  edtIterations->SetDefaultValue(1);
  edtIterations->SetFloatFormat("0.00");
  edtIterations->SetValue(design.IterationsValue);
  edtKurtosis = new TKelSpin(GroupBox1, "edtKurtosis");
  edtKurtosis->SetBounds(200, wingTop, 80, 21);
  edtKurtosis->SetMinValue(design.KurtosisMinValue);
  edtKurtosis->SetMaxValue(4.4L);
  edtKurtosis->SetIncrement(design.KurtosisIncrement);
  edtKurtosis->SetDefaultValue(design.KurtosisMinValue);
  edtKurtosis->SetFloatFormat("0.00");
  edtKurtosis->SetValue(2.5L);
  edtKurtosis->SetEnabled(false);

  auto makeTrackBar = [this](const char* name, int top, int min, int max, int frequency,
                             int position) {
    auto* bar = new TTrackBar(GroupBox1, name);
    bar->SetBounds(8, top, 185, 33);
    bar->SetTickStyle(tsAuto);
    bar->SetThumbLength(15);
    bar->SetMax(max);
    bar->SetMin(min);
    bar->SetFrequency(frequency);
    bar->SetPosition(position);
    return bar;
  };
  trkSigma = makeTrackBar("trkSigma", 40, 0, 100, 5, RoundToEven(design.SigmaValue * 10));
  trkKurtosis = makeTrackBar("trkKurtosis", wingTop, 110, 440, 15, 250);
  trkKurtosis->SetEnabled(false);
  trkIterations = makeTrackBar("trkIterations", iterationsTop, 0, design.IterationsTrackMax,
                               design.IterationsFrequency, RoundToEven(design.IterationsValue));

  auto makeLabel = [this](const char* name, int top, const char* caption) {
    auto* label = new TLabel(GroupBox1, name);
    label->SetLeft(8);
    label->SetTop(top);
    label->SetCaption(caption);
    return label;
  };
  Label1 = makeLabel("Label1", 24, "PSF Size");
  Label3 = makeLabel("Label3", design.WingTop, "PSF Wing Adjustment");
  Label3->SetEnabled(false);
  Label2 = makeLabel("Label2", design.IterationsTop, "Iterations");

  // A plug-in's own settings controls go into GroupBox1 after these (see the derived forms);
  // the Tab order continues with Stop and the thumbnail panel.
  btnStop = new TButton(this, "btnStop");
  btnStop->SetBounds(496, 384, 75, 25);
  btnStop->SetCaption("Stop");
  btnStop->SetEnabled(false);
  btnStop->OnClick = [this] { btnStopClick(); };

  Panel1 = new TPanel(this, "Panel1");
  Panel1->SetBounds(200, 32, 81, 81);
  Panel1->SetBevelOuter(bvNone);
  Image2 = new TImage(Panel1, "Image2");
  Image2->SetBounds(8, 8, 64, 64);

  btnAbout = new TSpeedButton(this, "btnAbout");
  btnAbout->SetBounds(8, 384, 23, 22);
  btnAbout->SetFlat(true);
  btnAbout->LoadGlyph(ModuleInstance(), "ABOUT", kGlyphTransparent);
  btnAbout->OnClick = [this] { btnAboutClick(); };

  // The links are wired once every control exists, so that setting the starting values above
  // fired nothing.
  grpPSF->OnClick = [this] { grpPSFClick(); };
  trkSigma->OnChange = [this] { trkSigmaChange(); };
  edtSigma->OnChange = [this] { edtSigmaChange(); };
  trkKurtosis->OnChange = [this] { trkKurtosisChange(); };
  edtKurtosis->OnChange = [this] { edtKurtosisChange(); };
  trkIterations->OnChange = [this] { trkIterationsChange(); };
  edtIterations->OnChange = [this] { edtIterationsChange(); };

  OnCreate = [this] { FormCreate(); };
  OnShow = [this] { FormShow(); };
  OnCloseQuery = [this](bool& canClose) { FormCloseQuery(canClose); };
  OnClose = [this] { FormClose(); };
  OnMessage(design.Messages.ProcessDone, [this](WPARAM, LPARAM) { WMProcessDone(); });
  OnMessage(design.Messages.PreviewDone, [this](WPARAM, LPARAM) { WMPreviewDone(); });
  OnMessage(design.Messages.ProcessStopped, [this](WPARAM, LPARAM) { WMProcessStopped(); });
}

TDeconvolutionForm::~TDeconvolutionForm() { WaitForWorkers(); }

// ---- Host image

void TDeconvolutionForm::SetImage(void* InData, void* OutData, uint8 BitDepth, int32 ImageWidth,
                                  int32 ImageHeight, bool IsGray, int32 RowBytes) {
  FInData = InData;
  FOutData = OutData;
  FBitDepth = BitDepth;
  FImageWidth = ImageWidth;
  FImageHeight = ImageHeight;
  FIsGray = IsGray;
  FRowBytes = RowBytes;
}

void TDeconvolutionForm::LoadImage() {
  try {
    if (FIsGray) {
      FImageGray = HostToGrayContainer(FInData, FBitDepth, FImageWidth, FImageHeight, FRowBytes);
      if (FImageGray == nullptr) return;
      FScaleGray = NormalizeGray(*FImageGray);
      FImageBitmap = GrayContainerToBitmap(*FImageGray, FBitDepth);
    } else {
      FImageRGB = HostToRGBContainer(FInData, FBitDepth, FImageWidth, FImageHeight, FRowBytes);
      if (FImageRGB == nullptr) return;
      FScaleRGB = NormalizeRGB(*FImageRGB);
      FImageBitmap = RGBContainerToBitmap(*FImageRGB, FBitDepth);
    }
  } catch (...) {
    // What is missing shows in FormShow.
  }
}

bool TDeconvolutionForm::ImageLoaded() const {
  const bool plane = FIsGray ? FImageGray != nullptr && FImageGray->Data != nullptr
                             : FImageRGB != nullptr && FImageRGB->Data != nullptr;
  return plane && FImageBitmap != nullptr;
}

// ---- Opening and closing

void TDeconvolutionForm::FormCreate() {
  SetSystemFont(Font());
  const std::string name = Font().Name();
  for (TControl* box : {static_cast<TControl*>(GroupBox1), static_cast<TControl*>(GroupBox2),
                        static_cast<TControl*>(GroupBox3), static_cast<TControl*>(grpPSF)})
    box->Font().SetName(name);
  // Kept for hosts and tools that look for it; nothing waits on it.
  FFormEvent = std::make_unique<TEvent>(true, false, FDesign.FormEventName);
  FFormEvent->Reset();
}

void TDeconvolutionForm::FormShow() {
  ProgressBar->SetPosition(0);
  lblStatus->SetCaption("Idle");
  btnPreview->SetEnabled(true);
  btnOK->SetEnabled(true);
  btnCancel->SetEnabled(true);
  FProcessing = false;
  FPreviewRunning = false;
  FPreviewRect = {0, 0, std::min(FImageWidth, kTile), std::min(FImageHeight, kTile)};
  FLastX = FLastY = 0;
  ClearPreview();
  ShowOriginal();
  ShowPSF();
  if (!ImageLoaded()) {
    // Nothing can be previewed or written; the user can only cancel (or read the about box).
    lblStatus->SetCaption(kNotLoaded);
    btnPreview->SetEnabled(false);
    btnOK->SetEnabled(false);
    grpPSF->SetEnabled(false);
    GroupBox1->SetEnabled(false);
  }
}

void TDeconvolutionForm::FormCloseQuery(bool& CanClose) {
  if (FPreviewRunning || FProcessing) CanClose = false;
}

void TDeconvolutionForm::FormClose() {
  WaitForWorkers();
  FImageBitmap.reset();
  FImageRGB.reset();
  FImageGray.reset();
  FFormEvent.reset();
}

void TDeconvolutionForm::WaitForWorkers() {
  // A run can still be active only when the modal loop ended without the dialog's consent (a
  // quit message): such workers are told to stop, and their calls into this thread are served
  // until both threads are gone, so that the plug-in never returns while one runs.
  if (FProcessing && FProcessThread != nullptr) FProcessThread->Terminate();
  if (FPreviewRunning && FPreviewThread != nullptr) FPreviewThread->Terminate();
  for (TKernelHandle* ended : {&FPreviewEnded, &FProcessEnded}) {
    while (*ended) {
      HANDLE handle = ended->Get();
      const DWORD waited = MsgWaitForMultipleObjects(1, &handle, FALSE, INFINITE, QS_ALLINPUT);
      if (waited == WAIT_OBJECT_0 || waited == WAIT_FAILED) {
        *ended = TKernelHandle();
        break;
      }
      ProcessMessages();
    }
  }
}

// ---- Preview window

void TDeconvolutionForm::ClearPreview() {
  const COLORREF face = ColorToRGB(clBtnFace);
  for (TImage* image : {Image1, Image3}) {
    auto bitmap = TBitmap24::Create(kTile, kTile);
    if (bitmap == nullptr) continue;
    for (int y = 0; y < kTile; ++y)
      for (int x = 0; x < kTile; ++x)
        bitmap->SetPixel(x, y, GetRValue(face), GetGValue(face), GetBValue(face));
    image->SetPicture(std::move(bitmap));
  }
}

void TDeconvolutionForm::ShowOriginal() {
  if (FImageBitmap == nullptr) return;
  const RECT target = {0, 0, std::min(FImageWidth, kTile), std::min(FImageHeight, kTile)};
  for (TImage* image : {Image1, Image3}) {
    if (image->Picture() == nullptr) continue;
    CopyRect(*image->Picture(), target, *FImageBitmap, FPreviewRect);
    image->Invalidate();
  }
}

void TDeconvolutionForm::Image1MouseDown(TMouseButton, TShiftState, int X, int Y) {
  FLastX = X;
  FLastY = Y;
}

void TDeconvolutionForm::Image1MouseMove(TShiftState Shift, int X, int Y) {
  if ((Shift & ssLeft) == 0) return;
  if (FImageWidth < 255 && FImageHeight < 255) return;
  // The window follows the mouse and stays inside the image on each axis.
  auto move = [](LONG& start, LONG& end, int delta, int side) {
    const int size = std::min(side, kTile);
    const int first = std::clamp(static_cast<int>(start) + delta, 0, side - size);
    start = first;
    end = first + size;
  };
  move(FPreviewRect.left, FPreviewRect.right, FLastX - X, FImageWidth);
  move(FPreviewRect.top, FPreviewRect.bottom, FLastY - Y, FImageHeight);
  FLastX = X;
  FLastY = Y;
  ShowOriginal();
}

// ---- Runs

int TDeconvolutionForm::RunIterations() const { return RoundToEven(edtIterations->Value()); }

std::unique_ptr<TDataContainer> TDeconvolutionForm::MakeRunPSF(int Width, int Height) const {
  auto psf = MakePSF(static_cast<TPSFKind>(grpPSF->ItemIndex()), Width, Height,
                     static_cast<float>(edtSigma->Value()),
                     static_cast<float>(edtKurtosis->Value()));
  RequirePlane(psf.get());
  return psf;
}

TDeconvolutionThread* TDeconvolutionForm::Launch(std::unique_ptr<TDeconvolutionThread> worker,
                                                 TKernelHandle& ended) {
  // The previous worker of this kind has already posted its last message and is ending on
  // its own (nothing of it calls into this thread any more).
  if (ended) ended.Wait();
  ended = worker->DuplicateHandleForWait();
  if (!worker->IsPreview && FStopRequested) worker->Terminate();
  FTotalIterations = worker->Iterations;
  TDeconvolutionThread* running = worker.release();  // frees itself from now on
  running->Resume();
  return running;
}

void TDeconvolutionForm::StartRun(void (TDeconvolutionForm::*start)(), bool& running) {
  std::string message;
  try {
    (this->*start)();
    return;
  } catch (const ERunRefused& refused) {
    message = refused.what();
  } catch (const std::bad_alloc&) {
    message = kNoMemory;
  } catch (...) {
    message = kCouldNotStart;
  }
  // The unstarted worker is gone with its planes; the chrominance planes go too.
  FPreviewU.reset();
  FPreviewV.reset();
  FProcessU.reset();
  FProcessV.reset();
  running = false;
  ReturnToIdle();
  MessageDlg(message, mtError, {mbOK});
}

void TDeconvolutionForm::ReturnToIdle() {
  // Cancel comes back last: once it is enabled the dialog is Idle in every respect.
  lblStatus->SetCaption("Idle");
  ProgressBar->SetPosition(0);
  btnStop->SetEnabled(false);
  btnPreview->SetEnabled(true);
  btnOK->SetEnabled(true);
  btnCancel->SetEnabled(true);
}

void TDeconvolutionForm::btnPreviewClick() {
  btnPreview->SetEnabled(false);
  btnOK->SetEnabled(false);
  btnCancel->SetEnabled(false);
  FFormEvent->Reset();
  FPreviewCount = 0;
  lblStatus->SetCaption("Starting...");
  FPreviewRunning = true;
  StartRun(&TDeconvolutionForm::StartPreview, FPreviewRunning);
}

void TDeconvolutionForm::StartPreview() {
  if (!ImageLoaded()) throw ERunRefused(kNotLoaded);
  std::unique_ptr<TDeconvolutionThread> worker = CreateWorker(kTile, kTile);
  worker->SetFreeOnTerminate(true);
  worker->OnProgress = [this](TThread* sender) { PreviewProgress(sender); };
  worker->Iterations = RunIterations();
  worker->IsPreview = true;
  worker->Wnd = Handle();
  RequireWorkerPlanes(*worker);
  if (!FIsGray) {
    FPreviewU = std::make_unique<TDataContainer>(kTile, kTile);
    FPreviewV = std::make_unique<TDataContainer>(kTile, kTile);
    RequirePlane(FPreviewU.get());
    RequirePlane(FPreviewV.get());
  }
  const auto psf = MakeRunPSF(kTile, kTile);
  FOffsetX = FOffsetY = 0;
  FRegionWidth = FRegionHeight = kTile;

  if (FImageWidth < kTile || FImageHeight < kTile) {
    // The whole image centred on a 0.5 background; the dragged window plays no part.
    FRegionWidth = std::min(FImageWidth, kTile);
    FRegionHeight = std::min(FImageHeight, kTile);
    if (!FIsGray) {
      std::unique_ptr<TDataContainer> tiles[3];
      for (int channel = 1; channel <= 3; ++channel) {
        tiles[channel - 1] = RGBChannelToTile(*FImageRGB, channel, FOffsetX, FOffsetY,
                                              FPaddedWidth, FPaddedHeight);
        RequirePlane(tiles[channel - 1].get());
      }
      FillWorker(*worker, *psf, FPreviewU.get(), FPreviewV.get(), kTile, kTile,
                 [&](int x, int y, float& Y, float& U, float& V) {
                   RGBToYUV(tiles[0]->GetValue(x, y), tiles[1]->GetValue(x, y),
                            tiles[2]->GetValue(x, y), Y, U, V);
                 });
    } else {
      const auto tile = GrayToTile(*FImageGray, FOffsetX, FOffsetY, FPaddedWidth, FPaddedHeight);
      RequirePlane(tile.get());
      FillWorker(*worker, *psf, nullptr, nullptr, kTile, kTile,
                 [&](int x, int y, float& Y, float&, float&) { Y = tile->GetValue(x, y); });
    }
  } else {
    const int left = FPreviewRect.left, top = FPreviewRect.top;
    if (!FIsGray) {
      FillWorker(*worker, *psf, FPreviewU.get(), FPreviewV.get(), kTile, kTile,
                 [&](int x, int y, float& Y, float& U, float& V) {
                   TPixelRGB pixel;
                   FImageRGB->GetPixel(left + x, top + y, pixel);
                   RGBToYUV(pixel.R, pixel.G, pixel.B, Y, U, V);
                 });
    } else {
      FillWorker(*worker, *psf, nullptr, nullptr, kTile, kTile,
                 [&](int x, int y, float& Y, float&, float&) {
                   Y = FImageGray->GetValue(left + x, top + y);
                 });
    }
  }
  FPreviewThread = Launch(std::move(worker), FPreviewEnded);
}

void TDeconvolutionForm::WMPreviewDone() {
  if (!FPreviewRunning || FPreviewThread == nullptr) return;
  TDeconvolutionThread* worker = FPreviewThread;
  const bool succeeded = worker->Succeeded;
  if (succeeded) {
    std::unique_ptr<TBitmap24> bitmap =
        FIsGray ? GrayToPreviewBitmap(*worker->Image, FOffsetX, FOffsetY, FRegionWidth,
                                      FRegionHeight, FBitDepth)
                : YUVToPreviewBitmap(*worker->Image, *FPreviewU, *FPreviewV, FOffsetX, FOffsetY,
                                     FRegionWidth, FRegionHeight, FBitDepth);
    if (bitmap != nullptr && Image1->Picture() != nullptr) {
      const RECT region = {0, 0, FRegionWidth, FRegionHeight};
      CopyRect(*Image1->Picture(), region, *bitmap, region);
      Image1->Invalidate();
    }
  }
  FPreviewU.reset();
  FPreviewV.reset();
  FPreviewRunning = false;
  FPreviewThread = nullptr;
  worker->DoneEvent.Set();  // the worker may be gone from here on
  // The buttons come back last, so that whoever sees them enabled sees the result too.
  ReturnToIdle();
  if (!succeeded) MessageDlg(kNoMemory, mtError, {mbOK});
}

void TDeconvolutionForm::btnOKClick() {
  btnPreview->SetEnabled(false);
  btnOK->SetEnabled(false);
  btnCancel->SetEnabled(false);
  btnStop->SetEnabled(true);
  FStopRequested = false;
  FProcessThread = nullptr;
  SaveSettings(grpPSF->ItemIndex(), RunIterations(), static_cast<float>(edtSigma->Value()));
  FFormEvent->Reset();
  FProcessCount = 0;
  lblStatus->SetCaption("Starting...");
  ProcessMessages();
  FProcessing = true;
  StartRun(&TDeconvolutionForm::StartProcessing, FProcessing);
}

void TDeconvolutionForm::StartProcessing() {
  if (!ImageLoaded()) throw ERunRefused(kNotLoaded);
  const int paddedWidth = PaddedSize(FImageWidth), paddedHeight = PaddedSize(FImageHeight);
  // Above this the sides cannot be transformed; refused before anything is allocated.
  if (paddedWidth > TDataContainer::kMaxLine || paddedHeight > TDataContainer::kMaxLine)
    throw ERunRefused(kTooLarge);
  std::unique_ptr<TDeconvolutionThread> worker = CreateWorker(paddedWidth, paddedHeight);
  worker->SetFreeOnTerminate(true);
  worker->OnProgress = [this](TThread* sender) { ProcessProgress(sender); };
  worker->Iterations = RunIterations();
  worker->IsPreview = false;
  worker->Wnd = Handle();
  RequireWorkerPlanes(*worker);
  const auto psf = MakeRunPSF(paddedWidth, paddedHeight);
  FOffsetX = FOffsetY = 0;
  FRegionWidth = FImageWidth;
  FRegionHeight = FImageHeight;
  if (!FIsGray) {
    FProcessU = std::make_unique<TDataContainer>(paddedWidth, paddedHeight);
    FProcessV = std::make_unique<TDataContainer>(paddedWidth, paddedHeight);
    RequirePlane(FProcessU.get());
    RequirePlane(FProcessV.get());
    std::unique_ptr<TDataContainer> channels[3];
    for (int channel = 1; channel <= 3; ++channel) {
      channels[channel - 1] = RGBChannelToPadded(*FImageRGB, channel, FOffsetX, FOffsetY,
                                                 FPaddedWidth, FPaddedHeight);
      RequirePlane(channels[channel - 1].get());
    }
    FillWorker(*worker, *psf, FProcessU.get(), FProcessV.get(), FPaddedWidth, FPaddedHeight,
               [&](int x, int y, float& Y, float& U, float& V) {
                 RGBToYUV(channels[0]->GetValue(x, y), channels[1]->GetValue(x, y),
                          channels[2]->GetValue(x, y), Y, U, V);
               });
  } else {
    const auto padded =
        GrayToPadded(*FImageGray, FOffsetX, FOffsetY, FPaddedWidth, FPaddedHeight);
    RequirePlane(padded.get());
    FillWorker(*worker, *psf, nullptr, nullptr, FPaddedWidth, FPaddedHeight,
               [&](int x, int y, float& Y, float&, float&) { Y = padded->GetValue(x, y); });
  }
  FProcessThread = Launch(std::move(worker), FProcessEnded);
}

void TDeconvolutionForm::WMProcessDone() {
  if (!FProcessing || FProcessThread == nullptr) return;
  TDeconvolutionThread* worker = FProcessThread;
  const bool succeeded = worker->Succeeded;
  if (succeeded) {
    if (FIsGray)
      GrayContainerToHost(*worker->Image, FOutData, FBitDepth, FRowBytes, FScaleGray, FOffsetX,
                          FOffsetY, FRegionWidth, FRegionHeight);
    else
      YUVToHost(*worker->Image, *FProcessU, *FProcessV, FOutData, FBitDepth, FRowBytes, FScaleRGB,
                FOffsetX, FOffsetY, FRegionWidth, FRegionHeight);
  }
  FProcessU.reset();
  FProcessV.reset();
  FProcessing = false;
  FProcessThread = nullptr;
  worker->DoneEvent.Set();  // the worker may be gone from here on
  FProcessEnded.Wait();
  FProcessEnded = TKernelHandle();
  ReturnToIdle();
  if (!succeeded) {
    // The host's image stays as it was; the user may try a smaller selection.
    MessageDlg(kNoMemory, mtError, {mbOK});
    return;
  }
  SetModalResult(mrOk);
}

void TDeconvolutionForm::btnStopClick() {
  btnStop->SetEnabled(false);
  // Before the new worker exists the request waits for it; after its end nothing is left.
  if (FProcessing && FProcessThread != nullptr)
    FProcessThread->Terminate();
  else
    FStopRequested = true;
  lblStatus->SetCaption("Stopping...");
}

void TDeconvolutionForm::WMProcessStopped() {
  if (!FProcessing) return;
  FProcessU.reset();
  FProcessV.reset();
  FProcessing = false;
  FProcessThread = nullptr;
  ReturnToIdle();
}

// ---- Progress

void TDeconvolutionForm::PreviewProgress(TThread*) { Progress(FPreviewCount); }

void TDeconvolutionForm::ProcessProgress(TThread*) { Progress(FProcessCount); }

void TDeconvolutionForm::Progress(int& Counter) {
  ++Counter;
  lblStatus->SetCaption("Iteration: " + std::to_string(Counter));
  const int percent = RoundToEven(static_cast<double>(Counter) / FTotalIterations * 100.0);
  // Stepping past the target and back makes the bar show the position at once instead of
  // animating towards it, so it rests one above the percentage.
  ProgressBar->SetPosition(percent + 2);
  ProgressBar->SetPosition(percent + 1);
  if (Counter >= FTotalIterations) {
    lblStatus->SetCaption("Idle");
    ProgressBar->SetPosition(0);
  }
}

// ---- Cancel and about

void TDeconvolutionForm::btnCancelClick() { SetModalResult(mrCancel); }

void TDeconvolutionForm::btnAboutClick() { DoAbout(); }

// ---- Parameter links

void TDeconvolutionForm::trkSigmaChange() { edtSigma->SetValue(trkSigma->Position() / 10.0L); }

void TDeconvolutionForm::trkKurtosisChange() {
  edtKurtosis->SetValue(trkKurtosis->Position() / 100.0L);
}

void TDeconvolutionForm::trkIterationsChange() {
  edtIterations->SetValue(trkIterations->Position());
}

void TDeconvolutionForm::edtSigmaChange() {
  trkSigma->SetPosition(RoundToEven(edtSigma->Value() * 10));
  ShowPSF();
}

void TDeconvolutionForm::edtKurtosisChange() {
  trkKurtosis->SetPosition(RoundToEven(edtKurtosis->Value() * 100));
  ShowPSF();
}

void TDeconvolutionForm::edtIterationsChange() {
  trkIterations->SetPosition(RoundToEven(edtIterations->Value()));
}

void TDeconvolutionForm::grpPSFClick() {
  UpdateWingControls();
  ShowPSF();
}

void TDeconvolutionForm::UpdateWingControls() {
  const bool moffat = grpPSF->ItemIndex() == pkMoffat;
  Label3->SetEnabled(moffat);
  trkKurtosis->SetEnabled(moffat);
  edtKurtosis->SetEnabled(moffat);
}

void TDeconvolutionForm::ShowPSF() {
  auto thumbnail = PSFBitmap(static_cast<TPSFKind>(grpPSF->ItemIndex()), kThumbnail, kThumbnail,
                             static_cast<float>(edtSigma->Value()),
                             static_cast<float>(edtKurtosis->Value()));
  if (thumbnail != nullptr) Image2->SetPicture(std::move(thumbnail));
}

// ---- Settings

void TDeconvolutionForm::SaveSettings(int PSFKind, int Iterations, float CurveWidth) {
  try {
    TRegistry registry;
    if (!registry.OpenKey(kProductRegistryKey, false)) return;
    registry.WriteInteger(FDesign.PSFValueName, PSFKind);
    // The size as the double of the single that the runs use, in the machine's byte order
    // (little-endian on every Windows target).
    const double width = CurveWidth;
    unsigned char bytes[sizeof width];
    std::memcpy(bytes, &width, sizeof width);
    registry.WriteBinaryData(FDesign.CurveWidthValueName, bytes, sizeof bytes);
    registry.WriteInteger(FDesign.IterationsValueName, Iterations);
  } catch (...) {
    // Settings are a convenience: a failure to store them never stops a run.
  }
}
