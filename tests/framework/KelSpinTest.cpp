#include "framework/KelSpin.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "ControlsTestForm.h"
#include "platform/Controls.h"
#include "platform/NumberFormat.h"
#include "platform/Panel.h"

namespace {

std::vector<UINT> gBeeps;

void RecordBeep(UINT type) { gBeeps.push_back(type); }

// The decimal separator as typed, so that the tests hold in any locale.
std::string Dec(const char* text) {
  std::string result = text;
  for (char& c : result)
    if (c == '.') c = LocaleDecimalSeparator();
  return result;
}

class KelSpinTest : public ::testing::Test {
 protected:
  // One form for the whole program: under Wine destroying a shown top-level window can take
  // seconds, so each test puts its own controls on it and removes them again.
  static TTestForm& Form() {
    static TTestForm* form = new TTestForm;
    return *form;
  }

  KelSpinTest() : FForm(Form()), FSpin(new TKelSpin(&FForm, "edtValue")), FOther(new TButton(&FForm, "btnOther")) {
    gBeeps.clear();
    TKelSpin::SetBeepProc(RecordBeep);
    FSpin->SetBounds(8, 8, 80, 21);
    FOther->SetBounds(8, 60, 75, 25);
    FSpin->OnChange = [this] { ++FChanges; };
  }
  ~KelSpinTest() override {
    TKelSpin::SetBeepProc(nullptr);
    delete FSpin;
    delete FOther;
  }

  void Range(long double minValue, long double maxValue) {
    FSpin->SetMinValue(minValue);
    FSpin->SetMaxValue(maxValue);
  }
  void Type(const std::string& text) {
    for (char c : text) SendMessageA(FSpin->Handle(), WM_CHAR, static_cast<unsigned char>(c), 0);
  }
  void Key(UINT virtualKey) { SendMessageA(FSpin->Handle(), WM_KEYDOWN, virtualKey, 0); }
  void Wheel(int delta) {
    SendMessageA(FSpin->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, delta), MAKELPARAM(20, 20));
  }
  void Arrow(TSuperSpeedButton* button) {
    SendMessageA(button->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 3));
    SendMessageA(button->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 3));
  }
  void Focus(TControl* control) {
    SetForegroundWindow(FForm.Handle());
    SetFocus(control->Handle());
  }

  TTestForm& FForm;
  TKelSpin* FSpin;
  TButton* FOther;
  int FChanges = 0;
};

TEST_F(KelSpinTest, ConstructionGivesTheInitialState) {
  EXPECT_EQ(FSpin->Text(), "0");
  EXPECT_EQ(FSpin->Width(), 80);
  EXPECT_EQ(FSpin->MinValue(), 0);
  EXPECT_EQ(FSpin->MaxValue(), 0);
  EXPECT_EQ(FSpin->Increment(), 0);
  EXPECT_EQ(FSpin->DataType(), dtFloat);
  EXPECT_TRUE(FSpin->EditorEnabled());
  EXPECT_EQ(FSpin->FloatFormat(), "0.00");
  LONG style = GetWindowLongA(FSpin->Handle(), GWL_STYLE);
  EXPECT_EQ(style & (ES_MULTILINE | WS_CLIPCHILDREN), ES_MULTILINE | WS_CLIPCHILDREN);
}

TEST_F(KelSpinTest, ArrowGlyphsComeFromTheModulesResources) {
  const TBitmap24* up = FSpin->UpButton()->Glyph();
  const TBitmap24* down = FSpin->DownButton()->Glyph();
  ASSERT_NE(up, nullptr);
  ASSERT_NE(down, nullptr);
  auto rows = [](const TBitmap24* glyph) {
    std::vector<std::string> result;
    for (int y = 0; y < glyph->Height(); ++y) {
      std::string row;
      for (int x = 0; x < glyph->Width(); ++x) {
        const std::uint8_t* p = glyph->Row(y) + 3 * x;
        row += (p[0] == 0 && p[1] == 0 && p[2] == 0) ? '#' : (p[0] == 255 && p[1] == 0 && p[2] == 255) ? '.' : '?';
      }
      result.push_back(row);
    }
    return result;
  };
  EXPECT_EQ(rows(up), (std::vector<std::string>{"..#..", ".###.", "....."}));
  EXPECT_EQ(rows(down), (std::vector<std::string>{".###.", "..#..", ".....", "....."}));
}

