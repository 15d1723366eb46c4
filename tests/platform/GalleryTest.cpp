// One form with every control of the layer, shown on the display and saved as a screenshot, so
// that the controls can be seen as users will see them.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "ControlsTestForm.h"
#include "UiTestSupport.h"
#include "framework/KelSpin.h"
#include "platform/Bitmap24.h"
#include "platform/BitmapCanvas.h"
#include "platform/ComboBox.h"
#include "platform/ControlName.h"
#include "platform/Controls.h"
#include "platform/Edit.h"
#include "platform/GroupBox.h"
#include "platform/ListView.h"
#include "platform/Panel.h"
#include "platform/ProgressBar.h"
#include "platform/RadioGroup.h"
#include "platform/SpeedButton.h"
#include "platform/StaticText.h"
#include "platform/TrackBar.h"

namespace {

// A grey ramp with a few coloured bars, like an image in a preview.
std::unique_ptr<TBitmap24> TestPicture(int width, int height) {
  auto picture = TBitmap24::Create(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      auto level = static_cast<uint8_t>((x + y) * 255 / (width + height));
      picture->SetPixel(x, y, level, level, level);
    }
  for (int y = 10; y < 40; ++y)
    for (int x = 10; x < 60; ++x) picture->SetPixel(x, y, 220, 40, 40);
  return picture;
}

// A bright blob on black, like the point-spread thumbnail.
std::unique_ptr<TBitmap24> Blob(int side) {
  auto picture = TBitmap24::Create(side, side);
  for (int y = 0; y < side; ++y)
    for (int x = 0; x < side; ++x) {
      double r2 = (x - side / 2) * (x - side / 2) + (y - side / 2) * (y - side / 2);
      auto level = static_cast<uint8_t>(255 * std::exp(-r2 / 50));
      picture->SetPixel(x, y, level, level, level);
    }
  return picture;
}

// A white letter i on a blue disc on a white background (the about button's look).
std::unique_ptr<TBitmap24> AboutGlyph() {
  auto glyph = TBitmap24::Create(16, 16);
  glyph->Fill(255, 255, 255);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x)
      if ((x - 7.5) * (x - 7.5) + (y - 7.5) * (y - 7.5) <= 56) glyph->SetPixel(x, y, 0, 0, 200);
  for (int y = 3; y < 5; ++y)
    for (int x = 7; x < 9; ++x) glyph->SetPixel(x, y, 255, 255, 255);
  for (int y = 6; y < 13; ++y)
    for (int x = 7; x < 9; ++x) glyph->SetPixel(x, y, 255, 255, 255);
  return glyph;
}

