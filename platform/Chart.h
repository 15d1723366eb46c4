// A two-dimensional bar chart: bar series over a bottom axis, a linear or logarithmic left
// axis, axis titles, no legend, no zoom or panning.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "Controls.h"

// One point of a series: its position, its height and the colour its bar is filled with.
struct TBarPoint {
  double X;
  double Y;
  std::string Label;
  TColor Color;
};

// A bar series. Points are kept in ascending X; the series shows only while Active.
class TBarSeries {
 public:
  explicit TBarSeries(TControl* chart) : FChart(chart) {}

  void AddXY(double x, double y, const std::string& label, TColor color);
  const std::vector<TBarPoint>& Points() const { return FPoints; }
  bool Active() const { return FActive; }
  void SetActive(bool active);
  // The series' colour, used for points added without a colour of their own (clNone).
  TColor SeriesColor() const { return FSeriesColor; }
  void SetSeriesColor(TColor color) { FSeriesColor = color; }
  // The bars' outline.
  TColor OutlineColor() const { return FOutlineColor; }
  void SetOutlineColor(TColor color);

 private:
  TControl* FChart;
  std::vector<TBarPoint> FPoints;
  bool FActive = true;
  TColor FSeriesColor = clBlack;
  TColor FOutlineColor = clBlack;
};

// "No colour of its own": a point added with it takes the series' colour.
constexpr TColor clNone = 0x1FFFFFFFu;

// One axis: its title and, for the left axis, whether it is logarithmic.
struct TChartAxis {
  std::string Title;
  bool Logarithmic = false;
};

// A labelled tick of an axis: its value, its pixel along the axis and its text.
struct TAxisTick {
  double Value;
  int Pixel;
  std::string Text;
};

class TChart : public TControl {
 public:
  TChart(TWinControl* parent, const char* name);

  // A new series, owned by the chart, drawn in the order of creation.
  TBarSeries* AddSeries();
  const std::vector<std::unique_ptr<TBarSeries>>& Series() const { return FSeries; }

  const TChartAxis& BottomAxis() const { return FBottomAxis; }
  const TChartAxis& LeftAxis() const { return FLeftAxis; }
  void SetBottomTitle(const std::string& title);
  void SetLeftTitle(const std::string& title);
  void SetLeftLogarithmic(bool logarithmic);
  // Margins around the plot in percent of the chart's width (left, right) and height (top,
  // bottom), outside the room the axis labels take.
  void SetMargins(int top, int left, int right, int bottom);

  // The plot area (inside the axes) as the last paint laid it out, in client pixels.
  RECT PlotRect() const;
  // The vertical pixel of value y on the left axis within plot; values a logarithmic axis
  // cannot show (0 and below) lie on its base line.
  int ValueToPixel(double y, const RECT& plot) const;
  // The horizontal pixel of value x on the bottom axis within plot.
  int XToPixel(double x, const RECT& plot) const;
  // The rectangle of a point's bar within plot: as wide as the smallest distance between the X
  // values of the shown series and centred on the slot of that width nearest to its X, so that
  // evenly spaced bars sit at their X and fill the plot edge to edge whatever the X range; at
  // least one pixel wide, and at least one pixel high for every value above 0, on either left
  // axis. False, with the bar's columns still given, for a point that draws nothing (a value
  // of 0 or below).
  bool BarRect(const TBarPoint& point, const RECT& plot, RECT& bar) const;
  // The labelled ticks of the bottom axis within plot, at round values inside its range.
  std::vector<TAxisTick> BottomTicks(const RECT& plot) const;

 protected:
  void Paint(HDC dc) override;

 private:
  // The left axis' range for the active series.
  void ValueRange(double& low, double& high) const;
  // The smallest and largest X of the active series.
  void XRange(double& low, double& high) const;
  // The width of one bar in X units: the smallest distance between neighbouring X values.
  double BarWidth() const;
  // The bottom axis in slots of one bar's width: the X of the first slot's centre (the
  // smallest X), the width and the number of slots up to the largest X.
  void XSlots(double& first, double& width, int& count) const;
  // The bottom axis' range: the slots from edge to edge.
  void AxisXRange(double& low, double& high) const;

  std::vector<std::unique_ptr<TBarSeries>> FSeries;
  TChartAxis FBottomAxis, FLeftAxis;
  int FMarginTop = 2, FMarginLeft = 1, FMarginRight = 1, FMarginBottom = 1;
};
