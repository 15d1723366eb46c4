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

 protected:
  void Paint(HDC dc) override;

 private:
  // The left axis' range for the active series.
  void ValueRange(double& low, double& high) const;
  void XRange(double& low, double& high) const;

  std::vector<std::unique_ptr<TBarSeries>> FSeries;
  TChartAxis FBottomAxis, FLeftAxis;
  int FMarginTop = 2, FMarginLeft = 1, FMarginRight = 1, FMarginBottom = 1;
};
