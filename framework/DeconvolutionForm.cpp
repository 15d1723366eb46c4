// The deconvolution dialog: its controls, opening and closing, the preview window, the
// parameter links and the settings writer (the runs are in DeconvolutionRuns.cpp).
#include "framework/DeconvolutionForm.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "framework/AboutForm.h"
#include "framework/ParameterLink.h"
#include "framework/PSF.h"
#include "framework/Utilities.h"
#include "framework/Vista.h"
#include "framework/helper.h"
#include "platform/BitmapCanvas.h"
#include "platform/Registry.h"

namespace {

constexpr int kThumbnail = 64;
const char kNotLoaded[] = "The image could not be loaded: not enough memory.";

// A sample above 0, in any channel.
bool Lit(float sample) { return sample > 0.0f; }
bool Lit(const TPixelRGB& pixel) { return pixel.R > 0.0f || pixel.G > 0.0f || pixel.B > 0.0f; }

// Whether a normalised plane holds a sample above 0. One that does not comes from an image
// without light: its brightest sample was 0 (the normalisation then divides by 1) or it had no
// finite sample. Such an image is written back with the factor 0, so that it comes back black
// at every depth: a run still makes something of its zero samples (the maximum-entropy
// iteration gives each a small positive value, and a padded plane's background leaks in),
// which 8 and 16 bits round away but a 32-bit block would keep.
template <class TPlane>
bool HoldsLight(const TPlane& plane) {
  if (plane.Data == nullptr) return false;
  const std::ptrdiff_t count = static_cast<std::ptrdiff_t>(plane.Width) * plane.Height;
  return std::any_of(plane.Data, plane.Data + count, [](const auto& sample) { return Lit(sample); });
}

}  // namespace

TDeconvolutionForm::TDeconvolutionForm(const TDeconvolutionDesign& design)
    : TForm(design.FormName), FDesign(design) {
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
  trkSigma =
      makeTrackBar("trkSigma", 40, 0, 100, 5, RoundIntoRange(design.SigmaValue * 10, 0, 100));
  trkKurtosis = makeTrackBar("trkKurtosis", wingTop, 110, 440, 15, 250);
  trkKurtosis->SetEnabled(false);
  trkIterations = makeTrackBar("trkIterations", iterationsTop, 0, design.IterationsTrackMax,
                               design.IterationsFrequency,
                               RoundIntoRange(design.IterationsValue, 0, design.IterationsTrackMax));

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

  btnAbout = MakeAboutButton(this, 8, 384, [this] { btnAboutClick(); });

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
  OnMessage(design.Messages.ProcessDone, [this](WPARAM id, LPARAM) { WMProcessDone(id); });
  OnMessage(design.Messages.PreviewDone, [this](WPARAM id, LPARAM) { WMPreviewDone(id); });
  OnMessage(design.Messages.ProcessStopped,
            [this](WPARAM id, LPARAM) { WMProcessStopped(id); });
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
      if (!HoldsLight(*FImageGray)) FScaleGray = 0.0f;
      FImageBitmap = GrayContainerToBitmap(*FImageGray, FBitDepth);
    } else {
      FImageRGB = HostToRGBContainer(FInData, FBitDepth, FImageWidth, FImageHeight, FRowBytes);
      if (FImageRGB == nullptr) return;
      FScaleRGB = NormalizeRGB(*FImageRGB);
      if (!HoldsLight(*FImageRGB)) FScaleRGB = 0.0f;
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
  CreateFormEvent();
}

void TDeconvolutionForm::CreateFormEvent() {
  // Kept for hosts and tools that look for it; nothing waits on it.
  FFormEvent = std::make_unique<TEvent>(true, false, FDesign.FormEventName);
  FFormEvent->Reset();
}

void TDeconvolutionForm::FormShow() {
  // Closing freed it: a dialog shown again gets it anew.
  if (FFormEvent == nullptr) CreateFormEvent();
  ProgressBar->SetPosition(0);
  lblStatus->SetCaption("Idle");
  btnPreview->SetEnabled(true);
  btnOK->SetEnabled(true);
  btnCancel->SetEnabled(true);
  FProcessing = false;
  FPreviewRunning = false;
  FPreviewRect = {0, 0, std::min(FImageWidth, kPreviewSide),
                  std::min(FImageHeight, kPreviewSide)};
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
  // quit message): its worker is stopped and its result, if it has one, is not taken, since
  // the dialog ends as cancelled. While the workers end, the window takes no input, so that
  // no new run can start.
  if (FPreviewThread == nullptr && FProcessThread == nullptr) return;
  const bool enabled = IsWindowEnabled(Handle()) != FALSE;
  EnableWindow(Handle(), FALSE);
  while (FPreviewThread != nullptr || FProcessThread != nullptr) {
    RetireWorker(FPreviewThread);
    RetireWorker(FProcessThread);
  }
  FPreviewU.reset();
  FPreviewV.reset();
  FProcessU.reset();
  FProcessV.reset();
  FPreviewRunning = false;
  FProcessing = false;
  ReturnToIdle();
  EnableWindow(Handle(), enabled ? TRUE : FALSE);
}

// ---- Preview window

void TDeconvolutionForm::ClearPreview() {
  const COLORREF face = ColorToRGB(clBtnFace);
  for (TImage* image : {Image1, Image3}) {
    auto bitmap = TBitmap24::Create(kPreviewSide, kPreviewSide);
    if (bitmap == nullptr) continue;
    for (int y = 0; y < kPreviewSide; ++y)
      for (int x = 0; x < kPreviewSide; ++x)
        bitmap->SetPixel(x, y, GetRValue(face), GetGValue(face), GetBValue(face));
    image->SetPicture(std::move(bitmap));
  }
}

void TDeconvolutionForm::ShowOriginal() {
  if (FImageBitmap == nullptr) return;
  const RECT target = {0, 0, std::min(FImageWidth, kPreviewSide),
                       std::min(FImageHeight, kPreviewSide)};
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
    const int size = std::min(side, kPreviewSide);
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

// ---- Cancel and about

void TDeconvolutionForm::btnCancelClick() { SetModalResult(mrCancel); }

void TDeconvolutionForm::btnAboutClick() { DoAbout(); }

// ---- Parameter links

int TDeconvolutionForm::RunIterations() const {
  // The text may stand above the bar's end and, until the edit is left, outside its range.
  return RoundIntoRange(edtIterations->Value(), static_cast<int>(edtIterations->MinValue()),
                        static_cast<int>(edtIterations->MaxValue()));
}

float TDeconvolutionForm::RunValue(const TKelSpin& Spin) {
  const long double value = Spin.Value(), min = Spin.MinValue(), max = Spin.MaxValue();
  if (min == max) return static_cast<float>(value);
  return static_cast<float>(std::clamp(value, min, max));
}

void TDeconvolutionForm::trkSigmaChange() { FollowTrackBar(*edtSigma, *trkSigma, 10); }

void TDeconvolutionForm::trkKurtosisChange() { FollowTrackBar(*edtKurtosis, *trkKurtosis, 100); }

void TDeconvolutionForm::trkIterationsChange() { FollowTrackBar(*edtIterations, *trkIterations); }

void TDeconvolutionForm::edtSigmaChange() {
  FollowSpinEdit(*trkSigma, *edtSigma, 10);
  ShowPSF();
}

void TDeconvolutionForm::edtKurtosisChange() {
  FollowSpinEdit(*trkKurtosis, *edtKurtosis, 100);
  ShowPSF();
}

void TDeconvolutionForm::edtIterationsChange() { FollowSpinEdit(*trkIterations, *edtIterations); }

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
