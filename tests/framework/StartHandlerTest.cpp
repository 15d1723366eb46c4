// The start protocol of every variant, run through the test host as a real host runs a filter.
#include "E2ETestSupport.h"

#include <algorithm>

#include <iterator>

namespace
{

struct TImageShape
{
  int Channels;
  int Depth;
  int16 Mode;
};

const TImageShape kShapes[] = {
    {1, 8, plugInModeGrayScale}, {3, 8, plugInModeRGBColor}, {1, 16, plugInModeGray16},
    {3, 16, plugInModeRGB48},   {3, 32, plugInModeRGB96},   {1, 32, plugInModeGray32},
};

class StartProtocolTest : public testing::TestWithParam<TVariant>
{
protected:
  void SetUp() override
  {
    std::string error;
    ASSERT_TRUE(FPlugin.Load(GetParam().Path, error)) << error;
  }
  void TearDown() override { SetTestDialog(""); }

  // What a host applies: the committed image after success, the original otherwise.
  static THostImageFile Applied(const TFilterHost& host, const TRunReport& report,
                                const THostImageFile& original)
  {
    return report.Result == noErr ? host.Image() : original;
  }
  int16 ExpectedOkResult() const { return GetParam().AlwaysCancels ? userCanceledErr : noErr; }

  TPluginModule FPlugin;
  TEventLog FEvents;
};

TEST_P(StartProtocolTest, Ok_InEveryMode_SetsPlanesAndRectsAndWritesTheDialogsOutput)
{
  const TVariant& variant = GetParam();
  for (const TImageShape& shape : kShapes)
  {
    SCOPED_TRACE("mode " + std::to_string(shape.Mode));
    SetTestDialog("ok");
    const THostImageFile image = RampImage(7, 5, shape.Channels, shape.Depth);
    TFilterHost host(image);
    host.Record().filterRect = {1, 2, 4, 6};
    // Low planes the host preset to 1 show whether the handler resets them. The probe hands
    // out no blocks, so it ends before a dialog; the run itself follows with the usual 0.
    host.Record().inLoPlane = host.Record().outLoPlane = 1;
    host.SetAdvanceFault(TAdvanceFault::Null);
    TRunReport report = RunSelectors(FPlugin, host, {filterSelectorStart});
    const int16 lo = variant.ZeroesLowPlanes ? 0 : 1;
    const int16 hi = shape.Channels == 1 ? 0 : 2;
    EXPECT_EQ(report.AfterStart.InLoPlane, lo);
    EXPECT_EQ(report.AfterStart.OutLoPlane, lo);
    EXPECT_EQ(report.AfterStart.InHiPlane, hi);
    EXPECT_EQ(report.AfterStart.OutHiPlane, hi);
    EXPECT_EQ(RectText(report.AfterStart.InRect), "1 2 4 6");
    EXPECT_EQ(RectText(report.AfterStart.OutRect), "1 2 4 6");

    TFilterHost runHost(image);
    runHost.Record().filterRect = {1, 2, 4, 6};
    report = RunFilter(FPlugin, runHost);
    EXPECT_EQ(report.Result, ExpectedOkResult());
    EXPECT_TRUE(runHost.InputUntouched());
    EXPECT_TRUE(runHost.OutputGuardsIntact());
    THostImageFile expected = image;
    if (!variant.AlwaysCancels)
    {
      const THostImageFile inverted = Inverted(image);
      for (int y = 1; y < 4; ++y)
        for (int x = 2; x < 6; ++x)
          for (int c = 0; c < shape.Channels; ++c)
            expected.SetSample(x, y, c, inverted.Sample(x, y, c));
    }
    EXPECT_TRUE(Applied(runHost, report, image).Data == expected.Data);
  }
}

TEST_P(StartProtocolTest, Ok_CallsInTheProtocolsOrder)
{
  const TVariant& variant = GetParam();
  SetTestDialog("ok");
  TFilterHost host(RampImage(4, 3, 3, 16));
  host.SetEventLog(FEvents.Path());
  const TRunReport report = RunFilter(FPlugin, host);

  std::vector<std::string> expected = {"advanceState in=0 0 3 4 planes 0..2 out=0 0 3 4 planes 0..2",
                                       "Create", "SetImage 16 4 3 rgb 24"};
  if (variant.LoadsImage)
    expected.push_back("LoadImage");
  for (const char* line : {"ShowModal", "Written", "ModalResult 1", "Destroy"})
    expected.push_back(line);
  if (variant.SecondAdvanceState)
    expected.push_back("advanceState in=0 0 3 4 planes 0..2 out=0 0 3 4 planes 0..2");
  EXPECT_EQ(FEvents.Between("selector 3", "result"), expected);
  // A processing run goes on: advanceState, continue (which empties the rectangles), the
  // last advanceState, finish. A refused start ends the run.
  if (variant.AlwaysCancels)
  {
    EXPECT_EQ(host.AdvanceStateCalls(), 1);
    ASSERT_EQ(report.Calls.size(), 3u);
  }
  else
  {
    EXPECT_EQ(host.AdvanceStateCalls(), 4);
    ASSERT_EQ(report.Calls.size(), 5u);
    EXPECT_EQ(report.Calls[3].Selector, filterSelectorContinue);
    EXPECT_EQ(RectText(report.Final.InRect) + " " + RectText(report.Final.OutRect) + " " +
                  RectText(report.Final.MaskRect),
              "0 0 0 0 0 0 0 0 0 0 0 0");
  }
  EXPECT_EQ(report.Calls[2].Result, ExpectedOkResult());
}

TEST_P(StartProtocolTest, Cancel_GivesUserCanceledAndLeavesTheImage)
{
  const TVariant& variant = GetParam();
  SetTestDialog("cancel");
  const THostImageFile image = RampImage(6, 4, 1, 8);
  TFilterHost host(image);
  host.SetEventLog(FEvents.Path());
  const TRunReport report = RunFilter(FPlugin, host);
  EXPECT_EQ(report.Result, userCanceledErr);
  EXPECT_EQ(host.AdvanceStateCalls(), variant.SecondAdvanceState ? 2 : 1);
  EXPECT_TRUE(Applied(host, report, image).Data == image.Data);
  EXPECT_TRUE(host.Image().Data == image.Data) << "nothing was written before the commit";
  const std::vector<std::string> start = FEvents.Between("selector 3", "result");
  ASSERT_FALSE(start.empty());
  EXPECT_EQ(start.back(), variant.SecondAdvanceState ? start.front() : "Destroy");
}

// Hosts built with other compilers run with the x87 precision control at 53 bits, and 32-bit
// ones may call with a stack aligned to 4 bytes only; the dialog and its run must not notice.
TEST_P(StartProtocolTest, AHostAt53BitsWithA4ByteStack_GetsTheDialogsArithmeticAndOutput)
{
  TCallStyle style;
  style.X87PrecisionBits = 53;
#if defined(__i386__)
  style.StackAlignedTo4 = true;
#endif
  ASSERT_TRUE(FPlugin.SetCallStyle(style));
  SetTestDialog("ok");
  SetEnvironmentVariableA("SKELVANE_TEST_ARITHMETIC", "1");
  const THostImageFile image = RampImage(6, 4, 3, 8);
  TFilterHost host(image);
  host.SetEventLog(FEvents.Path());
  const TRunReport report = RunFilter(FPlugin, host);
  SetEnvironmentVariableA("SKELVANE_TEST_ARITHMETIC", nullptr);
  EXPECT_EQ(report.Result, ExpectedOkResult());
  const std::vector<std::string> lines = FEvents.Lines();
  EXPECT_NE(std::find(lines.begin(), lines.end(), "Arithmetic 0.3 4.4"), lines.end());
  EXPECT_NE(std::find(lines.begin(), lines.end(), "Written"), lines.end());
  EXPECT_TRUE(FPlugin.FloatingPointRestored()) << "the host's 53-bit control word is back";
}

struct TBlockFault
{
  TAdvanceFault Fault;
  int16 Expected;
};

TEST_P(StartProtocolTest, NoBlocksFromTheHost_NoDialogAndTheHostsCodeOrBadParameters)
{
  SetTestDialog("ok");
  for (const TBlockFault& fault : {TBlockFault{TAdvanceFault::Error, memFullErr},
                                   TBlockFault{TAdvanceFault::Null, filterBadParameters}})
  {
    TEventLog events;
    const THostImageFile image = RampImage(5, 5, 3, 8);
    TFilterHost host(image);
    host.SetEventLog(events.Path());
    host.SetAdvanceFault(fault.Fault);
    const TRunReport report = RunFilter(FPlugin, host);
    EXPECT_EQ(report.Result, fault.Expected);
    EXPECT_EQ(host.AdvanceStateCalls(), 1);
    EXPECT_EQ(events.Between("selector 3", "result").size(), 1u) << "only the advanceState";
  }
}

TEST_P(StartProtocolTest, EmptyFilterRectangle_NoRequestNoDialog)
{
  SetTestDialog("ok");
  TFilterHost host(RampImage(5, 5, 1, 16));
  host.Record().filterRect = {2, 2, 2, 5};
  const TRunReport report = RunFilter(FPlugin, host);
  EXPECT_EQ(report.Result, filterBadParameters);
  EXPECT_EQ(host.AdvanceStateCalls(), 0);
}

struct TStrides
{
  int InPad;
  int OutPad;
};

// The dialog writes at the input stride; whatever the host's output stride, the result lands
// in the right pixels and nothing outside the output rows is touched. The staging is the same
// code in every variant, so one processing variant runs it, each stride pair on another shape.
TEST(StartProtocolStrideTest, StridesOfInputAndOutput_ResultInTheRightPixelsOnly)
{
  TPluginModule plugin;
  std::string error;
  ASSERT_TRUE(plugin.Load(TEST_PLUGIN_DDP, error)) << error;
  // The input stride is whole samples of each shape (others are refused); the output
  // stride need not be.
  const TStrides allStrides[] = {{0, 0}, {4, 4}, {0, 12}, {12, 0}, {4, 5}, {16, 1}};
  for (size_t i = 0; i < std::size(allStrides); ++i)
  {
    const TStrides strides = allStrides[i];
    const TImageShape& shape = kShapes[i % std::size(kShapes)];
    SCOPED_TRACE("mode " + std::to_string(shape.Mode) + " pads " +
                 std::to_string(strides.InPad) + "/" + std::to_string(strides.OutPad));
    SetTestDialog("ok");
    const THostImageFile image = RampImage(9, 6, shape.Channels, shape.Depth);
    TFilterHost host(image);
    host.SetPadding(strides.InPad, strides.OutPad);
    const TRunReport report = RunFilter(plugin, host);
    EXPECT_EQ(report.Result, noErr);
    EXPECT_TRUE(host.OutputGuardsIntact());
    EXPECT_TRUE(host.InputUntouched());
    EXPECT_TRUE(host.Image().Data == Inverted(image).Data);
  }
  SetTestDialog("");
}

struct TFailure
{
  const char* Where;
  int16 Expected;
};

TEST_P(StartProtocolTest, FailureInsideStart_BecomesAResultCodeAndTheImageStays)
{
  for (TFailure failure : {TFailure{"SetImage:bad_alloc", memFullErr},
                           TFailure{"SetImage:error", filterBadParameters}})
  {
    SetTestDialog("ok", failure.Where);
    const THostImageFile image = RampImage(4, 4, 3, 32);
    TFilterHost host(image);
    const TRunReport report = RunFilter(FPlugin, host);
    EXPECT_EQ(report.Result, failure.Expected) << failure.Where;
    EXPECT_TRUE(Applied(host, report, image).Data == image.Data);
  }
}

INSTANTIATE_TEST_SUITE_P(TestPlugins, StartProtocolTest, testing::ValuesIn(Variants()),
                         TestPluginName);

} // namespace
