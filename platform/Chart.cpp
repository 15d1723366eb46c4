#include "Chart.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "GdiObjects.h"

namespace {

constexpr int kTickPx = 4;
constexpr int kGapPx = 3;

// A step of 1, 2 or 5 times a power of ten giving about `count` steps over range.
double NiceStep(double range, int count) {
  const double raw = range / count;
  if (!(raw > 0)) return 1;
  const double power = std::pow(10.0, std::floor(std::log10(raw)));
  const double fraction = raw / power;
  return (fraction <= 1 ? 1 : fraction <= 2 ? 2 : fraction <= 5 ? 5 : 10) * power;
}

std::string AxisLabel(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.10g", value);
  return text;
}

int TextWidth(HDC dc, const std::string& text) {
  SIZE size{};
  GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
  return size.cx;
}

// The labels of the left axis between low and high, and their values.
std::vector<double> LeftTicks(double low, double high, bool logarithmic) {
  std::vector<double> ticks;
  // At most a few dozen ticks, whatever the values.
  if (logarithmic) {
    for (double v = low; v <= high * 1.0000001 && ticks.size() < 40; v *= 10) ticks.push_back(v);
  } else {
    const double step = NiceStep(high - low, 5);
    for (int n = 0; n < 40 && low + n * step <= high + step * 1e-9; ++n) ticks.push_back(low + n * step);
  }
  return ticks;
}

}  // namespace

// ---- TBarSeries

void TBarSeries::AddXY(double x, double y, const std::string& label, TColor color) {
  const TBarPoint point{x, y, label, color == clNone ? FSeriesColor : color};
  // Ascending X: a point goes after every point of the same or a lower X.
  auto at = std::upper_bound(FPoints.begin(), FPoints.end(), x,
                             [](double value, const TBarPoint& p) { return value < p.X; });
  FPoints.insert(at, point);
  FChart->Invalidate();
}

void TBarSeries::SetActive(bool active) {
  if (active == FActive) return;
  FActive = active;
  FChart->Invalidate();
}

void TBarSeries::SetOutlineColor(TColor color) {
  FOutlineColor = color;
  FChart->Invalidate();
}

// ---- TChart

TChart::TChart(TWinControl* parent, const char* name) : TControl(parent, name, false) {
  SetBounds(0, 0, 400, 250);
  CreateHandle(nullptr, WS_VISIBLE, 0, "", parent->Handle(), parent->NextControlId());
}

TBarSeries* TChart::AddSeries() {
  FSeries.push_back(std::make_unique<TBarSeries>(this));
  Invalidate();
  return FSeries.back().get();
}

void TChart::SetBottomTitle(const std::string& title) {
  FBottomAxis.Title = title;
  Invalidate();
}

void TChart::SetLeftTitle(const std::string& title) {
  FLeftAxis.Title = title;
  Invalidate();
}

void TChart::SetLeftLogarithmic(bool logarithmic) {
  if (logarithmic == FLeftAxis.Logarithmic) return;
  FLeftAxis.Logarithmic = logarithmic;
  Invalidate();
}

void TChart::SetMargins(int top, int left, int right, int bottom) {
  FMarginTop = top;
  FMarginLeft = left;
  FMarginRight = right;
  FMarginBottom = bottom;
  Invalidate();
}

void TChart::XRange(double& low, double& high) const {
  low = 0;
  high = 0;
  bool any = false;
  for (const auto& series : FSeries) {
    if (!series->Active() || series->Points().empty()) continue;
    const double first = series->Points().front().X, last = series->Points().back().X;
    low = any ? std::min(low, first) : first;
    high = any ? std::max(high, last) : last;
    any = true;
  }
}

double TChart::BarWidth() const {
  double width = 0;
  for (const auto& series : FSeries) {
    if (!series->Active()) continue;
    const std::vector<TBarPoint>& points = series->Points();
    for (size_t i = 1; i < points.size(); ++i) {
      const double gap = points[i].X - points[i - 1].X;
      if (gap > 0 && (width == 0 || gap < width)) width = gap;
    }
  }
  // A series of one X value (or none) has no spacing: one X unit.
  return width > 0 ? width : 1;
}

void TChart::XSlots(double& first, double& width, int& count) const {
  double last;
  XRange(first, last);
  width = BarWidth();
  // Far more slots than pixels only happen for X values spaced very unevenly; the bound keeps
  // the count an int, and such bars are one pixel wide anyway.
  count = static_cast<int>(std::lround(std::min((last - first) / width, 1e6))) + 1;
}

