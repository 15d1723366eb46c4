#include "statistics/StatisticsForm.h"

#include "framework/AboutForm.h"
#include "framework/Vista.h"
#include "platform/NumberFormat.h"
#include "statistics/ExcelExport.h"

TfrmStatistics::TfrmStatistics() : TForm("frmStatistics") {
  SetCaption("Statistics");
  SetClientSize(561, 534);

  // Created in the Tab order.
  btnOK = new TButton(this, "btnOK");
  btnOK->SetBounds(480, 504, 75, 25);
  btnOK->SetCaption("OK");
  btnOK->SetDefault(true);
  btnOK->OnClick = [this] { btnOKClick(); };

  GroupBox1 = new TGroupBox(this, "GroupBox1");
  GroupBox1->SetBounds(8, 304, 545, 193);
  GroupBox1->SetCaption("Statistics");
  lstStatistics = new TListView(GroupBox1, "lstStatistics");
  lstStatistics->SetBounds(16, 28, 513, 117);
  lstStatistics->AddColumn("Chan.");
  for (const char* column : {"Minimum", "Maximum", "Mean", "Std. Dev.", "Sum"})
    lstStatistics->AddColumn(column, 90);
  Button1 = new TButton(GroupBox1, "Button1");
  Button1->SetBounds(432, 152, 99, 25);
  Button1->SetCaption("Send to Excel");
  Button1->OnClick = [this] { Button1Click(); };

  GroupBox2 = new TGroupBox(this, "GroupBox2");
  GroupBox2->SetBounds(8, 8, 545, 289);
  GroupBox2->SetCaption("Histogram");
  Chart1 = new TChart(GroupBox2, "Chart1");
  Chart1->SetBounds(8, 56, 521, 217);
  Chart1->SetBottomTitle("Pixel Value");
  Chart1->SetLeftTitle("Count");
  Chart1->SetMargins(2, 1, 1, 1);
  chkLog = new TCheckBox(GroupBox2, "chkLog");
  chkLog->SetBounds(232, 24, 97, 17);
  chkLog->SetCaption("Log scale");
  cmbChannel = new TComboBox(GroupBox2, "cmbChannel");
  cmbChannel->SetBounds(72, 24, 145, 21);
  cmbChannel->SetItems({"Intensity", "Red", "Green", "Blue"});

  // Series1 the intensity (or gray) histogram, Series2..4 red, green and blue.
  Series1 = Chart1->AddSeries();
  Series2 = Chart1->AddSeries();
  Series3 = Chart1->AddSeries();
  Series4 = Chart1->AddSeries();
  Series1->SetSeriesColor(clBlack);
  Series1->SetOutlineColor(clBlack);
  Series2->SetSeriesColor(clRed);
  Series2->SetOutlineColor(clRed);
  Series3->SetSeriesColor(RGB(0, 255, 0));
  Series3->SetOutlineColor(RGB(0, 255, 0));
  Series4->SetSeriesColor(clBlue);
  Series4->SetOutlineColor(clBlue);

  btnAbout = MakeAboutButton(this, 8, 504, [this] { btnAboutClick(); });

  chkLog->OnClick = [this] { chkLogClick(); };
  cmbChannel->OnChange = [this] { cmbChannelChange(); };
  OnCreate = [this] { FormCreate(); };
  OnShow = [this] { FormShow(); };
  DoCreate();
}

TfrmStatistics::~TfrmStatistics() = default;

void TfrmStatistics::SetImage(void* InData, void*, uint8 BitDepth, int32 ImageWidth,
                              int32 ImageHeight, bool IsGray, int32 RowBytes) {
  FInData = InData;
  FBitDepth = BitDepth;
  FImageWidth = ImageWidth;
  FImageHeight = ImageHeight;
  FIsGray = IsGray;
  FRowBytes = RowBytes;
}

TStatisticsImage TfrmStatistics::Image() const {
  TStatisticsImage image;
  image.Data = FInData;
  image.RowBytes = FRowBytes;
  image.BitDepth = FBitDepth;
  image.Width = FImageWidth;
  image.Height = FImageHeight;
  image.IsGray = FIsGray;
  return image;
}

// ---- Opening

void TfrmStatistics::FormCreate() {
  SetSystemFont(Font());
  lstStatistics->Font().SetName(Font().Name());
}

void TfrmStatistics::FormShow() {
  lstStatistics->Clear();
  ComputeStatistics();
  BuildHistogram();
  cmbChannel->SetEnabled(!FIsGray);
  cmbChannel->SetItemIndex(0);  // set by the program: no change event
  Series1->SetActive(true);
  Series2->SetActive(false);
  Series3->SetActive(false);
  Series4->SetActive(false);
}

void TfrmStatistics::ComputeStatistics() {
  const TStatisticsTable table = ::ComputeStatistics(Image(), LocaleDecimalSeparator());
  for (const TStatisticsRow& row : table.Rows)
    lstStatistics->AddItem(row.Caption,
                           std::vector<std::string>(row.SubItems.begin(), row.SubItems.end()));
  SetCaption(table.Caption);
}

void TfrmStatistics::BuildHistogram() {
  const THistogram histogram = ::BuildHistogram(Image());
  TBarSeries* series[] = {Series1, Series2, Series3, Series4};
  // Point i of every series before point i + 1, as the chart receives them.
  for (size_t point = 0; point < 256; ++point)
    for (size_t s = 0; s < histogram.Series.size() && s < 4; ++s) {
      const THistogramSeries& source = histogram.Series[s];
      if (point >= source.Points.size()) continue;
      series[s]->AddXY(source.Points[point].X, source.Points[point].Y, "",
                       RGB(source.Colour.R, source.Colour.G, source.Colour.B));
    }
}

// ---- Controls

void TfrmStatistics::cmbChannelChange() {
  TBarSeries* series[] = {Series1, Series2, Series3, Series4};
  for (TBarSeries* s : series) s->SetActive(false);
  const int index = cmbChannel->ItemIndex();
  if (index >= 0 && index < 4) series[index]->SetActive(true);
}

void TfrmStatistics::chkLogClick() { Chart1->SetLeftLogarithmic(chkLog->Checked()); }

void TfrmStatistics::btnOKClick() { SetModalResult(mrOk); }

void TfrmStatistics::btnAboutClick() { DoAbout(); }

void TfrmStatistics::Button1Click() { SendToExcel(); }

void TfrmStatistics::SendToExcel() {
  std::vector<TStatisticsRow> rows;
  for (int item = 0; item < lstStatistics->ItemCount(); ++item) {
    TStatisticsRow row;
    row.Caption = lstStatistics->ItemText(item, 0);
    for (int column = 1; column <= 5; ++column)
      row.SubItems[column - 1] = lstStatistics->ItemText(item, column);
    rows.push_back(row);
  }
  ::SendToExcel(this, FExcel, rows, FImageWidth, FImageHeight);
}
