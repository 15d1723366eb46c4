// PluginMain called directly with a record whose every byte is known.
#include "E2ETestSupport.h"

#include <cstring>
#include <xmmintrin.h>

namespace
{

int gAdvanceStateCalls = 0;
OSErr CountingAdvanceState()
{
  ++gAdvanceStateCalls;
  return noErr;
}

// Every byte of the record set to a pattern, so any write shows.
FilterRecord PatternRecord(int16 imageMode)
{
  FilterRecord record;
  std::memset(&record, 0x3c, sizeof record);
  record.imageMode = imageMode;
  record.advanceState = &CountingAdvanceState;
  return record;
}

class PluginMainTest : public testing::TestWithParam<TVariant>
{
protected:
  void SetUp() override
  {
    std::string error;
    ASSERT_TRUE(FPlugin.Load(GetParam().Path, error)) << error;
    gAdvanceStateCalls = 0;
    SetTestDialog("cancel");
  }
  TPluginModule FPlugin;
};

TEST_P(PluginMainTest, SelectorsWithoutWork_LeaveResultZeroAndTouchNothing)
{
  for (int16 selector : {int16(1), int16(2), int16(5), int16(7), int16(-1)})
  {
    FilterRecord record = PatternRecord(plugInModeGrayScale);
    const FilterRecord before = record;
    FPlugin.Data = 0x1234;
    EXPECT_EQ(FPlugin.Call(selector, &record), noErr) << "selector " << selector;
    EXPECT_EQ(std::memcmp(&record, &before, sizeof record), 0) << "selector " << selector;
    EXPECT_EQ(FPlugin.Data, 0x1234) << "selector " << selector;
  }
  EXPECT_EQ(gAdvanceStateCalls, 0);
}

TEST_P(PluginMainTest, Continue_ZeroesAllTwelveCoordinatesAndNothingElse)
{
  FilterRecord record = PatternRecord(plugInModeGrayScale);
  record.inRect = {1, 2, 3, 4};
  record.outRect = {-5, 6, 7, 8};
  record.maskRect = {9, 10, 11, 12};
  FilterRecord expected = record;
  expected.inRect = expected.outRect = expected.maskRect = {0, 0, 0, 0};
  EXPECT_EQ(FPlugin.Call(filterSelectorContinue, &record), noErr);
  EXPECT_EQ(std::memcmp(&record, &expected, sizeof record), 0);
}

TEST_P(PluginMainTest, RefusedModes_GiveBadModeAndTouchNothing)
{
  for (int16 mode : {plugInModeBitmap, plugInModeIndexedColor, plugInModeCMYKColor,
                     plugInModeLabColor, plugInModeCMYK64, int16(18), int16(-1)})
  {
    FilterRecord record = PatternRecord(mode);
    const FilterRecord before = record;
    EXPECT_EQ(FPlugin.Call(filterSelectorStart, &record), filterBadMode) << "mode " << mode;
    EXPECT_EQ(std::memcmp(&record, &before, sizeof record), 0) << "mode " << mode;
  }
  EXPECT_EQ(gAdvanceStateCalls, 0);
}

TEST_P(PluginMainTest, EmptyFilterRectangle_GivesBadParametersBeforeAnyRequest)
{
  for (Rect rect : {Rect{0, 0, 0, 5}, Rect{0, 0, 5, 0}, Rect{4, 4, 2, 9}, Rect{0, 7, 3, 2}})
  {
    FilterRecord record = PatternRecord(plugInModeRGBColor);
    record.filterRect = rect;
    const FilterRecord before = record;
    EXPECT_EQ(FPlugin.Call(filterSelectorStart, &record), filterBadParameters);
    EXPECT_EQ(std::memcmp(&record, &before, sizeof record), 0);
  }
  EXPECT_EQ(gAdvanceStateCalls, 0);
}

TEST_P(PluginMainTest, FloatingPointState_IsTheCallersAfterTheCall)
{
  // Round toward zero with the divide-by-zero and invalid traps enabled: unusual on purpose.
  const unsigned mxcsr = _mm_getcsr();
  _mm_setcsr((mxcsr & ~0x7f80u) | 0x6000u | 0x1a00u);
  uint16_t controlWord, unusual = 0x0c7a;
  asm volatile("fnstcw %0" : "=m"(controlWord));
  asm volatile("fldcw %0" : : "m"(unusual));

  FilterRecord record = PatternRecord(plugInModeGrayScale);
  FPlugin.Call(filterSelectorContinue, &record);
  uint16_t controlWordAfter;
  asm volatile("fnstcw %0" : "=m"(controlWordAfter));
  const unsigned mxcsrAfter = _mm_getcsr();

  asm volatile("fldcw %0" : : "m"(controlWord));
  _mm_setcsr(mxcsr);
  EXPECT_EQ(controlWordAfter, unusual);
  EXPECT_EQ(mxcsrAfter & 0xffc0u, ((mxcsr & ~0x7f80u) | 0x6000u | 0x1a00u) & 0xffc0u);
}

INSTANTIATE_TEST_SUITE_P(TestPlugins, PluginMainTest, testing::ValuesIn(Variants()),
                         TestPluginName);

} // namespace