void TChart::AxisXRange(double& low, double& high) const {
  double first, width;
  int count;
  XSlots(first, width, count);
  low = first - width / 2;
  high = low + count * width;
}

void TChart::ValueRange(double& low, double& high) const {
  double top = 0, smallestPositive = 0;
  for (const auto& series : FSeries) {
    if (!series->Active()) continue;
    for (const TBarPoint& point : series->Points()) {
      top = std::max(top, point.Y);
      if (point.Y > 0 && (smallestPositive == 0 || point.Y < smallestPositive))
        smallestPositive = point.Y;
    }
  }
  if (FLeftAxis.Logarithmic) {
    // Whole decades, from the one below the smallest positive value: a value on the base line
    // would have no height, and on a count axis the smallest count is often 1, a decade.
    low = 1;
    if (smallestPositive > 0) {
      low = std::pow(10.0, std::floor(std::log10(smallestPositive)));
      if (low >= smallestPositive) low /= 10;
      if (!(low > 0)) low = smallestPositive;  // below the doubles' range of decades
    }
    high = top > low ? std::pow(10.0, std::ceil(std::log10(top))) : low * 10;
  } else {
    low = 0;
    high = top > 0 ? top : 1;
    const double step = NiceStep(high, 5);
    high = std::ceil(high / step) * step;
  }
}

int TChart::ValueToPixel(double y, const RECT& plot) const {
  double low, high;
  ValueRange(low, high);
  const double height = plot.bottom - plot.top;
  double share;
  if (FLeftAxis.Logarithmic)
    share = y > 0 ? (std::log10(y) - std::log10(low)) / (std::log10(high) - std::log10(low)) : 0;
  else
    share = (y - low) / (high - low);
  share = std::clamp(share, 0.0, 1.0);
  return plot.bottom - static_cast<int>(std::lround(share * height));
}

int TChart::XToPixel(double x, const RECT& plot) const {
  double low, high;
  AxisXRange(low, high);
  const double share = (x - low) / (high - low);
  return plot.left + static_cast<int>(std::lround(share * (plot.right - plot.left)));
}

bool TChart::BarRect(const TBarPoint& point, const RECT& plot, RECT& bar) const {
  double first, width;
  int count;
  XSlots(first, width, count);
  // The bar fills the slot nearest to its X. Its edges come from the slot's index, not from
  // its X, so that the right edge of one bar is exactly the left edge of the next, whatever
  // the rounding of the X values: no gaps and no overlaps.
  const double slot = std::nearbyint((point.X - first) / width);
  const double slotPx = static_cast<double>(plot.right - plot.left) / count;
  bar.left = plot.left + static_cast<LONG>(std::lround(slot * slotPx));
  bar.right = std::max<LONG>(bar.left + 1, plot.left + static_cast<LONG>(std::lround((slot + 1) * slotPx)));
  bar.bottom = plot.bottom;
  bar.top = plot.bottom;
  if (!(point.Y > 0)) return false;
  bar.top = std::min<LONG>(ValueToPixel(point.Y, plot), plot.bottom - 1);
  return true;
}

std::vector<TAxisTick> TChart::BottomTicks(const RECT& plot) const {
  double low, high, axisLow, axisHigh;
  XRange(low, high);
  AxisXRange(axisLow, axisHigh);
  // Steps over the points' range; multiples of the step, so that no sum drifts off a label.
  const double step = NiceStep(high > low ? high - low : axisHigh - axisLow, 5);
  // A bounded count of ticks: X values far from 0 next to their spacing would otherwise have
  // steps that vanish in the rounding of k.
  const double first = std::ceil(axisLow / step);
  std::vector<TAxisTick> ticks;
  for (int n = 0; n < 100 && (first + n) * step <= axisHigh; ++n) {
    const double value = (first + n) * step;
    ticks.push_back({value, XToPixel(value, plot), AxisLabel(value == 0 ? 0.0 : value)});
  }
  return ticks;
}

