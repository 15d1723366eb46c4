#include "ddp/DDPForm.h"

#include "ddp/DDPTransform.h"
#include "ddp/ScaleToFit.h"
#include "framework/AboutForm.h"
#include "framework/ParameterLink.h"
#include "framework/Utilities.h"
#include "framework/Vista.h"
#include "platform/BitmapCanvas.h"
#include "platform/Dialogs.h"

namespace {

constexpr int kPreviewBox = 401;  // Image1's size, the box the preview copy is fitted into
const char kNotApplied[] =
    "The filter could not be applied: there is not enough memory for this image. Select a "
    "smaller part of the image, or close other programs, and try again.";

// Labels size themselves to their text: the dialog font the system gives is often wider than
// the one the layout was drawn in.
TLabel* MakeLabel(TWinControl* parent, const char* name, const char* caption, int left, int top) {
  auto* label = new TLabel(parent, name);
  label->SetCaption(caption);
  label->SetLeft(left);
  label->SetTop(top);
  return label;
}

TTrackBar* MakeTrackBar(TWinControl* parent, const char* name, int top, int min, int position) {
  auto* bar = new TTrackBar(parent, name);
  bar->SetBounds(8, top, 201, 33);
  bar->SetTickStyle(tsNone);
  bar->SetThumbLength(15);
  bar->SetMax(100);
  bar->SetMin(min);
  bar->SetFrequency(1);
  bar->SetPosition(position);
  return bar;
}

TKelSpin* MakeSpin(TWinControl* parent, const char* name, int top, long double value) {
  auto* spin = new TKelSpin(parent, name);
  spin->SetBounds(216, top, 65, 21);
  spin->SetMinValue(0);
  spin->SetMaxValue(100);
  spin->SetIncrement(1);
  spin->SetFloatFormat("0.00");
  spin->SetValue(value);
  return spin;
}

}  // namespace

TfrmDDP::TfrmDDP() : TForm("frmDDP") {
  SetCaption("Digital Development Process");
  SetClientSize(777, 513);
  Font().SetName("MS Sans Serif");
  Font().SetHeight(-11);

  // Created in the Tab order; graphic controls (labels, images) never take the focus.
  GroupBox1 = new TGroupBox(this, "GroupBox1");
  GroupBox1->SetBounds(8, 8, 441, 465);
  GroupBox1->SetCaption("Preview");
  Image1 = new TImage(GroupBox1, "Image1");
  Image1->SetBounds(16, 24, kPreviewBox, kPreviewBox);
  chkPreview = new TCheckBox(GroupBox1, "chkPreview");
  chkPreview->SetBounds(16, 432, 97, 17);
  chkPreview->SetCaption("Preview");
  chkPreview->SetChecked(true);

  GroupBox2 = new TGroupBox(this, "GroupBox2");
  GroupBox2->SetBounds(456, 8, 313, 465);
  GroupBox2->SetCaption("Settings");
  trkMidLevel = MakeTrackBar(GroupBox2, "trkMidLevel", 48, 1, 50);
  edtMidLevel = MakeSpin(GroupBox2, "edtMidLevel", 48, 50);
  cmbEdge = new TComboBox(GroupBox2, "cmbEdge");
  cmbEdge->SetBounds(16, 176, 129, 21);
  cmbEdge->SetItems({"None", "Weak", "Medium", "Strong"});
  trkBackground = MakeTrackBar(GroupBox2, "trkBackground", 104, 0, 0);
  edtBackground = MakeSpin(GroupBox2, "edtBackground", 104, 0);
  Label1 = MakeLabel(GroupBox2, "Label1", "Mid-level", 16, 32);
  Label4 = MakeLabel(GroupBox2, "Label4", "%", 288, 50);
  Label3 = MakeLabel(GroupBox2, "Label3", "Background", 16, 88);
  Label5 = MakeLabel(GroupBox2, "Label5", "%", 288, 108);
  Label2 = MakeLabel(GroupBox2, "Label2", "Edge enhancement", 16, 152);

  btnCancel = new TButton(this, "btnCancel");
  btnCancel->SetBounds(696, 480, 75, 25);
  btnCancel->SetCaption("Cancel");
  btnCancel->SetCancel(true);
  btnCancel->OnClick = [this] { btnCancelClick(); };
  btnOK = new TButton(this, "btnOK");
  btnOK->SetBounds(616, 480, 75, 25);
  btnOK->SetCaption("OK");
  btnOK->SetDefault(true);
  btnOK->OnClick = [this] { btnOKClick(); };

  btnAbout = MakeAboutButton(this, 8, 480, [this] { btnAboutClick(); });

  // Wired once every control exists, so that the starting values above fired nothing.
  chkPreview->OnClick = [this] { chkPreviewClick(); };
  trkMidLevel->OnChange = [this] { trkMidLevelChange(); };
  edtMidLevel->OnChange = [this] { edtMidLevelChange(); };
  trkBackground->OnChange = [this] { trkBackgroundChange(); };
  edtBackground->OnChange = [this] { edtBackgroundChange(); };
  cmbEdge->OnChange = [this] { cmbEdgeChange(); };

  OnCreate = [this] { FormCreate(); };
  OnShow = [this] { FormShow(); };
  OnClose = [this] { FormClose(); };
  DoCreate();
}

