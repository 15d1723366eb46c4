// The test host program itself: resource checks, a scripted dialog, the written image, the
// report and the comparison picture, run as a separate process as the demo and users run it.
#include "E2ETestSupport.h"

#include "DisplayStretch.h"
#include "TempFolder.h"
#include "WaitFactor.h"

#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <vector>

namespace
{

// Runs skelvane-host with the arguments; its exit code, or -1 when it could not be started.
// With outputPath, what it prints (standard output and error) goes to that file.
int RunHost(const std::string& arguments, const char* outputPath = nullptr)
{
  std::string commandLine = "\"" SKELVANE_HOST "\" " + arguments;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  HANDLE output = INVALID_HANDLE_VALUE;
  if (outputPath != nullptr)
  {
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    output = CreateFileA(outputPath, GENERIC_WRITE, FILE_SHARE_READ, &inherited, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
    if (output == INVALID_HANDLE_VALUE)
      return -1;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = output;
  }
  PROCESS_INFORMATION process{};
  const BOOL started = CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr,
                                      output != INVALID_HANDLE_VALUE, 0, nullptr, nullptr,
                                      &startup, &process);
  if (output != INVALID_HANDLE_VALUE)
    CloseHandle(output);
  if (!started)
    return -1;
  WaitForSingleObject(process.hProcess, ScaledWaitMs(120000));
  DWORD exitCode = DWORD(-1);
  GetExitCodeProcess(process.hProcess, &exitCode);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return int(exitCode);
}

std::map<std::string, std::string> ReadReport(const std::string& path)
{
  std::map<std::string, std::string> values;
  std::ifstream file(path);
  for (std::string line; std::getline(file, line);)
  {
    const size_t equals = line.find('=');
    if (equals != std::string::npos)
      values[line.substr(0, equals)] = line.substr(equals + 1);
  }
  return values;
}

void WriteText(const std::string& path, const std::string& text)
{
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

class HostProgramTest : public testing::Test
{
protected:
  void SetUp() override
  {
    // The images, scripts and reports below are named without a folder, for the host as for
    // this program.
    EnterTestTempFolder();
    SetTestDialog("");
    FImage = RampImage(8, 6, 3, 16);
    ASSERT_TRUE(WriteImageFile("e2e-in.ppm", FImage));
  }
  THostImageFile FImage;
};

TEST_F(HostProgramTest, ScriptedOk_WritesTheFilteredImageAndReportsTheRun)
{
  WriteText("e2e-ok.script", "window \"Skelvane Test Filter\"\n"
                             "screenshot e2e-test-dialog.png\n"
                             "click btnOK\n"
                             "wait-closed\n");
  ASSERT_EQ(RunHost("--plugin \"" TEST_PLUGIN_DDP "\" --in e2e-in.ppm --out e2e-out.ppm "
                    "--pad 2 --out-pad 6 --script e2e-ok.script --report e2e-ok.report"),
            0);
  auto report = ReadReport("e2e-ok.report");
  EXPECT_EQ(report["result"], "0");
  EXPECT_EQ(report["calls"], "1:0 2:0 3:0 4:0 5:0");
  EXPECT_EQ(report["advanceState"], "4");
  EXPECT_EQ(report["start.inPlanes"], "0 2");
  EXPECT_EQ(report["final.maskRect"], "0 0 0 0");
  EXPECT_EQ(report["outputGuardsIntact"], "1");
  THostImageFile written;
  ASSERT_TRUE(ReadImageFile("e2e-out.ppm", written));
  EXPECT_TRUE(written.Data == Inverted(FImage).Data);
}

TEST_F(HostProgramTest, ScriptedCancel_KeepsTheImage)
{
  WriteText("e2e-cancel.script", "window \"Skelvane Test Filter\"\nclick btnCancel\nwait-closed\n");
  ASSERT_EQ(RunHost("--plugin \"" TEST_PLUGIN_LR "\" --in e2e-in.ppm --out e2e-out.ppm "
                    "--script e2e-cancel.script --report e2e-cancel.report"),
            0);
  auto report = ReadReport("e2e-cancel.report");
  EXPECT_EQ(report["result"], "-128");
  EXPECT_EQ(report["advanceState"], "2");
  THostImageFile written;
  ASSERT_TRUE(ReadImageFile("e2e-out.ppm", written));
  EXPECT_TRUE(written.Data == FImage.Data);
}

// Width, height and colour type from a PNG's header chunk; zeros when the file is missing.
struct TPngHeader
{
  uint32_t Width = 0, Height = 0;
  int ColourType = -1;
};

TPngHeader ReadPngHeader(const std::string& path)
{
  std::ifstream file(path, std::ios::binary);
  std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(file)),
                                   std::istreambuf_iterator<char>());
  TPngHeader header;
  if (bytes.size() < 26)
    return header;
  auto be32 = [&](size_t at) {
    return uint32_t(bytes[at]) << 24 | uint32_t(bytes[at + 1]) << 16 |
           uint32_t(bytes[at + 2]) << 8 | uint32_t(bytes[at + 3]);
  };
  header.Width = be32(16);
  header.Height = be32(20);
  header.ColourType = bytes[25];
  return header;
}

