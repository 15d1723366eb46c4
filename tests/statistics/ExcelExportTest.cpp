// The Excel export against a recording stand-in for Excel: the exact calls, the texts in the
// cells, the objects it keeps, and one report for every failure.
#include "statistics/ExcelExport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

#include "platform/Forms.h"

namespace {

// What every stand-in object shares: the calls made, in order, as text; the number of the
// operation (counting from 0, creations included) that is to fail; the objects alive.
struct TExcelLog {
  std::vector<std::string> Lines;
  int FailAt = -1;
  int Operations = 0;
  int Alive = 0;
  int Created = 0;

  void Record(const std::string& line) {
    Lines.push_back(line);
    if (Operations++ == FailAt) throw EAutomationError("the server refused " + line);
  }
};

std::string Text(const TAutomationValue& value) {
  const auto& held = value.Value();
  if (const int* number = std::get_if<int>(&held)) return std::to_string(*number);
  if (const bool* flag = std::get_if<bool>(&held)) return *flag ? "true" : "false";
  return "\"" + std::get<std::string>(held) + "\"";
}

std::string ArgumentList(const TAutomationArgs& args) {
  if (args.empty()) return "";
  std::string list = "(";
  for (size_t i = 0; i < args.size(); ++i) list += (i > 0 ? ", " : "") + Text(args[i]);
  return list + ")";
}

// An object named by the way it was reached ("excel1.WorkBooks(1)").
class TFakeObject : public TAutomationObject {
 public:
  TFakeObject(TExcelLog& log, std::string path) : FLog(log), FPath(std::move(path)) { ++FLog.Alive; }
  ~TFakeObject() override { --FLog.Alive; }

  std::unique_ptr<TAutomationObject> Get(const std::string& name,
                                         const TAutomationArgs& args) override {
    FLog.Record(FPath + ": get " + name + ArgumentList(args));
    return std::make_unique<TFakeObject>(FLog, FPath + "." + name + ArgumentList(args));
  }
  void Put(const std::string& name, const TAutomationArgs& args,
           const TAutomationValue& value) override {
    FLog.Record(FPath + ": put " + name + ArgumentList(args) + " = " + Text(value));
  }
  std::unique_ptr<TAutomationObject> Call(const std::string& name) override {
    FLog.Record(FPath + ": call " + name);
    return std::make_unique<TFakeObject>(FLog, FPath + "." + name);
  }

  const std::string& Path() const { return FPath; }

 private:
  TExcelLog& FLog;
  std::string FPath;
};

struct TMessage {
  TWinControl* Owner;
  std::string Title, Instruction, Content;
  int Buttons, Icon;
};

const char kContent[] =
    "There was an error establishing communication with Microsoft Excel.  Please make sure "
    "Microsoft Excel is installed correctly on this computer.";

class ExcelExportTest : public ::testing::Test {
 protected:
  TAutomationFactory Factory() {
    return [this](const std::string& progId) -> std::unique_ptr<TAutomationObject> {
      Log.Record("create " + progId);
      return std::make_unique<TFakeObject>(Log, "excel" + std::to_string(++Log.Created));
    };
  }
  TMessageBox Recorder() {
    return [this](TWinControl* owner, const std::string& title, const std::string& instruction,
                  const std::string& content, int buttons, int icon) {
      Messages.push_back({owner, title, instruction, content, buttons, icon});
      return 1;
    };
  }
  void Export(const std::vector<TStatisticsRow>& rows, int width = 640, int height = 480,
              TWinControl* owner = nullptr) {
    SendToExcel(owner, Excel, rows, width, height, Factory(), Recorder());
  }
  std::string ExcelPath() const { return static_cast<TFakeObject&>(*Excel).Path(); }