TfrmDDP::~TfrmDDP() = default;

void TfrmDDP::SetImage(void* InData, void* OutData, uint8 BitDepth, int32 ImageWidth,
                       int32 ImageHeight, bool IsGray, int32 RowBytes) {
  FInData = InData;
  FOutData = OutData;
  FBitDepth = BitDepth;
  FImageWidth = ImageWidth;
  FImageHeight = ImageHeight;
  FIsGray = IsGray;
  FRowBytes = RowBytes;
}

// ---- Opening and closing

void TfrmDDP::FormCreate() {
  SetSystemFont(Font());
  GroupBox1->Font().SetName(Font().Name());
  GroupBox2->Font().SetName(Font().Name());
  cmbEdge->SetItemIndex(1);  // "Weak"; set by the program, so no preview is attempted yet
}

void TfrmDDP::FormShow() {
  btnOK->SetEnabled(true);
  btnCancel->SetEnabled(true);
  LoadImage();
  UpdatePreview();
}

void TfrmDDP::LoadImage() {
  try {
    if (FIsGray) {
      FImageGray = HostToGrayContainer(FInData, FBitDepth, FImageWidth, FImageHeight, FRowBytes);
      if (FImageGray == nullptr || FImageGray->Data == nullptr) return;
      FScaleGray = NormalizeGray(*FImageGray);
      FPreviewGray = ScaleToFit(*FImageGray, Image1->Width(), Image1->Height());
    } else {
      FImageRGB = HostToRGBContainer(FInData, FBitDepth, FImageWidth, FImageHeight, FRowBytes);
      if (FImageRGB == nullptr || FImageRGB->Data == nullptr) return;
      FScaleRGB = NormalizeRGB(*FImageRGB);
      FPreviewRGB = ScaleToFitRGB(*FImageRGB, Image1->Width(), Image1->Height());
    }
  } catch (...) {
    // The dialog opens without a preview; OK then says that it cannot apply.
  }
}

void TfrmDDP::FormClose() {
  FPreviewGray.reset();
  FImageGray.reset();
  FPreviewRGB.reset();
  FImageRGB.reset();
}

// ---- Preview

int TfrmDDP::EdgeKernelSize() const {
  static const int kSizes[] = {0, 3, 5, 7};
  const int index = cmbEdge->ItemIndex();
  return index >= 0 && index < 4 ? kSizes[index] : 0;
}

void TfrmDDP::UpdatePreview() {
  if (!chkPreview->Checked()) return;
  try {
    if (FIsGray)
      ShowPreviewGray();
    else
      ShowPreviewRGB();
  } catch (...) {
    // Image1 keeps the previous preview.
  }
}

void TfrmDDP::ShowPreviewGray() {
  if (FPreviewGray == nullptr || FPreviewGray->Data == nullptr) return;
  const auto result = DDPTransform(*FPreviewGray, EdgeKernelSize(), trkMidLevel->Position(),
                                   trkBackground->Position());
  if (result != nullptr) ShowPreview(GrayContainerToBitmap(*result, FBitDepth));
}

