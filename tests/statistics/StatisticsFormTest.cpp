// Tests of the statistics dialog, created directly as the start handler creates it and driven
// by dialog scripts under Wine.
#include "statistics/StatisticsForm.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ostream>
#include <string>
#include <utility>
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

// ---- The histogram as drawn

// The 256 bars of the shown series in the plot: each at its bin's X, the bins edge to edge
// from the plot's left to its right (no gap, no overlap), every non-empty bin at least one
// pixel wide and high, and every label of the bottom axis on the bar of the bin whose X is
// nearest to the label's value.
void ExpectBarsFillThePlot(const TChart& chart, const TBarSeries& series) {
  const RECT plot = chart.PlotRect();
  const std::vector<TBarPoint>& points = series.Points();
  ASSERT_EQ(points.size(), 256u);
  std::vector<RECT> bars(points.size());
  for (size_t i = 0; i < points.size(); ++i) {
    EXPECT_EQ(chart.BarRect(points[i], plot, bars[i]), points[i].Y > 0) << i;
    EXPECT_GE(bars[i].right - bars[i].left, 1) << i;
    if (points[i].Y > 0) {
      EXPECT_LT(bars[i].top, bars[i].bottom) << "bin " << i << " vanishes";
    }
    if (i > 0) {
      EXPECT_EQ(bars[i].left, bars[i - 1].right) << i;
    }
  }
  EXPECT_EQ(bars.front().left, plot.left);
  EXPECT_EQ(bars.back().right, plot.right);
  const std::vector<TAxisTick> ticks = chart.BottomTicks(plot);
  EXPECT_GE(ticks.size(), 2u);
  for (const TAxisTick& tick : ticks) {
    size_t nearest = 0;
    for (size_t i = 1; i < points.size(); ++i)
      if (std::fabs(points[i].X - tick.Value) < std::fabs(points[nearest].X - tick.Value)) nearest = i;
    EXPECT_GE(tick.Pixel, bars[nearest].left) << tick.Text;
    EXPECT_LE(tick.Pixel, bars[nearest].right) << tick.Text;
  }
}

TTestBlock OnePixel(bool isGray, std::vector<uint8_t> samples) {
  TTestBlock block;
  block.Width = block.Height = 1;
  block.IsGray = isGray;
  block.BitDepth = 8;
  block.RowBytes = static_cast<int>(samples.size());
  block.Bytes = std::move(samples);
  return block;
}

struct THistogramCase {
  const char* Name;
  TTestBlock (*Make)();
  const char* Channel;  // the channel shown, "Intensity" for gray images
  int Series;           // its number, 1..4
};
void PrintTo(const THistogramCase& c, std::ostream* os) { *os << c.Name; }

class HistogramChartTest : public testing::TestWithParam<THistogramCase> {};

INSTANTIATE_TEST_SUITE_P(
    Ranges, HistogramChartTest,
    testing::Values(
        THistogramCase{"Gray8", [] { return StarFieldBlock(200, 150, true, 8); }, "Intensity", 1},
        THistogramCase{"Gray16", [] { return StarFieldBlock(200, 150, true, 16); }, "Intensity", 1},
        THistogramCase{"RGB32InZeroToOne", [] { return StarFieldBlock(200, 150, false, 32); }, "Intensity", 1},
        THistogramCase{"OneByOneGray", [] { return OnePixel(true, {100}); }, "Intensity", 1},
        THistogramCase{"OneByOneRed", [] { return OnePixel(false, {255, 0, 0}); }, "Red", 2},
        THistogramCase{"OneByOneGreen", [] { return OnePixel(false, {255, 0, 0}); }, "Green", 3}),
    [](const testing::TestParamInfo<THistogramCase>& info) { return std::string(info.param.Name); });

TEST_P(HistogramChartTest, BarsSitAtTheirBinsAndFillThePlotOnBothAxes) {
  const THistogramCase& c = GetParam();
  TOpenDialog dialog(c.Make());
  const std::string name = std::string("StatisticsHistogram") + c.Name;
  const std::string choose = dialog.Input.IsGray ? "" : std::string("set cmbChannel ") + c.Channel + "\n";
  EXPECT_EQ(ShowModalWithScript(dialog.Form, "window \"Statistics - \"\n" + choose + "screenshot " + name +
                                                 ".png\nset chkLog 1\nscreenshot " + name +
                                                 "Log.png\nclick btnOK\nwait-closed\n"),
            mrOk);
  TBarSeries* series[] = {dialog.Form.Series1, dialog.Form.Series2, dialog.Form.Series3,
                          dialog.Form.Series4};
  ASSERT_TRUE(series[c.Series - 1]->Active());
  ASSERT_TRUE(dialog.Form.Chart1->LeftAxis().Logarithmic);
  ExpectBarsFillThePlot(*dialog.Form.Chart1, *series[c.Series - 1]);
  dialog.Form.Chart1->SetLeftLogarithmic(false);
  ExpectBarsFillThePlot(*dialog.Form.Chart1, *series[c.Series - 1]);
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
