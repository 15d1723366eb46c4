// The statistics dialog's export of its table into a new Microsoft Excel worksheet.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/Vista.h"
#include "platform/Automation.h"
#include "statistics/ImageStatistics.h"  // TStatisticsRow, a row of the list


// Creates the automation object of a programmatic identifier.
using TAutomationFactory =
    std::function<std::unique_ptr<TAutomationObject>(const std::string& progId)>;
// The message box failures are reported in (TaskMessageDlg's arguments and result).
using TMessageBox = std::function<int(TWinControl* owner, const std::string& title,
                                      const std::string& instruction,
                                      const std::string& content, int buttons, int icon)>;

// Creates a new Excel application object into excel, shows Excel, adds a workbook, names its
// first sheet and writes and formats the header row. A failure at any step ends the set-up
// there and is reported in message, owned by owner; the result is then false. Never throws.
bool PrepareExcelSheet(TWinControl* owner, std::unique_ptr<TAutomationObject>& excel,
                       const TAutomationFactory& create = CreateAutomationObject,
                       const TMessageBox& message = TaskMessageDlg);

// The whole export: the set-up, then one sheet row per entry of rows, each with the image
// size ("640 x 480"). Every failure is reported once in message; rows written before it stay
// in the sheet. Never throws, so the dialog stays usable.
void SendToExcel(TWinControl* owner, std::unique_ptr<TAutomationObject>& excel,
                 const std::vector<TStatisticsRow>& rows, int imageWidth, int imageHeight,
                 const TAutomationFactory& create = CreateAutomationObject,
                 const TMessageBox& message = TaskMessageDlg);