TEST_F(HostProgramTest, Compare_WrittenAfterOkOnly)
{
  WriteText("e2e-cmp-ok.script", "window \"Skelvane Test Filter\"\nclick btnOK\nwait-closed\n");
  DeleteFileA("e2e-cmp-ok.png");
  ASSERT_EQ(RunHost("--plugin \"" TEST_PLUGIN_DDP "\" --in e2e-in.ppm --script e2e-cmp-ok.script "
                    "--compare e2e-cmp-ok.png"),
            0);
  const TPngHeader ok = ReadPngHeader("e2e-cmp-ok.png");
  EXPECT_EQ(ok.Width, uint32_t(2 * FImage.Width + kCompareGapPx));
  EXPECT_EQ(ok.Height, uint32_t(FImage.Height));
  EXPECT_EQ(ok.ColourType, 2);  // RGB, as the input

  // A cancelled run has no result to judge.
  WriteText("e2e-cmp-cancel.script",
            "window \"Skelvane Test Filter\"\nclick btnCancel\nwait-closed\n");
  DeleteFileA("e2e-cmp-cancel.png");
  ASSERT_EQ(RunHost("--plugin \"" TEST_PLUGIN_LR "\" --in e2e-in.ppm --script e2e-cmp-cancel.script "
                    "--compare e2e-cmp-cancel.png"),
            0);
  EXPECT_EQ(GetFileAttributesA("e2e-cmp-cancel.png"), INVALID_FILE_ATTRIBUTES);

  EXPECT_EQ(RunHost("--plugin \"" TEST_PLUGIN_DDP "\" --in e2e-in.ppm --compare e2e-cmp.fits"), 2);
}

TEST_F(HostProgramTest, RefusedMode_ReportsBadModeWithoutARequest)
{
  ASSERT_EQ(RunHost("--plugin \"" TEST_PLUGIN_STATISTICS "\" --in e2e-in.ppm --mode 4 "
                    "--report e2e-mode.report"),
            0);
  auto report = ReadReport("e2e-mode.report");
  EXPECT_EQ(report["result"], "-30101");
  EXPECT_EQ(report["advanceState"], "0");
}

TEST_F(HostProgramTest, AboutBox_OpensAndCloses)
{
  WriteText("e2e-about.script", "window \"Skelvane for Photoshop\"\n"
                                "screenshot e2e-about.png\nclose\nwait-closed\n");
  ASSERT_EQ(RunHost("--plugin \"" TEST_PLUGIN_DDP "\" --about --script e2e-about.script "
                    "--report e2e-about.report"),
            0);
  EXPECT_EQ(ReadReport("e2e-about.report")["calls"], "0:0");
}

// Memory that runs out while the host reads or writes a whole image, as a large frame exhausts
// a 32-bit host: a message and the host's own status, not the runtime's abort. The allocations
// fail from a size the image needs: reading the PPM needs a little more than its samples,
// writing it as FITS a whole header block more.
struct TNoMemoryCase
{
  const char* Name;
  size_t FailFrom;  // bytes beyond the samples' size
  const char* Message;
};

class HostNoMemoryTest : public testing::TestWithParam<TNoMemoryCase>
{
};

INSTANTIATE_TEST_SUITE_P(
    Steps, HostNoMemoryTest,
    testing::Values(TNoMemoryCase{"Reading", 0, "not enough memory to read e2e-large.ppm"},
                    TNoMemoryCase{"Writing", 1024,
                                  "not enough memory to write e2e-large.fits "
                                  "(1024 x 1024 RGB, 16-bit)"}),
    [](const testing::TestParamInfo<TNoMemoryCase>& info) { return info.param.Name; });

TEST_P(HostNoMemoryTest, EndsWithAMessageAndItsOwnStatus)
{
  SetTestDialog("cancel");
  const THostImageFile image = RampImage(1024, 1024, 3, 16);
  ASSERT_TRUE(WriteImageFile("e2e-large.ppm", image));
  DeleteFileA("e2e-large.fits");
  const std::string failFrom = std::to_string(image.Data.size() + GetParam().FailFrom);
  EXPECT_EQ(RunHost("--plugin \"" TEST_PLUGIN_DDP "\" --in e2e-large.ppm --out e2e-large.fits "
                    "--fail-alloc " + failFrom,
                    "e2e-large.txt"),
            4);
  std::ifstream file("e2e-large.txt", std::ios::binary);
  const std::string printed((std::istreambuf_iterator<char>(file)),
                            std::istreambuf_iterator<char>());
  EXPECT_NE(printed.find(std::string("skelvane-host: ") + GetParam().Message + "\r\n"),
            std::string::npos)
      << printed;
  EXPECT_EQ(GetFileAttributesA("e2e-large.fits"), INVALID_FILE_ATTRIBUTES);
  SetTestDialog("");
}

TEST_F(HostProgramTest, PluginWithoutPropertyList_IsRefused)
{
  EXPECT_EQ(RunHost("--plugin \"" SKELVANE_HOST "\" --in e2e-in.ppm"), 1);
}

} // namespace