TEST_F(KelSpinTest, NothingIsClampedWhileMinEqualsMax) {
  FSpin->SetIncrement(5);
  FSpin->SetValue(-1000);
  EXPECT_EQ(FSpin->Text(), Dec("-1000.00"));
  Key(VK_UP);
  EXPECT_EQ(FSpin->Text(), Dec("-995.00"));
  EXPECT_NO_THROW(FSpin->SetDefaultValue(12345));
  EXPECT_EQ(FSpin->DefaultValue(), 12345);
}

TEST_F(KelSpinTest, UnparsableTextReadsMinValueAndStepsFromIt) {
  Range(2.5, 10);
  FSpin->SetIncrement(1);
  for (const char* text : {"abc", "", "1.2.3", "1-2"}) {
    FSpin->SetText(text);
    EXPECT_EQ(FSpin->Value(), 2.5L) << text;
    EXPECT_EQ(FSpin->IntValue(), 2) << text << ": 2.5 rounds to the even neighbour";
  }
  FSpin->SetText("abc");
  Arrow(FSpin->UpButton());
  EXPECT_EQ(FSpin->Text(), Dec("3.50"));
}

TEST_F(KelSpinTest, TenPointZeroZeroIsNoIntegerSoIntValueIsRoundedMin) {
  Range(2.5, 20);
  FSpin->SetValue(10);
  EXPECT_EQ(FSpin->Text(), Dec("10.00"));
  EXPECT_EQ(FSpin->IntValue(), 2);
  FSpin->SetText("17");
  EXPECT_EQ(FSpin->IntValue(), 17);
}

TEST_F(KelSpinTest, OutOfRangeTextStandsUntilTheFocusLeaves) {
  Range(0, 100);
  Focus(FSpin);
  ASSERT_EQ(GetFocus(), FSpin->Handle());
  FSpin->SetText("");
  int changes = FChanges;
  Type("500");
  EXPECT_EQ(FSpin->Text(), "500");
  EXPECT_EQ(FChanges, changes + 3) << "typing raises OnChange once per character";
  EXPECT_EQ(FSpin->Value(), 500);
  std::string seenByOnExit;
  FSpin->OnExit = [&] { seenByOnExit = FSpin->Text(); };
  Focus(FOther);
  EXPECT_EQ(seenByOnExit, "500");
  EXPECT_EQ(FSpin->Text(), Dec("100.00"));
}

TEST_F(KelSpinTest, InRangeOrUnparsableTextKeepsItsFormOnLeaving) {
  Range(0, 100);
  for (const char* typed : {"1.5", "abc"}) {
    FSpin->SetText(Dec(typed));
    Focus(FSpin);
    Focus(FOther);
    EXPECT_EQ(FSpin->Text(), Dec(typed));
  }
}

TEST_F(KelSpinTest, EnteringSelectsTheWholeText) {
  FSpin->SetText("12345");
  FSpin->SetSelStart(2);
  Focus(FOther);
  Focus(FSpin);
  EXPECT_EQ(FSpin->SelStart(), 0);
  EXPECT_EQ(FSpin->SelLength(), 5);
}

TEST_F(KelSpinTest, AtMaxValueTheUpArrowKeepsMaxInThePattern) {
  Range(0, 10);
  FSpin->SetIncrement(1);
  FSpin->SetText("10");
  Arrow(FSpin->UpButton());
  EXPECT_EQ(FSpin->Text(), Dec("10.00"));
  Arrow(FSpin->UpButton());
  EXPECT_EQ(FSpin->Text(), Dec("10.00"));
}

TEST_F(KelSpinTest, EveryStepTriggerMovesByIncrementAndZeroOnlyReformats) {
  Range(0, 100);
  FSpin->SetText("7");
  Key(VK_UP);  // Increment never set: 0
  EXPECT_EQ(FSpin->Text(), Dec("7.00"));
  FSpin->SetIncrement(0.5L);
  Arrow(FSpin->UpButton());
  EXPECT_EQ(FSpin->Text(), Dec("7.50"));
  Arrow(FSpin->DownButton());
  Arrow(FSpin->DownButton());
  EXPECT_EQ(FSpin->Text(), Dec("6.50"));
  Key(VK_UP);
  Wheel(WHEEL_DELTA);
  EXPECT_EQ(FSpin->Text(), Dec("7.50"));
  Key(VK_DOWN);
  Wheel(-WHEEL_DELTA);
  EXPECT_EQ(FSpin->Text(), Dec("6.50"));
  EXPECT_TRUE(gBeeps.empty());
}

