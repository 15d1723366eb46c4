// Tests of the statistics dialog, created directly as the start handler creates it and driven
// by dialog scripts under Wine.
#include "statistics/StatisticsForm.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DeconvolutionReference.h"
#include "DialogTestSupport.h"
#include "platform/NumberFormat.h"

namespace {

// The dialog on a block, as the start handler hands it over.
struct TOpenDialog : TDialogOnBlock<TfrmStatistics> {
  using TDialogOnBlock::TDialogOnBlock;
  TStatisticsImage Image() const {
    return {Input.Bytes.data(), Input.RowBytes, static_cast<uint8_t>(Input.BitDepth),
            Input.Width, Input.Height, Input.IsGray};
  }
  std::vector<bool> ActiveSeries() const {
    return {Form.Series1->Active(), Form.Series2->Active(), Form.Series3->Active(),
            Form.Series4->Active()};
  }
};

// The list shows what the kernel computes, row for row and column for column.
void ExpectListShows(const TfrmStatistics& form, const TStatisticsTable& table) {
  ASSERT_EQ(form.lstStatistics->ItemCount(), static_cast<int>(table.Rows.size()));
  for (size_t row = 0; row < table.Rows.size(); ++row) {
    EXPECT_EQ(form.lstStatistics->ItemText(static_cast<int>(row), 0), table.Rows[row].Caption);
    for (int column = 1; column <= 5; ++column)
      EXPECT_EQ(form.lstStatistics->ItemText(static_cast<int>(row), column),
                table.Rows[row].SubItems[column - 1]);
  }
}

TEST(StatisticsFormTest, AGrayImageShowsOneRowAndOnlyItsHistogram) {
  TOpenDialog dialog(StarFieldBlock(320, 200, true, 16, 4));
  EXPECT_EQ(ShowModalWithScript(dialog.Form, "window \"Statistics - \"\n"
                                             "expect-enabled cmbChannel 0\n"
                                             "click btnOK\nwait-closed\n"),
            mrOk);
  const TStatisticsTable table = ComputeStatistics(dialog.Image(), LocaleDecimalSeparator());
  ExpectListShows(dialog.Form, table);
  EXPECT_EQ(table.Rows.at(0).Caption, "*");
  EXPECT_EQ(dialog.Form.Caption(), table.Caption);
  EXPECT_EQ(dialog.Form.cmbChannel->ItemIndex(), 0);
  EXPECT_EQ(dialog.ActiveSeries(), (std::vector<bool>{true, false, false, false}));
  EXPECT_EQ(dialog.Form.Series1->Points().size(), 256u);
  EXPECT_TRUE(dialog.Form.Series2->Points().empty());
  EXPECT_EQ(dialog.Output, dialog.Input.Bytes);
}

TEST(StatisticsFormTest, AnRGBImageShowsOneChannelAtATimeOnALinearOrLogAxis) {
  TOpenDialog dialog(StarFieldBlock(300, 240, false, 8));
  EXPECT_EQ(ShowModalWithScript(dialog.Form, "window \"Statistics - \"\n"
                                             "expect-enabled cmbChannel 1\n"
                                             "set cmbChannel Green\nset chkLog 1\n"
                                             "screenshot StatisticsDialog.png\n"
                                             "click btnOK\nwait-closed\n"),
            mrOk);
  const TStatisticsTable table = ComputeStatistics(dialog.Image(), LocaleDecimalSeparator());
  ExpectListShows(dialog.Form, table);
  ASSERT_EQ(table.Rows.size(), 3u);
  EXPECT_EQ(dialog.ActiveSeries(), (std::vector<bool>{false, false, true, false}));
  EXPECT_TRUE(dialog.Form.Chart1->LeftAxis().Logarithmic);
  for (TBarSeries* series : {dialog.Form.Series1, dialog.Form.Series2, dialog.Form.Series3,
                             dialog.Form.Series4})
    EXPECT_EQ(series->Points().size(), 256u);
  dialog.Form.cmbChannel->SetItemIndex(0);
  dialog.Form.cmbChannelChange();
  EXPECT_EQ(dialog.ActiveSeries(), (std::vector<bool>{true, false, false, false}));
  dialog.Form.chkLog->SetChecked(false);
  EXPECT_FALSE(dialog.Form.Chart1->LeftAxis().Logarithmic);
}

TEST(StatisticsFormTest, WithoutAnImageTheDialogOpensEmpty) {
  TfrmStatistics form;
  form.SetImage(nullptr, nullptr, 8, 10, 10, true, 10);
  EXPECT_EQ(ShowModalWithScript(form, "window Statistics\nclose\nwait-closed\n"), mrCancel);
  EXPECT_EQ(form.Caption(), "Statistics");
  EXPECT_EQ(form.lstStatistics->ItemCount(), 0);
  EXPECT_TRUE(form.Series1->Points().empty());
}

}  // namespace