class TGalleryForm : public TForm {
 public:
  TGalleryForm() : TForm("frmGallery") {
    SetCaption("Control Gallery");
    SetClientSize(785, 520);

    auto* grpPSF = new TRadioGroup(this, "grpPSF");
    grpPSF->SetBounds(8, 8, 289, 129);
    grpPSF->SetCaption("Point Spread Function Type");
    grpPSF->SetItems({"Gaussian", "Exponential", "Cauchy", "Moffat"});
    grpPSF->SetItemIndex(0);
    auto* panel = new TPanel(this, "Panel1");
    panel->SetBounds(200, 32, 81, 81);
    panel->SetBevelOuter(bvNone);
    auto* thumbnail = new TImage(panel, "Image2");
    thumbnail->SetBounds(8, 8, 64, 64);
    thumbnail->SetPicture(Blob(64));

    auto* settings = new TGroupBox(this, "GroupBox1");
    settings->SetBounds(8, 144, 289, 233);
    settings->SetCaption("Settings");
    auto* label1 = new TLabel(settings, "Label1");
    label1->SetBounds(8, 24, 0, 0);
    label1->SetAutoSize(true);
    label1->SetCaption("PSF Size");
    auto* trkSigma = new TTrackBar(settings, "trkSigma");
    trkSigma->SetBounds(8, 40, 185, 33);
    trkSigma->SetMax(100);
    trkSigma->SetFrequency(5);
    trkSigma->SetThumbLength(15);
    trkSigma->SetPosition(10);
    auto* edtSigma = new TKelSpin(settings, "edtSigma");
    edtSigma->SetBounds(200, 40, 80, 21);
    edtSigma->SetMinValue(0.1L);
    edtSigma->SetMaxValue(10);
    edtSigma->SetIncrement(0.1L);
    edtSigma->SetValue(1);
    auto* label3 = new TLabel(settings, "Label3");
    label3->SetBounds(8, 80, 0, 0);
    label3->SetAutoSize(true);
    label3->SetCaption("PSF Wing Adjustment");
    label3->SetEnabled(false);
    auto* trkKurtosis = new TTrackBar(settings, "trkKurtosis");
    trkKurtosis->SetBounds(8, 96, 185, 33);
    trkKurtosis->SetMax(440);
    trkKurtosis->SetMin(110);
    trkKurtosis->SetFrequency(15);
    trkKurtosis->SetThumbLength(15);
    trkKurtosis->SetPosition(250);
    trkKurtosis->SetEnabled(false);
    auto* edtKurtosis = new TKelSpin(settings, "edtKurtosis");
    edtKurtosis->SetBounds(200, 96, 80, 21);
    edtKurtosis->SetMinValue(1.01L);
    edtKurtosis->SetMaxValue(4.4L);
    edtKurtosis->SetValue(2.5L);
    edtKurtosis->SetEnabled(false);
    auto* chkAggressive = new TCheckBox(settings, "chkAggressive");
    chkAggressive->SetBounds(16, 200, 265, 17);
    chkAggressive->SetCaption("Aggressive (100 iterations maximum)");
    chkAggressive->SetChecked(true);
    auto* trkMidLevel = new TTrackBar(settings, "trkMidLevel");
    trkMidLevel->SetBounds(8, 152, 185, 33);
    trkMidLevel->SetMin(1);
    trkMidLevel->SetMax(100);
    trkMidLevel->SetTickStyle(tsNone);
    trkMidLevel->SetThumbLength(15);
    trkMidLevel->SetPosition(50);
    auto* edtPlain = new TCustomEdit(settings, "edtPlain");
    edtPlain->SetBounds(200, 152, 80, 21);
    edtPlain->SetText("plain edit");

    auto* preview = new TGroupBox(this, "GroupBox2");
    preview->SetBounds(304, 8, 473, 281);
    preview->SetCaption("Preview");
    auto* image1 = new TImage(preview, "Image1");
    image1->SetBounds(8, 16, 220, 220);
    // The picture is larger than the image control: it shows clipped, unscaled.
    auto picture = TestPicture(256, 256);
    auto* image3 = new TImage(preview, "Image3");
    image3->SetBounds(240, 16, 220, 220);
    auto copy = TBitmap24::Create(256, 256);
    copy->Fill(240, 240, 240);
    CopyRect(*copy, RECT{0, 0, 128, 128}, *picture, RECT{0, 0, 128, 128});
    image1->SetPicture(std::move(picture));
    image3->SetPicture(std::move(copy));
    auto* staticText = new TStaticText(preview, "StaticText1");
    staticText->SetBounds(8, 248, 361, 25);
    staticText->SetCaption("Click and hold the left mouse button to scroll the image.");
    auto* btnPreview = new TButton(preview, "btnPreview");
    btnPreview->SetBounds(384, 248, 75, 25);
    btnPreview->SetCaption("Preview");

    auto* status = new TGroupBox(this, "GroupBox3");
    status->SetBounds(304, 296, 473, 81);
    status->SetCaption("Status");
    auto* lblStatus = new TLabel(status, "lblStatus");
    lblStatus->SetBounds(8, 24, 0, 0);
    lblStatus->SetAutoSize(true);
    lblStatus->SetCaption("Iteration: 4");
    auto* progress = new TProgressBar(status, "ProgressBar");
    progress->SetBounds(8, 48, 457, 17);
    progress->SetPosition(41);

    auto* histogram = new TGroupBox(this, "GroupBox4");
    histogram->SetBounds(8, 384, 545, 100);
    histogram->SetCaption("Statistics");
    auto* cmbChannel = new TComboBox(histogram, "cmbChannel");
    cmbChannel->SetBounds(8, 20, 145, 21);
    cmbChannel->SetItems({"Intensity", "Red", "Green", "Blue"});
    cmbChannel->SetItemIndex(0);
    auto* shape = new TShape(histogram, "Shape1");
    shape->SetBounds(8, 52, 145, 40);
    shape->SetBrushColor(RGB(255, 255, 192));
    auto* list = new TListView(histogram, "lstStatistics");
    list->SetBounds(160, 20, 377, 72);
    list->Font().SetName(Font().Name());
    list->AddColumn("Chan.");
    for (const char* column : {"Minimum", "Maximum", "Mean", "Std. Dev."}) list->AddColumn(column, 75);
    list->AddItem("R", {"0.000", "1.000", "0.500", "0.289"});
    list->AddItem("G", {"0.010", "0.990", "0.480", "0.270"});

    auto* btnAbout = new TSpeedButton(this, "btnAbout");
    btnAbout->SetBounds(8, 490, 23, 22);
    btnAbout->SetFlat(true);
    btnAbout->SetGlyph(AboutGlyph(), RGB(255, 255, 255));
    auto* btnRaised = new TSpeedButton(this, "btnRaised");
    btnRaised->SetBounds(40, 490, 23, 22);
    btnRaised->LoadGlyph(ModuleInstance(), "SPEED_UP", RGB(255, 0, 255));
    auto* btnStop = new TButton(this, "btnStop");
    btnStop->SetBounds(496, 490, 75, 25);
    btnStop->SetCaption("Stop");
    btnStop->SetEnabled(false);
    auto* btnOK = new TButton(this, "btnOK");
    btnOK->SetBounds(624, 490, 75, 25);
    btnOK->SetCaption("OK");
    btnOK->SetDefault(true);
    auto* btnCancel = new TButton(this, "btnCancel");
    btnCancel->SetBounds(704, 490, 75, 25);
    btnCancel->SetCaption("Cancel");
    btnCancel->SetCancel(true);
  }
};