TEST_F(KelSpinTest, UpAndDownKeysDoNotReachOnKeyDown) {
  std::vector<WORD> seen;
  FSpin->OnKeyDown = [&](WORD& key, TShiftState) { seen.push_back(key); };
  Key(VK_UP);
  Key(VK_DOWN);
  Key(VK_LEFT);
  EXPECT_EQ(seen, std::vector<WORD>{VK_LEFT});
}

TEST_F(KelSpinTest, ReadOnlyArrowsBeepButKeysAndWheelStillStep) {
  Range(0, 100);
  FSpin->SetIncrement(1);
  FSpin->SetValue(5);
  FSpin->SetReadOnly(true);
  Arrow(FSpin->UpButton());
  Arrow(FSpin->DownButton());
  EXPECT_EQ(gBeeps, (std::vector<UINT>{0, 0}));
  EXPECT_EQ(FSpin->Text(), Dec("5.00"));
  Key(VK_UP);
  Wheel(WHEEL_DELTA);
  EXPECT_EQ(FSpin->Text(), Dec("7.00"));
}

class KelSpinClipboardTest : public KelSpinTest, public ::testing::WithParamInterface<std::pair<bool, bool>> {
 protected:
  void SetClipboard(const char* text) {
    ASSERT_TRUE(OpenClipboard(FForm.Handle()));
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, strlen(text) + 1);
    memcpy(GlobalLock(memory), text, strlen(text) + 1);
    GlobalUnlock(memory);
    SetClipboardData(CF_TEXT, memory);
    CloseClipboard();
  }
};

TEST_P(KelSpinClipboardTest, CutAndPasteOnlyWhenEditorEnabledAndWritable) {
  auto [editorEnabled, readOnly] = GetParam();
  bool allowed = editorEnabled && !readOnly;
  FSpin->SetEditorEnabled(editorEnabled);
  FSpin->SetReadOnly(readOnly);
  FSpin->SetText("12");
  FSpin->SelectAll();
  SendMessageA(FSpin->Handle(), WM_CUT, 0, 0);
  EXPECT_EQ(FSpin->Text(), allowed ? "" : "12");
  SetClipboard("34");
  FSpin->SetText("1");
  FSpin->SetSelStart(1);
  SendMessageA(FSpin->Handle(), WM_PASTE, 0, 0);
  EXPECT_EQ(FSpin->Text(), allowed ? "134" : "1");
  EXPECT_TRUE(gBeeps.empty()) << "refused silently";
  if (!readOnly) {
    Type("5");  // EditorEnabled does not block typing
    EXPECT_EQ(FSpin->Text(), allowed ? "1345" : "15");
  }
}

INSTANTIATE_TEST_SUITE_P(EditorEnabledReadOnly, KelSpinClipboardTest,
                         ::testing::Values(std::make_pair(true, false), std::make_pair(false, false),
                                           std::make_pair(true, true), std::make_pair(false, true)));

struct TCharCase {
  unsigned char Char;
  TDataType DataType;
  bool Allowed;
};

class KelSpinCharFilterTest : public KelSpinTest, public ::testing::WithParamInterface<TCharCase> {};

TEST_P(KelSpinCharFilterTest, RefusedCharactersBeepAndNeverReachOnKeyPress) {
  const TCharCase& c = GetParam();
  unsigned char typed = c.Char == '.' ? static_cast<unsigned char>(LocaleDecimalSeparator()) : c.Char;
  FSpin->SetDataType(c.DataType);
  std::vector<char> pressed;
  FSpin->OnKeyPress = [&](char& key) { pressed.push_back(key); };
  SendMessageA(FSpin->Handle(), WM_CHAR, typed, 0);
  if (c.Allowed) {
    EXPECT_EQ(pressed, std::vector<char>{static_cast<char>(typed)});
    EXPECT_TRUE(gBeeps.empty());
  } else {
    EXPECT_TRUE(pressed.empty());
    EXPECT_EQ(gBeeps, std::vector<UINT>{0xFFFF});
    EXPECT_EQ(FSpin->Text(), "0") << "nothing inserted";
  }
}