void TfrmDDP::ShowPreviewRGB() {
  if (FPreviewRGB == nullptr || FPreviewRGB->Data == nullptr) return;
  const auto result = DDPTransform(*FPreviewRGB, EdgeKernelSize(), trkMidLevel->Position(),
                                   trkBackground->Position());
  if (result != nullptr) ShowPreview(RGBContainerToBitmap(*result, FBitDepth));
}

void TfrmDDP::ShowPreview(std::unique_ptr<TBitmap24> bitmap) {
  // An empty copy (an image 802 or more times longer than wide) makes no bitmap.
  if (bitmap == nullptr) return;
  // Drawn at the top left, unscaled, on the dialog's colour where the copy does not reach.
  auto picture = TBitmap24::Create(Image1->Width(), Image1->Height());
  if (picture == nullptr) return;
  const COLORREF face = ColorToRGB(clBtnFace);
  picture->Fill(GetRValue(face), GetGValue(face), GetBValue(face));
  const RECT area = {0, 0, bitmap->Width(), bitmap->Height()};
  CopyRect(*picture, area, *bitmap, area);
  Image1->SetPicture(std::move(picture));
  Image1->Invalidate();
}

// ---- Parameter links

void TfrmDDP::trkMidLevelChange() {
  FollowTrackBar(*edtMidLevel, *trkMidLevel);
  UpdatePreview();
}

void TfrmDDP::trkBackgroundChange() {
  FollowTrackBar(*edtBackground, *trkBackground);
  UpdatePreview();
}

void TfrmDDP::edtMidLevelChange() { FollowSpinEdit(*trkMidLevel, *edtMidLevel); }

void TfrmDDP::edtBackgroundChange() { FollowSpinEdit(*trkBackground, *edtBackground); }

void TfrmDDP::cmbEdgeChange() { UpdatePreview(); }

void TfrmDDP::chkPreviewClick() {
  if (chkPreview->Checked()) UpdatePreview();
}

// ---- Buttons

void TfrmDDP::btnOKClick() {
  const bool applied = FIsGray ? ApplyGray() : ApplyRGB();
  if (!applied) {
    // The host's image stays as it was; the user may change the settings or cancel.
    MessageDlg(kNotApplied, mtError, {mbOK});
    return;
  }
  SetModalResult(mrOk);
}

bool TfrmDDP::ApplyGray() {
  if (FImageGray == nullptr || FImageGray->Data == nullptr) return false;
  return RunApply([this] {
    const auto result = DDPTransform(*FImageGray, EdgeKernelSize(), trkMidLevel->Position(),
                                     trkBackground->Position());
    if (result == nullptr) return false;
    GrayContainerToHost(*result, FOutData, FBitDepth, FRowBytes, FScaleGray, 0, 0, FImageWidth,
                        FImageHeight);
    RestoreNonFiniteSamples(FInData, FOutData, FBitDepth, FImageWidth, FImageHeight, FIsGray,
                            FRowBytes);
    return true;
  });
}

bool TfrmDDP::ApplyRGB() {
  if (FImageRGB == nullptr || FImageRGB->Data == nullptr) return false;
  return RunApply([this] {
    const auto result = DDPTransform(*FImageRGB, EdgeKernelSize(), trkMidLevel->Position(),
                                     trkBackground->Position());
    if (result == nullptr) return false;
    RGBContainerToHost(*result, FOutData, FBitDepth, FRowBytes, FScaleRGB, 0, 0, FImageWidth,
                       FImageHeight);
    RestoreNonFiniteSamples(FInData, FOutData, FBitDepth, FImageWidth, FImageHeight, FIsGray,
                            FRowBytes);
    return true;
  });
}

bool TfrmDDP::RunApply(const std::function<bool()>& transformAndWrite) {
  THourGlass hourGlass;
  btnOK->SetEnabled(false);
  btnCancel->SetEnabled(false);
  Repaint();
  ProcessMessages();
  bool applied = false;
  try {
    applied = transformAndWrite();
  } catch (...) {
    // Reported by the caller like any other apply that could not run.
  }
  btnOK->SetEnabled(true);
  btnCancel->SetEnabled(true);
  return applied;
}

void TfrmDDP::btnCancelClick() { SetModalResult(mrCancel); }

void TfrmDDP::btnAboutClick() { DoAbout(); }
