#include "platform/Chart.h"

#include <gtest/gtest.h>

#include <cmath>

#include "ControlsTestForm.h"

namespace {

TEST(ChartTest, PointsKeepAscendingXAndTheirOwnColours) {
  TOnForm<TChart> chart("Chart1");
  TBarSeries* series = chart->AddSeries();
  series->SetSeriesColor(clRed);
  series->AddXY(5, 1, "", clNone);
  series->AddXY(2, 3, "", clBlue);
  series->AddXY(5, 4, "", clBlack);
  ASSERT_EQ(series->Points().size(), 3u);
  EXPECT_EQ(series->Points()[0].X, 2);
  EXPECT_EQ(series->Points()[1].Y, 1);  // equal X keeps the order of adding
  EXPECT_EQ(series->Points()[2].Y, 4);
  EXPECT_EQ(series->Points()[0].Color, clBlue);
  EXPECT_EQ(series->Points()[1].Color, clRed);
}

// The left axis over the active series only: linear from 0 to a rounded top, logarithmic in
// whole decades from the one below the smallest value, with 0 and below on the base line.
TEST(ChartTest, LeftAxisMapsValuesLinearlyOrByDecades) {
  TOnForm<TChart> chart("Chart1");
  TBarSeries* counts = chart->AddSeries();
  TBarSeries* hidden = chart->AddSeries();
  for (int x = 0; x < 256; ++x) counts->AddXY(x, x == 10 ? 1000 : 10, "", clNone);
  hidden->AddXY(0, 1e9, "", clNone);
  hidden->SetActive(false);
  const RECT plot = chart->PlotRect();
  ASSERT_GT(plot.bottom, plot.top);
  EXPECT_EQ(chart->ValueToPixel(0, plot), plot.bottom);
  EXPECT_EQ(chart->ValueToPixel(1000, plot), plot.top);
  EXPECT_EQ(chart->ValueToPixel(500, plot), (plot.top + plot.bottom + 1) / 2);
  chart->SetLeftLogarithmic(true);
  const RECT logPlot = chart->PlotRect();
  const int logHeight = logPlot.bottom - logPlot.top;
  EXPECT_EQ(chart->ValueToPixel(0, logPlot), logPlot.bottom);
  EXPECT_EQ(chart->ValueToPixel(1, logPlot), logPlot.bottom);  // a decade below the smallest
  EXPECT_EQ(chart->ValueToPixel(10, logPlot), logPlot.bottom - static_cast<int>(std::lround(logHeight / 3.0)));
  EXPECT_EQ(chart->ValueToPixel(1000, logPlot), logPlot.top);
}

}  // namespace