TEST(GalleryTest, EveryControlIsShownAndTheScreenshotIsSaved) {
  TGalleryForm form;
  ShowWindow(form.Handle(), SW_SHOW);
  SetForegroundWindow(form.Handle());
  PumpFor(500);

  for (const char* name :
       {"grpPSF", "grpPSF_0", "grpPSF_3", "Panel1", "Image2", "GroupBox1", "Label1", "trkSigma",
        "edtSigma", "Label3", "trkKurtosis", "edtKurtosis", "chkAggressive", "trkMidLevel",
        "edtPlain", "GroupBox2", "Image1", "Image3", "StaticText1", "btnPreview", "GroupBox3",
        "lblStatus", "ProgressBar", "cmbChannel", "Shape1", "lstStatistics", "btnAbout",
        "btnRaised", "btnStop", "btnOK", "btnCancel"})
    EXPECT_NE(FindControlByName(form.Handle(), name), nullptr) << name;

  // The window order is the Tab order: the panel laid over the radio group is raised above it
  // and takes no part in it; the others keep their creation order.
  std::vector<std::string> order;
  for (HWND child = GetWindow(form.Handle(), GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT))
    if ((GetWindowLongA(child, GWL_STYLE) & WS_TABSTOP) != 0 ||
        (GetWindowLongA(child, GWL_EXSTYLE) & WS_EX_CONTROLPARENT) != 0)
      order.push_back(GetControlName(child));
  EXPECT_EQ(order, (std::vector<std::string>{"Panel1", "grpPSF", "GroupBox1", "GroupBox2",
                                             "GroupBox3", "GroupBox4", "btnStop", "btnOK",
                                             "btnCancel"}));

  const std::string path = ArtifactPath("ControlGallery.png");
  EXPECT_TRUE(SaveScreenshot(form.Handle(), path)) << path;
}

}  // namespace
