#include "ExcelExport.h"

namespace {

const char kSheetName[] = "Skelvane Statistics";
const char* const kHeader[] = {"Channel", "Minimum", "Maximum", "Mean", "Std. Dev.", "Sum", "Size"};
// Excel's column-width units: the figures, then the wider size column.
const int kColumnWidths[] = {12, 12, 12, 12, 12, 12, 20};

void ReportFailure(TWinControl* owner, const TMessageBox& message) noexcept {
  try {
    message(owner, "Error", "Error Establishing Communication",
            "There was an error establishing communication with Microsoft Excel.  Please make "
            "sure Microsoft Excel is installed correctly on this computer.",
            kTaskButtonOK, kTaskIconError);
  } catch (...) {
    // Nothing more can be told; the dialog goes on.
  }
}

// The named sheet of workbook 1, looked up afresh as every step that writes to it does.
std::unique_ptr<TAutomationObject> Sheet(TAutomationObject& excel) {
  return excel.Get("Workbooks", {1})->Get("WorkSheets", {kSheetName});
}

void SetUpSheet(std::unique_ptr<TAutomationObject>& excel, const TAutomationFactory& create) {
  // Assigned only once created: a failed creation leaves the previous object in place.
  std::unique_ptr<TAutomationObject> created = create("Excel.Application");
  if (!created) throw EAutomationError("no automation object was created");
  excel = std::move(created);

  excel->Put("Visible", {}, true);
  // The new application object holds no workbook, so the one added is workbook 1.
  excel->Call("WorkBooks")->Call("Add");
  excel->Get("WorkBooks", {1})->Get("WorkSheets", {1})->Put("Name", {}, kSheetName);

  std::unique_ptr<TAutomationObject> header = Sheet(*excel);
  for (int column = 1; column <= 7; ++column) {
    header->Put("Cells", {1, column}, kHeader[column - 1]);
  }
  Sheet(*excel)->Get("Range", {"A1:I1"})->Call("Font")->Put("Bold", {}, true);

  std::unique_ptr<TAutomationObject> columns = Sheet(*excel)->Call("Columns");
  for (int column = 1; column <= 7; ++column) {
    columns->Get("Columns", {column})->Put("ColumnWidth", {}, kColumnWidths[column - 1]);
  }
}

}  // namespace

bool PrepareExcelSheet(TWinControl* owner, std::unique_ptr<TAutomationObject>& excel,
                       const TAutomationFactory& create, const TMessageBox& message) {
  try {
    SetUpSheet(excel, create);
    return true;
  } catch (...) {
  }
  ReportFailure(owner, message);
  return false;
}

void SendToExcel(TWinControl* owner, std::unique_ptr<TAutomationObject>& excel,
                 const std::vector<TStatisticsRow>& rows, int imageWidth, int imageHeight,
                 const TAutomationFactory& create, const TMessageBox& message) {
  // A failed set-up has been reported already. Going on would only fail again and repeat the
  // same message, or, after a failed creation, write into the sheet of an earlier export.
  if (!PrepareExcelSheet(owner, excel, create, message)) return;
  try {
    std::unique_ptr<TAutomationObject> sheet = Sheet(*excel);
    const std::string size = std::to_string(imageWidth) + " x " + std::to_string(imageHeight);
    int sheetRow = 2;
    for (const TStatisticsRow& row : rows) {
      // Every cell goes in as text, exactly as the list shows it.
      sheet->Put("Cells", {sheetRow, 1}, row.Caption);
      for (int item = 0; item < 5; ++item) {
        sheet->Put("Cells", {sheetRow, item + 2}, row.SubItems[item]);
      }
      sheet->Put("Cells", {sheetRow, 7}, size);
      ++sheetRow;
    }
  } catch (...) {
    ReportFailure(owner, message);
  }
}