INSTANTIATE_TEST_SUITE_P(
    Characters, KelSpinCharFilterTest,
    ::testing::Values(TCharCase{'5', dtFloat, true}, TCharCase{'+', dtFloat, true},
                      TCharCase{'-', dtInteger, true}, TCharCase{'.', dtFloat, true},
                      TCharCase{'.', dtInteger, false}, TCharCase{13, dtFloat, false},
                      TCharCase{8, dtFloat, true}, TCharCase{27, dtFloat, true},
                      TCharCase{'a', dtFloat, false}, TCharCase{' ', dtFloat, false},
                      TCharCase{'e', dtFloat, false}, TCharCase{0xE9, dtFloat, false}));

TEST_F(KelSpinTest, SignsAndSeparatorsPassAnywhere) {
  FSpin->SetText("");
  Type(Dec("1-+..2"));
  EXPECT_EQ(FSpin->Text(), Dec("1-+..2"));
  EXPECT_EQ(FSpin->Value(), FSpin->MinValue());
}

TEST_F(KelSpinTest, IntegerIncrementRoundsHalvesToEven) {
  FSpin->SetDataType(dtInteger);
  const std::pair<long double, long double> cases[] = {{2.5L, 2}, {3.5L, 4}, {2.6L, 3}, {-2.5L, -2}};
  for (auto [given, stored] : cases) {
    FSpin->SetIncrement(given);
    EXPECT_EQ(FSpin->Increment(), stored) << static_cast<double>(given);
  }
  FSpin->SetDataType(dtFloat);
  EXPECT_EQ(FSpin->Increment(), -2) << "a later change of DataType keeps the stored increment";
  FSpin->SetIncrement(2.5L);
  EXPECT_EQ(FSpin->Increment(), 2.5L);
}

TEST_F(KelSpinTest, BoundSettersReformatOnlyOnARealChange) {
  Range(0, 100);
  FSpin->SetText(Dec("1.5"));
  int changes = FChanges;
  FSpin->SetMinValue(0);
  FSpin->SetMaxValue(100);
  EXPECT_EQ(FSpin->Text(), Dec("1.5"));
  EXPECT_EQ(FChanges, changes);
  FSpin->SetMaxValue(50);
  EXPECT_EQ(FSpin->Text(), Dec("1.50"));
  EXPECT_EQ(FChanges, changes + 1);
  FSpin->SetMinValue(2);
  EXPECT_EQ(FSpin->Text(), Dec("2.00"));
}

TEST_F(KelSpinTest, BoundSettersPullTheDefaultIntoTheRange) {
  FSpin->SetDefaultValue(80);
  Range(0, 50);
  EXPECT_EQ(FSpin->DefaultValue(), 50);
}

TEST_F(KelSpinTest, ValueWriteRaisesOnChangeOnlyForNewText) {
  Range(0, 10);
  int changes = FChanges;
  FSpin->SetValue(3);
  FSpin->SetValue(3.001L);  // the same text
  FSpin->SetValue(30);      // clamped to 10
  EXPECT_EQ(FSpin->Text(), Dec("10.00"));
  EXPECT_EQ(FChanges, changes + 2);
}

TEST_F(KelSpinTest, DefaultOutsideTheRangeThrowsAndKeepsTheOldDefault) {
  Range(1, 4);
  FSpin->SetDefaultValue(2);
  try {
    FSpin->SetDefaultValue(5);
    FAIL() << "no exception";
  } catch (const std::exception& e) {
    EXPECT_STREQ(e.what(), "Invalid default value.");
  }
  EXPECT_EQ(FSpin->DefaultValue(), 2);
}

TEST_F(KelSpinTest, HeightBelowTwentyBecomesTwenty) {
  FSpin->SetBounds(8, 8, 80, 12);
  EXPECT_EQ(FSpin->Height(), 20);
  RECT window;
  GetWindowRect(FSpin->Handle(), &window);
  EXPECT_EQ(window.bottom - window.top, 20);
}