RECT TChart::PlotRect() const {
  TScreenDC screen;
  TSelection font(screen.Get(), Font().Handle());
  TEXTMETRICA metrics{};
  GetTextMetricsA(screen.Get(), &metrics);
  double low, high;
  ValueRange(low, high);
  int labelWidth = 0;
  for (double tick : LeftTicks(low, high, FLeftAxis.Logarithmic))
    labelWidth = std::max(labelWidth, TextWidth(screen.Get(), AxisLabel(tick)));
  const int lineHeight = metrics.tmHeight;
  RECT plot;
  plot.left = Width() * FMarginLeft / 100 + lineHeight + kGapPx + labelWidth + kTickPx;
  plot.top = Height() * FMarginTop / 100 + lineHeight / 2;
  plot.right = Width() - Width() * FMarginRight / 100 - TextWidth(screen.Get(), "000") / 2;
  plot.bottom = Height() - Height() * FMarginBottom / 100 - 2 * lineHeight - kTickPx - kGapPx;
  plot.right = std::max(plot.right, plot.left + 1);
  plot.bottom = std::max(plot.bottom, plot.top + 1);
  return plot;
}

void TChart::Paint(HDC dc) {
  const RECT client = {0, 0, Width(), Height()};
  TGdiObject<HBRUSH> face(CreateSolidBrush(ColorToRGB(Color())));
  FillRect(dc, &client, face.Get());
  const RECT plot = PlotRect();
  FillRect(dc, &plot, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));

  // Bars first, then the axes beside them.
  for (const auto& series : FSeries) {
    if (!series->Active()) continue;
    TGdiObject<HBRUSH> outline(CreateSolidBrush(ColorToRGB(series->OutlineColor())));
    for (const TBarPoint& point : series->Points()) {
      RECT bar;
      if (!BarRect(point, plot, bar)) continue;
      TGdiObject<HBRUSH> fill(CreateSolidBrush(ColorToRGB(point.Color)));
      FillRect(dc, &bar, fill.Get());
      if (bar.right - bar.left > 2 && bar.bottom - bar.top > 2) FrameRect(dc, &bar, outline.Get());
    }
  }

  TSelection font(dc, Font().Handle());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, ColorToRGB(clWindowText));
  TEXTMETRICA metrics{};
  GetTextMetricsA(dc, &metrics);
  const int lineHeight = metrics.tmHeight;
  TGdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, RGB(0, 0, 0)));
  TSelection penSelection(dc, pen.Get());
  // The axes run just outside the plot (bars end above its bottom row, which FillRect leaves
  // out), so that no line covers the first bar: at two pixels a bar, bin 0 would otherwise
  // show as half of a line.
  const int axisX = plot.left - 1;
  MoveToEx(dc, axisX, plot.top, nullptr);
  LineTo(dc, axisX, plot.bottom);
  LineTo(dc, plot.right, plot.bottom);

  // Left axis: ticks and labels.
  double low, high;
  ValueRange(low, high);
  SetTextAlign(dc, TA_RIGHT | TA_TOP);
  for (double tick : LeftTicks(low, high, FLeftAxis.Logarithmic)) {
    const int y = ValueToPixel(tick, plot);
    MoveToEx(dc, axisX - kTickPx, y, nullptr);
    LineTo(dc, axisX, y);
    const std::string text = AxisLabel(tick);
    TextOutA(dc, axisX - kTickPx - 1, y - lineHeight / 2, text.c_str(),
             static_cast<int>(text.size()));
  }
  // Bottom axis: ticks and labels at their values.
  SetTextAlign(dc, TA_CENTER | TA_TOP);
  for (const TAxisTick& tick : BottomTicks(plot)) {
    MoveToEx(dc, tick.Pixel, plot.bottom, nullptr);
    LineTo(dc, tick.Pixel, plot.bottom + kTickPx);
    TextOutA(dc, tick.Pixel, plot.bottom + kTickPx, tick.Text.c_str(),
             static_cast<int>(tick.Text.size()));
  }
  // Titles: the bottom one centred below the labels, the left one turned upright.
  const std::string& bottomTitle = FBottomAxis.Title;
  TextOutA(dc, (plot.left + plot.right) / 2, plot.bottom + kTickPx + lineHeight + kGapPx,
           bottomTitle.c_str(), static_cast<int>(bottomTitle.size()));
  LOGFONTA upright = Font().LogFont();
  upright.lfEscapement = upright.lfOrientation = 900;
  TGdiObject<HFONT> uprightFont(CreateFontIndirectA(&upright));
  TSelection uprightSelection(dc, uprightFont.Get());
  const std::string& leftTitle = FLeftAxis.Title;
  TextOutA(dc, Width() * FMarginLeft / 100, (plot.top + plot.bottom) / 2, leftTitle.c_str(),
           static_cast<int>(leftTitle.size()));
}