  TExcelLog Log;
  std::vector<TMessage> Messages;
  std::unique_ptr<TAutomationObject> Excel;
};

// The set-up of a new application object named app, call by call.
std::vector<std::string> SetUpLines(const std::string& app) {
  const std::string sheet = app + ".Workbooks(1).WorkSheets(\"Skelvane Statistics\")";
  const std::string columns = sheet + ".Columns";
  return {
      "create Excel.Application",
      app + ": put Visible = true",
      app + ": call WorkBooks",
      app + ".WorkBooks: call Add",
      app + ": get WorkBooks(1)",
      app + ".WorkBooks(1): get WorkSheets(1)",
      app + ".WorkBooks(1).WorkSheets(1): put Name = \"Skelvane Statistics\"",
      app + ": get Workbooks(1)",
      app + ".Workbooks(1): get WorkSheets(\"Skelvane Statistics\")",
      sheet + ": put Cells(1, 1) = \"Channel\"",
      sheet + ": put Cells(1, 2) = \"Minimum\"",
      sheet + ": put Cells(1, 3) = \"Maximum\"",
      sheet + ": put Cells(1, 4) = \"Mean\"",
      sheet + ": put Cells(1, 5) = \"Std. Dev.\"",
      sheet + ": put Cells(1, 6) = \"Sum\"",
      sheet + ": put Cells(1, 7) = \"Size\"",
      app + ": get Workbooks(1)",
      app + ".Workbooks(1): get WorkSheets(\"Skelvane Statistics\")",
      sheet + ": get Range(\"A1:I1\")",
      sheet + ".Range(\"A1:I1\"): call Font",
      sheet + ".Range(\"A1:I1\").Font: put Bold = true",
      app + ": get Workbooks(1)",
      app + ".Workbooks(1): get WorkSheets(\"Skelvane Statistics\")",
      sheet + ": call Columns",
      columns + ": get Columns(1)",
      columns + ".Columns(1): put ColumnWidth = 12",
      columns + ": get Columns(2)",
      columns + ".Columns(2): put ColumnWidth = 12",
      columns + ": get Columns(3)",
      columns + ".Columns(3): put ColumnWidth = 12",
      columns + ": get Columns(4)",
      columns + ".Columns(4): put ColumnWidth = 12",
      columns + ": get Columns(5)",
      columns + ".Columns(5): put ColumnWidth = 12",
      columns + ": get Columns(6)",
      columns + ".Columns(6): put ColumnWidth = 12",
      columns + ": get Columns(7)",
      columns + ".Columns(7): put ColumnWidth = 20",
  };
}

// The lookup of the sheet that the data rows go to.
std::vector<std::string> SheetLookupLines(const std::string& app) {
  return {app + ": get Workbooks(1)", app + ".Workbooks(1): get WorkSheets(\"Skelvane Statistics\")"};
}

std::vector<std::string> Joined(std::vector<std::string> first,
                                const std::vector<std::string>& second) {
  first.insert(first.end(), second.begin(), second.end());
  return first;
}

const std::string kSheet = "excel1.Workbooks(1).WorkSheets(\"Skelvane Statistics\")";

const std::vector<TStatisticsRow> kRgbRows = {
    {"R", {"0", "255", "127.50", "73.612", "39168"}},
    {"G", {"1", "254", "100.25", "12.000", "30796"}},
    {"B", {"2", "253", "0.00", "0.000", "0"}},
};

TEST_F(ExcelExportTest, GrayImageGivesHeaderAndOneStarRow) {
  Export({{"*", {"3", "250", "128.07", "70.104", "5034900"}}});
  EXPECT_EQ(Joined(Joined(SetUpLines("excel1"), SheetLookupLines("excel1")),
                   {
                       kSheet + ": put Cells(2, 1) = \"*\"",
                       kSheet + ": put Cells(2, 2) = \"3\"",
                       kSheet + ": put Cells(2, 3) = \"250\"",
                       kSheet + ": put Cells(2, 4) = \"128.07\"",
                       kSheet + ": put Cells(2, 5) = \"70.104\"",
                       kSheet + ": put Cells(2, 6) = \"5034900\"",
                       kSheet + ": put Cells(2, 7) = \"640 x 480\"",
                   }),
            Log.Lines);
  EXPECT_TRUE(Messages.empty());
}

// The whole export of kRgbRows into the application app.
std::vector<std::string> RgbExportLines(const std::string& app, const std::string& size) {
  const std::string sheet = app + ".Workbooks(1).WorkSheets(\"Skelvane Statistics\")";
  std::vector<std::string> lines = Joined(SetUpLines(app), SheetLookupLines(app));
  for (int i = 0; i < 3; ++i) {
    const std::string r = std::to_string(i + 2);
    lines.push_back(sheet + ": put Cells(" + r + ", 1) = \"" + kRgbRows[i].Caption + "\"");
    for (int item = 0; item < 5; ++item) {
      lines.push_back(sheet + ": put Cells(" + r + ", " + std::to_string(item + 2) + ") = \"" +
                      kRgbRows[i].SubItems[item] + "\"");
    }
    lines.push_back(sheet + ": put Cells(" + r + ", 7) = \"" + size + "\"");
  }
  return lines;
}

TEST_F(ExcelExportTest, RgbImageGivesRowsRGBInListOrder) {
  Export(kRgbRows, 2, 1);
  EXPECT_EQ(RgbExportLines("excel1", "2 x 1"), Log.Lines);
  EXPECT_TRUE(Messages.empty());
}

TEST_F(ExcelExportTest, EmptyListGivesHeaderOnly) {
  Export({});
  EXPECT_EQ(Joined(SetUpLines("excel1"), SheetLookupLines("excel1")), Log.Lines);
  EXPECT_TRUE(Messages.empty());
}

struct TSizeCase {
  int Width, Height;
  const char* Text;
};

class ExcelSizeTest : public ExcelExportTest, public ::testing::WithParamInterface<TSizeCase> {};

TEST_P(ExcelSizeTest, EveryRowCarriesTheSizeAsText) {
  const TSizeCase& c = GetParam();
  Export(kRgbRows, c.Width, c.Height);
  for (int r = 2; r <= 4; ++r) {
    const std::string line =
        kSheet + ": put Cells(" + std::to_string(r) + ", 7) = \"" + c.Text + "\"";
    EXPECT_EQ(1, std::count(Log.Lines.begin(), Log.Lines.end(), line)) << line;
  }
}

INSTANTIATE_TEST_SUITE_P(Sizes, ExcelSizeTest,
                         ::testing::Values(TSizeCase{3000, 2000, "3000 x 2000"},
                                           TSizeCase{640, 480, "640 x 480"},
                                           TSizeCase{1, 30000, "1 x 30000"}));

TEST_F(ExcelExportTest, EveryExportCreatesItsOwnApplicationAndWorkbook) {
  Export(kRgbRows);
  const size_t firstRun = Log.Lines.size();
  Export(kRgbRows);
  ASSERT_EQ(2, Log.Created);
  EXPECT_EQ("excel2", ExcelPath());
  std::vector<std::string> second(Log.Lines.begin() + static_cast<std::ptrdiff_t>(firstRun),
                                  Log.Lines.end());
  EXPECT_EQ(RgbExportLines("excel2", "640 x 480"), second);
}

TEST_F(ExcelExportTest, OnlyTheApplicationIsKeptAndNeverAskedToQuit) {
  Export(kRgbRows);
  EXPECT_EQ(1, Log.Alive);  // the application object; every intermediate object is released
  Export(kRgbRows);
  EXPECT_EQ(1, Log.Alive);  // the first application was dropped for the second
  Excel.reset();
  EXPECT_EQ(0, Log.Alive);
  for (const std::string& line : Log.Lines) EXPECT_EQ(std::string::npos, line.find("Quit")) << line;
}

// An RGB export makes 38 set-up operations (the creation included) and 2 + 3 * 7 for its rows.
constexpr int kRgbOperations = 61;

TEST_F(ExcelExportTest, RgbExportMakesTheCountedOperations) {
  Export(kRgbRows);
  EXPECT_EQ(kRgbOperations, Log.Operations);
}

class ExcelFailureTest : public ExcelExportTest, public ::testing::WithParamInterface<int> {};

TEST_P(ExcelFailureTest, FailureEndsTheExportWithOneReportAndTheDialogGoesOn) {
  const int failAt = GetParam();
  TForm owner("frmOwner");
  Export(kRgbRows, 640, 480);
  const std::vector<std::string> complete = Log.Lines;
  Log = TExcelLog();
  Excel.reset();

  Log.FailAt = failAt;
  EXPECT_NO_THROW(Export(kRgbRows, 640, 480, &owner));
  // Nothing after the failed call; what was written before it stays written.
  EXPECT_EQ(std::vector<std::string>(complete.begin(), complete.begin() + failAt + 1), Log.Lines);
  ASSERT_EQ(1u, Messages.size());
  EXPECT_EQ(&owner, Messages[0].Owner);
  EXPECT_EQ("Error", Messages[0].Title);
  EXPECT_EQ("Error Establishing Communication", Messages[0].Instruction);
  EXPECT_EQ(kContent, Messages[0].Content);
  EXPECT_EQ(1, Messages[0].Buttons);
  EXPECT_EQ(105, Messages[0].Icon);

  // The next export starts afresh and completes.
  Log.FailAt = -1;
  const int before = Log.Operations;
  Export(kRgbRows);
  EXPECT_EQ(kRgbOperations, Log.Operations - before);
  EXPECT_EQ(1u, Messages.size());
}

INSTANTIATE_TEST_SUITE_P(EveryOperation, ExcelFailureTest, ::testing::Range(0, kRgbOperations));

TEST_F(ExcelExportTest, FailedCreationWritesNothingAndKeepsTheEarlierApplication) {
  Export(kRgbRows);
  Log.FailAt = Log.Operations;  // the next creation
  const size_t before = Log.Lines.size();
  Export(kRgbRows);
  EXPECT_EQ(before + 1, Log.Lines.size());
  EXPECT_EQ("create Excel.Application", Log.Lines.back());
  EXPECT_EQ(1u, Messages.size());
  EXPECT_EQ("excel1", ExcelPath());
}

TEST_F(ExcelExportTest, FactoryWithoutObjectIsReportedOnce) {
  SendToExcel(
      nullptr, Excel, kRgbRows, 1, 1,
      [](const std::string&) { return std::unique_ptr<TAutomationObject>(); }, Recorder());
  EXPECT_EQ(1u, Messages.size());
  EXPECT_EQ(nullptr, Excel);
}

TEST_F(ExcelExportTest, ThrowingMessageBoxDoesNotEscape) {
  Log.FailAt = 5;
  TMessageBox throwing = [](TWinControl*, const std::string&, const std::string&,
                            const std::string&, int, int) -> int {
    throw std::runtime_error("no message box");
  };
  EXPECT_NO_THROW(SendToExcel(nullptr, Excel, kRgbRows, 1, 1, Factory(), throwing));
}

}  // namespace