TEST_F(KelSpinTest, LayoutAtHeightTwentyOne) {
  FSpin->SetBounds(8, 8, 80, 21);
  auto bounds = [](const TControl* c) { return std::vector<int>{c->Left(), c->Top(), c->Width(), c->Height()}; };
  EXPECT_EQ(bounds(FSpin->ButtonHolder()), (std::vector<int>{59, 0, 21, 22}));
  EXPECT_EQ(bounds(FSpin->ButtonPanel()), (std::vector<int>{0, -1, 21, 23}));
  EXPECT_EQ(bounds(FSpin->UpButton()), (std::vector<int>{2, 2, 15, 7}));
  EXPECT_EQ(bounds(FSpin->DownButton()), (std::vector<int>{2, 10, 15, 7}));
  RECT client, up;
  GetClientRect(FSpin->Handle(), &client);
  GetClientRect(FSpin->UpButton()->Handle(), &up);
  EXPECT_EQ(up.right, 15);
  EXPECT_EQ(up.bottom, 7);
  RECT format{};
  SendMessageA(FSpin->Handle(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
  // The edit control keeps its own margins inside the rectangle it is given.
  EXPECT_LE(format.right, client.right - 21 - 2) << "the text never runs under the arrows";
  EXPECT_GT(format.right, client.right - 21 - 2 - 8);
}

// Auto-repeat: steps are timed from the press. Wine's timers on a loaded machine are
// coarse, so each step may come up to kToleranceMs early or late.
const double kToleranceMs = 60;

class KelSpinRepeatTest : public KelSpinTest {
 protected:
  KelSpinRepeatTest() {
    Range(0, 1000);
    FSpin->SetIncrement(1);
    FSpin->SetValue(0);
    FSpin->OnChange = [this] { FSteps.push_back(NowMs() - FPressMs); };
    QueryPerformanceFrequency(&FFrequency);
    // The pointer rests over the arrow, so that no stray mouse move leaves its down state.
    RECT rect;
    GetWindowRect(FSpin->UpButton()->Handle(), &rect);
    SetCursorPos((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    PumpFor(50);
  }
  double NowMs() const {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(FFrequency.QuadPart);
  }
  void Press() {
    FPressMs = NowMs();
    SendMessageA(FSpin->UpButton()->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(7, 3));
  }
  void Move(int x, int y) {
    SendMessageA(FSpin->UpButton()->Handle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, y));
  }
  void Release() { SendMessageA(FSpin->UpButton()->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(7, 3)); }
  void PumpUntilMs(double ms) {
    while (NowMs() - FPressMs < ms) PumpFor(1);
  }

  LARGE_INTEGER FFrequency{};
  double FPressMs = 0;
  std::vector<double> FSteps;
};

TEST_F(KelSpinRepeatTest, HoldingOneSecondStepsAt250_485_705_910AndOnceMoreOnRelease) {
  Press();
  PumpUntilMs(1000);
  ASSERT_EQ(FSteps.size(), 4u);
  const double expected[] = {250, 485, 705, 910};
  for (int i = 0; i < 4; ++i) EXPECT_NEAR(FSteps[i], expected[i], kToleranceMs) << "step " << i;
  Release();
  EXPECT_EQ(FSteps.size(), 5u);
  EXPECT_EQ(FSpin->Text(), Dec("5.00"));
}

TEST_F(KelSpinRepeatTest, AShortPressGivesExactlyOneStep) {
  Press();
  PumpUntilMs(150);
  Release();
  PumpFor(400);
  EXPECT_EQ(FSteps.size(), 1u);
}

TEST_F(KelSpinRepeatTest, LeavingTheArrowStopsRepeatingAndRestartsSlowly) {
  Press();
  PumpUntilMs(520);
  ASSERT_EQ(FSteps.size(), 2u);
  Move(40, 40);  // off the arrow, still held
  PumpUntilMs(1100);
  EXPECT_EQ(FSteps.size(), 2u);
  Move(7, 3);
  double back = NowMs() - FPressMs;
  PumpUntilMs(back + 600);
  ASSERT_GE(FSteps.size(), 4u);
  // The first step after coming back waits for a running 250 ms tick; the one after it
  // comes 235 ms later, as after a fresh press.
  EXPECT_LE(FSteps[2] - back, 250 + kToleranceMs);
  EXPECT_NEAR(FSteps[3] - FSteps[2], 235, kToleranceMs);
  Release();
  EXPECT_EQ(FSpin->Text(), Dec(std::to_string(FSteps.size()).append(".00").c_str()));
}

}  // namespace
