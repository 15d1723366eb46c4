// Tests of the DDP dialog, created directly as the start handler creates it and driven by
// dialog scripts under Wine.
#include "ddp/DDPForm.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DDPReference.h"
#include "DialogTestSupport.h"

namespace {

const char kOpen[] = "window \"Digital Development Process\"\n";

// The dialog on a block, as the start handler hands it over.
struct TOpenDialog : TDialogOnBlock<TfrmDDP> {
  using TDialogOnBlock::TDialogOnBlock;
  bool PreviewShows(const TDDPSettings& settings) {
    const auto expected = ReferenceDDPPreview(Input, settings);
    return Form.Image1->Picture() != nullptr && expected != nullptr &&
           SameTopLeft(*Form.Image1->Picture(), *expected);
  }
};

TEST(DDPFormTest, OpensWithTheDefaultsAndTheirPreview) {
  TOpenDialog dialog(StarFieldBlock(500, 300, false, 16));
  EXPECT_EQ(ShowModalWithScript(dialog.Form, std::string(kOpen) +
                                                  "expect-text edtMidLevel 50.00\n"
                                                  "expect-text edtBackground 0.00\n"
                                                  "screenshot DDPDialog.png\n"
                                                  "click btnCancel\nwait-closed\n"),
            mrCancel);
  EXPECT_EQ(dialog.Form.Caption(), "Digital Development Process");
  EXPECT_EQ(dialog.Form.cmbEdge->ItemIndex(), 1);
  EXPECT_EQ(dialog.Form.EdgeKernelSize(), 3);
  EXPECT_TRUE(dialog.PreviewShows(TDDPSettings{}));
  EXPECT_EQ(dialog.Output, dialog.Input.Bytes);
}

struct TLinkCase {
  const char* Text;  // typed over the mid-level spin edit
  int Position;      // where the track bar ends
  const char* Shown; // what the spin edit then reads
};

class DDPLinkTest : public testing::TestWithParam<TLinkCase> {};

INSTANTIATE_TEST_SUITE_P(
    Texts, DDPLinkTest,
    testing::Values(TLinkCase{"0", 1, "1.00"}, TLinkCase{"50.5", 50, "50.5"},
                    TLinkCase{"51.5", 52, "52.00"}, TLinkCase{"150", 100, "100.00"},
                    TLinkCase{"7", 7, "7.00"},
                    // Beyond every integer, and beyond every long double: still the bar's end.
                    TLinkCase{"99999999999", 100, "100.00"}, TLinkCase{"1e4000", 100, "100.00"},
                    // Not a number: the spin edit's minimum, 0, which the bar pulls to 1.
                    TLinkCase{"x", 1, "1.00"}));

TEST_P(DDPLinkTest, TheTrackBarHoldsTheValueThatCounts) {
  TfrmDDP form;
  form.edtMidLevel->SetText(GetParam().Text);
  EXPECT_EQ(form.trkMidLevel->Position(), GetParam().Position);
  EXPECT_EQ(form.edtMidLevel->Text(), GetParam().Shown);
}

// Typed key by key, the text stays as typed while the bar follows it; OK applies the bar's
// value. Leaving the edit keeps a text inside its range and pulls one beyond it in.
class DDPTypedTest : public testing::TestWithParam<TLinkCase> {};

INSTANTIATE_TEST_SUITE_P(Texts, DDPTypedTest,
                         testing::Values(TLinkCase{"35.5", 36, "35.5"},
                                         TLinkCase{"150", 100, "100.00"}));

TEST_P(DDPTypedTest, TheBarFollowsTheTypedText) {
  const std::string text = GetParam().Text;
  TOpenDialog dialog(StarFieldBlock(120, 90, true, 8));
  EXPECT_EQ(ShowModalWithScript(dialog.Form, std::string(kOpen) + "type edtMidLevel " + text +
                                                  "\nexpect-text edtMidLevel " + text +
                                                  "\nclick btnOK\nwait-closed 60000\n"),
            mrOk);
  EXPECT_EQ(dialog.Form.edtMidLevel->Text(), GetParam().Shown);
  EXPECT_EQ(dialog.Form.trkMidLevel->Position(), GetParam().Position);
  EXPECT_EQ(dialog.Output, ReferenceApply(dialog.Input, {3, GetParam().Position, 0}));
}

TEST(DDPFormTest, EveryChangeRedrawsThePreviewUnlessItIsSwitchedOff) {
  TOpenDialog dialog(StarFieldBlock(300, 420, true, 8));
  // Switched off, the changes are not drawn; switched on again, the current settings are.
  EXPECT_EQ(ShowModalWithScript(
                dialog.Form, std::string(kOpen) +
                                 "set cmbEdge Strong\nset trkMidLevel 30\n"
                                 "set chkPreview 0\nset edtBackground 20\nset cmbEdge None\n"
                                 "set chkPreview 1\nclick btnCancel\nwait-closed\n"),
            mrCancel);
  EXPECT_TRUE(dialog.PreviewShows({0, 30, 20}));
  EXPECT_EQ(dialog.Output, dialog.Input.Bytes);
}

TEST(DDPFormTest, EnterAppliesTheSettingsToTheWholeImage) {
  TOpenDialog dialog(StarFieldBlock(300, 200, false, 8));
  EXPECT_EQ(ShowModalWithScript(dialog.Form, std::string(kOpen) +
                                                  "set cmbEdge Medium\nset edtBackground 10\n"
                                                  "key btnOK RETURN\nwait-closed 60000\n"),
            mrOk);
  EXPECT_EQ(dialog.Output, ReferenceApply(dialog.Input, {5, 50, 10}));
}

class DDPKeyTest : public testing::TestWithParam<TKeyCase> {};

INSTANTIATE_TEST_SUITE_P(Controls, DDPKeyTest,
                         testing::Values(TKeyCase{"trkMidLevel", "RETURN", mrOk},
                                         TKeyCase{"cmbEdge", "RETURN", mrOk},
                                         TKeyCase{"chkPreview", "RETURN", mrOk},
                                         TKeyCase{"edtBackground", "RETURN", mrNone},
                                         TKeyCase{"cmbEdge", "ESCAPE", mrCancel}),
                         KeyCaseName);

TEST_P(DDPKeyTest, PressesTheButtonUnlessTheControlTakesTheKey) {
  TOpenDialog dialog(StarFieldBlock(40, 30, true, 8));
  ExpectKeyPresses(dialog.Form, *dialog.Form.btnOK, *dialog.Form.btnCancel,
                   "Digital Development Process", GetParam());
}

TEST(DDPFormTest, EscapeCancelsAndTheCloseBoxToo) {
  for (const char* close : {"key btnOK ESCAPE\n", "close\n"}) {
    TOpenDialog dialog(StarFieldBlock(40, 30, true, 16));
    EXPECT_EQ(ShowModalWithScript(dialog.Form, std::string(kOpen) + "set trkBackground 40\n" +
                                                    close + "wait-closed\n"),
              mrCancel);
    EXPECT_EQ(dialog.Output, dialog.Input.Bytes);
  }
}

TEST(DDPFormTest, WithoutAnImageOKSaysSoAndTheDialogStaysOpen) {
  TfrmDDP form;
  std::vector<uint8_t> output(16 * 16, 7);
  form.SetImage(nullptr, output.data(), 8, 16, 16, true, 16);
  EXPECT_EQ(ShowModalWithScript(form, std::string(kOpen) +
                                          "click btnOK\nwindow Error\nclick OK\nwait-closed\n" +
                                          kOpen + "click btnCancel\nwait-closed\n"),
            mrCancel);
  EXPECT_EQ(output, std::vector<uint8_t>(16 * 16, 7));
}

}  // namespace
