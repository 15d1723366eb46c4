// Tests of what the maximum-entropy dialog has of its own: its values, the iteration range
// beyond the track bar and the wing's step. The shared behaviour is tested on the
// Lucy-Richardson dialog.
#include "maxent/MaxEntForm.h"

#include <gtest/gtest.h>

#include "DeconvolutionReference.h"
#include "DialogTestSupport.h"
#include "MaxEntRun.h"

namespace {

TEST(MaxEntFormTest, OpensWithItsOwnValuesAndLayout) {
  TfrmMaximumEntropy form;
  EXPECT_EQ(form.Caption(), "Maximum Entropy Deconvolution");
  EXPECT_EQ(form.HelpContext(), 570);
  EXPECT_EQ(form.edtSigma->Text(), "2.00");
  EXPECT_EQ(form.trkSigma->Position(), 20);
  EXPECT_EQ(form.edtIterations->Text(), "20.00");
  EXPECT_EQ(form.edtIterations->MaxValue(), 65535);
  EXPECT_EQ(form.trkIterations->Position(), 20);
  EXPECT_EQ(form.trkIterations->Max(), 500);
  EXPECT_EQ(form.trkIterations->Frequency(), 25);
  EXPECT_EQ(form.edtKurtosis->MinValue(), 1.1L);
  EXPECT_EQ(form.FindControl("chkAggressive"), nullptr);
  EXPECT_EQ(form.Label3->Top(), 96);
  EXPECT_EQ(form.edtKurtosis->Top(), 112);
  EXPECT_EQ(form.trkKurtosis->Top(), 112);
  EXPECT_EQ(form.Label2->Top(), 168);
  EXPECT_EQ(form.edtIterations->Top(), 184);
  EXPECT_EQ(form.StaticText1->Width(), 369);
  form.FormShow();
  const auto thumbnail = PSFBitmap(pkGaussian, 64, 64, 2.0f, 2.5f);
  ASSERT_NE(form.Image2->Picture(), nullptr);
  EXPECT_TRUE(SameTopLeft(*form.Image2->Picture(), *thumbnail));
}

TEST(MaxEntFormTest, IterationsGoBeyondTheTrackBarByTheSpinEditOnly) {
  TfrmMaximumEntropy form;
  // Written by the program: the bar moves to its end and, having moved, pulls the edit back.
  form.edtIterations->SetText("1000");
  EXPECT_EQ(form.trkIterations->Position(), 500);
  EXPECT_EQ(form.edtIterations->Text(), "500.00");
  // From the end of the bar the arrows step on; the bar does not move, so nothing pulls back.
  form.edtIterations->UpButton()->Click();
  EXPECT_EQ(form.edtIterations->Text(), "501.00");
  EXPECT_EQ(form.trkIterations->Position(), 500);
  EXPECT_EQ(form.RunIterations(), 501);
  // With the bar at its end a typed value stays as typed: a run takes it held to the range.
  form.edtIterations->SetText("99999999999");
  EXPECT_EQ(form.trkIterations->Position(), 500);
  EXPECT_EQ(form.RunIterations(), 65535);
}

TEST(MaxEntFormTest, TheWingStopsAtItsOwnMinimumAndStepsByATenth) {
  TfrmMaximumEntropy form;
  form.grpPSF->SetItemIndex(pkMoffat);
  ASSERT_TRUE(form.edtKurtosis->Enabled());
  form.trkKurtosis->SetPosition(110);
  EXPECT_EQ(form.edtKurtosis->Text(), "1.10");
  EXPECT_EQ(form.trkKurtosis->Position(), 110);
  form.edtKurtosis->UpButton()->Click();
  EXPECT_EQ(form.edtKurtosis->Text(), "1.20");
  EXPECT_EQ(form.trkKurtosis->Position(), 120);
}

class MaxEntKeyTest : public testing::TestWithParam<TKeyCase> {};

INSTANTIATE_TEST_SUITE_P(Controls, MaxEntKeyTest,
                         testing::Values(TKeyCase{"trkIterations", "RETURN", mrOk},
                                         TKeyCase{"grpPSF_0", "RETURN", mrOk},
                                         TKeyCase{"edtSigma", "RETURN", mrNone},
                                         TKeyCase{"trkSigma", "ESCAPE", mrCancel}),
                         KeyCaseName);

TEST_P(MaxEntKeyTest, PressesTheButtonUnlessTheControlTakesTheKey) {
  TTestBlock input = StarFieldBlock(64, 64, true, 8);
  std::vector<uint8_t> output = input.Bytes;
  TfrmMaximumEntropy form;
  form.SetImage(input.Data(), output.data(), 8, input.Width, input.Height, true, input.RowBytes);
  form.LoadImage();
  ExpectKeyPresses(form, *form.btnOK, *form.btnCancel, "Maximum Entropy Deconvolution",
                   GetParam());
}

TEST(MaxEntFormTest, PreviewShowsTheIterationsResult) {
  TTestBlock input = StarFieldBlock(300, 270, false, 16);
  std::vector<uint8_t> output = input.Bytes;
  TfrmMaximumEntropy form;
  form.SetImage(input.Data(), output.data(), 16, input.Width, input.Height, false,
                input.RowBytes);
  form.LoadImage();
  EXPECT_EQ(ShowModalWithScript(form, "window \"Maximum Entropy Deconvolution\"\n"
                                      "set edtIterations 5\nclick btnPreview\n"
                                      "wait-enabled btnCancel 60000\n"
                                      "screenshot MaxEntPreview.png\n"
                                      "click btnCancel\nwait-closed\n"),
            mrCancel);
  const auto preview = ReferencePreview(input, 0, 0, MaxEntRun(5));
  ASSERT_NE(form.Image1->Picture(), nullptr);
  EXPECT_TRUE(SameTopLeft(*form.Image1->Picture(), *preview));
  EXPECT_EQ(output, input.Bytes);
}

}  // namespace
