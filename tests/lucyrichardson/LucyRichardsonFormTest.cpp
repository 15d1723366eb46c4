// Tests of the Lucy-Richardson dialog, created directly as the start handler creates it and
// driven by dialog scripts under Wine.
#include "lucyrichardson/LucyRichardsonForm.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "DialogTestSupport.h"
#include "LucyRichardsonRun.h"
#include "PluginRunSupport.h"
#include "WaitFactor.h"
#include "lucyrichardson/LucyRichardsonThread_win.h"

namespace {

const char kOpen[] = "window \"Lucy Richardson Deconvolution\"\n";
const char kCancel[] = "click btnCancel\nwait-closed\n";

class TObservedForm;

// The real worker, reporting to the test after the dialog's progress method of every
// iteration (on the user-interface thread, while the worker waits).
// A freed worker's memory is kept, filled with a pattern, so that a test can tell whether the
// dialog wrote to a worker after it was gone.
class TObservedWorker : public TLucyRichardsonThread {
 public:
  TObservedWorker(int width, int height, TObservedForm* form)
      : TLucyRichardsonThread(width, height), FForm(form) {}

  static void* operator new(std::size_t size) { return ::operator new(size); }
  static void operator delete(void* block, std::size_t size) {
    std::memset(block, kFreedPattern, size);
    std::lock_guard<std::mutex> lock(FreedLock());
    Freed().push_back({static_cast<unsigned char*>(block), size});
  }
  // True when no freed worker has been written to; releases their memory.
  static bool FreedWorkersUntouched() {
    std::lock_guard<std::mutex> lock(FreedLock());
    bool untouched = true;
    for (const auto& block : Freed()) {
      for (std::size_t i = 0; i < block.second; ++i)
        untouched = untouched && block.first[i] == kFreedPattern;
      ::operator delete(block.first);
    }
    Freed().clear();
    return untouched;
  }

 protected:
  bool Deconvolve() override;

 private:
  static constexpr unsigned char kFreedPattern = 0xA5;
  static std::mutex& FreedLock() {
    static std::mutex lock;
    return lock;
  }
  static std::vector<std::pair<unsigned char*, std::size_t>>& Freed() {
    static std::vector<std::pair<unsigned char*, std::size_t>> blocks;
    return blocks;
  }

  TObservedForm* FForm;
};

// The dialog with observed workers, and ways to make a run fail.
class TObservedForm : public TfrmLucyRichardson {
 public:
  struct TSeen {
    std::string Label;
    int Bar;
    bool operator==(const TSeen& other) const { return Label == other.Label && Bar == other.Bar; }
  };
  std::vector<TSeen> Seen;
  // Called on the user-interface thread after progress call `iteration` of a run.
  std::function<void(int iteration)> AtProgress;
  bool AbsentImagePlane = false;  // the next worker's Image plane could not be allocated
  bool RunFails = false;          // the next run ends without a result
  int WorkersCreated = 0;
  TKernelHandle LastWorkerEnded;  // signalled once the thread of the last worker has ended

  void Observe(int iteration) {
    Seen.push_back({lblStatus->Caption(), ProgressBar->Position()});
    if (AtProgress) AtProgress(iteration);
  }
  bool TakeRunFails() { return std::exchange(RunFails, false); }

  // Hands the block to the dialog as the start handler does.
  void Open(TTestBlock& input, std::vector<uint8_t>& output) {
    output = input.Bytes;
    SetImage(input.Data(), output.data(), static_cast<uint8>(input.BitDepth), input.Width,
             input.Height, input.IsGray, input.RowBytes);
    LoadImage();
  }

 protected:
  std::unique_ptr<TDeconvolutionThread> CreateWorker(int width, int height) override {
    ++WorkersCreated;
    auto worker = std::make_unique<TObservedWorker>(width, height, this);
    LastWorkerEnded = worker->DuplicateHandleForWait();
    worker->Aggressive = chkAggressive->Checked();
    if (std::exchange(AbsentImagePlane, false))
      worker->Image = std::make_unique<TDataContainer>(0, 0);
    return worker;
  }
};

bool TObservedWorker::Deconvolve() {
  if (FForm->TakeRunFails()) return false;
  int iteration = 0;
  return ::Deconvolve(*Image, *PSF, Iterations, Aggressive, [this] { return Terminated(); },
                      [this, &iteration] {
                        DoProgress();
                        ++iteration;
                        Synchronize([this, &iteration] { FForm->Observe(iteration); });
                      });
}

std::string Script(const std::string& body) { return kOpen + body; }

// ---- Progress

struct TProgressCase {
  int Iterations;
  std::vector<TObservedForm::TSeen> Expected;
};

class ProgressTest : public testing::TestWithParam<TProgressCase> {};

INSTANTIATE_TEST_SUITE_P(
    Counts, ProgressTest,
    testing::Values(
        TProgressCase{10,
                      {{"Iteration: 1", 11}, {"Iteration: 2", 21}, {"Iteration: 3", 31},
                       {"Iteration: 4", 41}, {"Iteration: 5", 51}, {"Iteration: 6", 61},
                       {"Iteration: 7", 71}, {"Iteration: 8", 81}, {"Iteration: 9", 91},
                       {"Idle", 0}}},
        // 12.5 rounds to 12 and 37.5 to 38: halves go to the even neighbour.
        TProgressCase{8,
                      {{"Iteration: 1", 13}, {"Iteration: 2", 26}, {"Iteration: 3", 39},
                       {"Iteration: 4", 51}, {"Iteration: 5", 63}, {"Iteration: 6", 76},
                       {"Iteration: 7", 89}, {"Idle", 0}}}));

TEST_P(ProgressTest, LabelAndBarAfterEveryIteration) {
  TTestBlock input = StarFieldBlock(300, 280, true, 8);
  std::vector<uint8_t> output;
  TObservedForm form;
  form.Open(input, output);
  const std::string iterations = std::to_string(GetParam().Iterations);
  EXPECT_EQ(ShowModalWithScript(form, Script("set edtIterations " + iterations +
                                             "\nclick btnPreview\nwait-enabled btnCancel\n"
                                             "expect-text lblStatus Idle\n" + kCancel)),
            mrCancel);
  EXPECT_EQ(form.Seen, GetParam().Expected);
}

// ---- Preview

struct TPreviewCase {
  const char* Name;
  int Width, Height;
  bool IsGray;
  int BitDepth;
};

class PreviewTest : public testing::TestWithParam<TPreviewCase> {};

INSTANTIATE_TEST_SUITE_P(
    Images, PreviewTest,
    testing::Values(TPreviewCase{"WindowGray8", 300, 280, true, 8},
                    TPreviewCase{"WindowRGB16", 600, 400, false, 16},
                    TPreviewCase{"WindowGray32", 256, 300, true, 32},
                    TPreviewCase{"TileBothSidesSmallRGB8", 200, 120, false, 8},
                    TPreviewCase{"TileOneSideSmallGray16", 400, 200, true, 16},
                    TPreviewCase{"TileSide255RGB32", 255, 600, false, 32}),
    [](const testing::TestParamInfo<TPreviewCase>& info) { return info.param.Name; });

// Two drags towards the top left move the window 400 pixels right and down, as far as the
// image allows; then a preview runs on what is in view.
TEST_P(PreviewTest, ProcessesTheWindowInViewAfterDraggingToTheFarCorner) {
  const TPreviewCase& image = GetParam();
  TTestBlock input = StarFieldBlock(image.Width, image.Height, image.IsGray, image.BitDepth);
  std::vector<uint8_t> output;
  TObservedForm form;
  form.Open(input, output);
  const std::string drag = "drag Image1 210 210 10 10 8\n";
  EXPECT_EQ(ShowModalWithScript(form, Script(drag + drag + "set edtIterations 4\n"
                                             "click btnPreview\nwait-enabled btnCancel\n" +
                                             kCancel)),
            mrCancel);

  const int left = std::max(0, image.Width - 256), top = std::max(0, image.Height - 256);
  const TRunParameters run = LucyRichardsonRun(4);
  const auto original = ReferenceOriginal(input, left, top);
  ASSERT_NE(form.Image3->Picture(), nullptr);
  EXPECT_TRUE(SameTopLeft(*form.Image3->Picture(), *original));
  // The tile holds the whole image: the window plays no part in its preview.
  const bool tiled = image.Width < 256 || image.Height < 256;
  const auto preview = ReferencePreview(input, tiled ? 0 : left, tiled ? 0 : top, run);
  ASSERT_NE(form.Image1->Picture(), nullptr);
  EXPECT_TRUE(SameTopLeft(*form.Image1->Picture(), *preview));
  EXPECT_EQ(output, input.Bytes);
}

// ---- Full run and Stop

TEST(LucyRichardsonFormTest, StopDuringARunThenOKWritesOnlyTheSecondRun) {
  TTestBlock input = StarFieldBlock(300, 200, false, 16);
  std::vector<uint8_t> output;
  TObservedForm form;
  form.Open(input, output);
  bool untouchedAtSecondRun = false;
  form.AtProgress = [&](int iteration) {
    if (form.WorkersCreated == 1 && iteration == 3) form.btnStop->Click();
    if (form.WorkersCreated == 2 && iteration == 1) untouchedAtSecondRun = output == input.Bytes;
  };
  EXPECT_EQ(ShowModalWithScript(form, Script("click btnOK\nwait-enabled btnCancel 60000\n"
                                             "expect-text lblStatus Idle\n"
                                             "expect-enabled btnStop 0\n"
                                             "click btnOK\nwait-closed 60000\n")),
            mrOk);
  EXPECT_EQ(form.WorkersCreated, 2);
  // The stopped run made progress calls 1..3 and ended after the update of the fourth.
  ASSERT_GE(form.Seen.size(), 3u);
  EXPECT_EQ(form.Seen[2].Label, "Iteration: 3");
  EXPECT_EQ(form.Seen.size(), 3u + 10u);
  EXPECT_TRUE(untouchedAtSecondRun);
  EXPECT_EQ(output, ReferenceFullRun(input, LucyRichardsonRun()));
}

TEST(LucyRichardsonFormTest, StopBeforeTheWorkerExistsStopsTheNewRun) {
  TTestBlock input = StarFieldBlock(200, 200, true, 8);
  std::vector<uint8_t> output;
  TObservedForm form;
  form.Open(input, output);
  // Stop is clicked while OK lets the pending messages run, before the worker is made.
  constexpr UINT kStart = WM_USER + 50;
  form.OnMessage(kStart, [&](WPARAM, LPARAM) {
    PostMessageA(form.btnStop->Handle(), BM_CLICK, 0, 0);
    form.btnOK->Click();
  });
  PostMessageA(form.Handle(), kStart, 0, 0);
  // Clicking the item already selected changes nothing; the click is only taken after the
  // posted start, so the waits below see the run's end, not the state before it.
  EXPECT_EQ(ShowModalWithScript(form, Script("click grpPSF_0\nwait-enabled btnCancel 60000\n"
                                             "expect-text lblStatus Idle\n" +
                                             std::string(kCancel))),
            mrCancel);
  EXPECT_EQ(form.WorkersCreated, 1);
  EXPECT_TRUE(form.Seen.empty());
  EXPECT_EQ(output, input.Bytes);
}

// ---- The thread told to quit during a run

struct TQuitCase {
  const char* Name;
  const char* Button;
  int QuitAt;      // the progress call after which the quit is posted
  bool StopFirst;  // Stop is clicked there
  // The quit is taken only once the worker has posted its last message (and, after Stop,
  // has ended), so that the message comes after the quit.
  bool QuitFirst;
};

class QuitTest : public testing::TestWithParam<TQuitCase> {};

INSTANTIATE_TEST_SUITE_P(
    Runs, QuitTest,
    testing::Values(TQuitCase{"DuringAPreview", "btnPreview", 2, false, false},
                    TQuitCase{"BeforeTheDoneMessageOfAFullRun", "btnOK", 10, false, true},
                    TQuitCase{"AfterStopBeforeTheStoppedMessage", "btnOK", 2, true, true}),
    [](const testing::TestParamInfo<TQuitCase>& info) { return info.param.Name; });

// A host closing down (or a watchdog) posts WM_QUIT to the dialog's thread while a run is on:
// the dialog ends as cancelled, with its workers ended, the host's image untouched, and no
// freed worker written to, whichever of the worker's messages and its end come first.
TEST_P(QuitTest, EndsAsCancelledWithoutTouchingAFreedWorker) {
  const TQuitCase& quit = GetParam();
  TTestBlock input = StarFieldBlock(300, 280, true, 8);
  std::vector<uint8_t> output;
  {
    TObservedForm form;
    form.Open(input, output);
    // Handled before the quit: holds the dialog's thread until the worker's last message is
    // in the queue behind the quit.
    constexpr UINT kHold = WM_USER + 51;
    form.OnMessage(kHold, [&](WPARAM, LPARAM) {
      MSG posted;
      for (DWORD begin = GetTickCount();
           !PeekMessageA(&posted, form.Handle(), kLucyRichardsonMessages.ProcessDone,
                         kLucyRichardsonMessages.ProcessStopped, PM_NOREMOVE) &&
           GetTickCount() - begin < ScaledWaitMs(10000);)
        Sleep(1);
      if (quit.StopFirst) form.LastWorkerEnded.Wait(ScaledWaitMs(10000));
    });
    form.AtProgress = [&](int iteration) {
      if (iteration != quit.QuitAt) return;
      if (quit.StopFirst) form.btnStop->Click();
      if (quit.QuitFirst) PostMessageA(form.Handle(), kHold, 0, 0);
      PostThreadMessageA(GetCurrentThreadId(), WM_QUIT, 0, 0);
    };
    EXPECT_EQ(ShowModalWithScript(form, Script(std::string("click ") + quit.Button +
                                               "\nwait-closed 60000\n")),
              mrCancel);
    EXPECT_EQ(form.WorkersCreated, 1);
  }
  EXPECT_TRUE(TObservedWorker::FreedWorkersUntouched());
  EXPECT_EQ(output, input.Bytes);
}

// ---- Failures

struct TFailureCase {
  const char* Name;
  const char* Button;
  bool AbsentPlane;  // the start fails; otherwise the run ends without a result
  const char* Message;
};

class FailureTest : public testing::TestWithParam<TFailureCase> {};

const char kNoMemoryText[] =
    "There is not enough memory to deconvolve this image. Select a smaller part of the image, "
    "or close other programs, and try again.";

INSTANTIATE_TEST_SUITE_P(
    Runs, FailureTest,
    testing::Values(TFailureCase{"PreviewStart", "btnPreview", true, kNoMemoryText},
                    TFailureCase{"FullRunStart", "btnOK", true, kNoMemoryText},
                    TFailureCase{"PreviewWithoutResult", "btnPreview", false, kNoMemoryText},
                    TFailureCase{"FullRunWithoutResult", "btnOK", false, kNoMemoryText}),
    [](const testing::TestParamInfo<TFailureCase>& info) { return info.param.Name; });

TEST_P(FailureTest, SaysSoAndReturnsToIdleWithTheImageUntouched) {
  const TFailureCase& failure = GetParam();
  TTestBlock input = StarFieldBlock(280, 260, false, 8);
  std::vector<uint8_t> output;
  TObservedForm form;
  form.Open(input, output);
  form.AbsentImagePlane = failure.AbsentPlane;
  form.RunFails = !failure.AbsentPlane;
  EXPECT_EQ(ShowModalWithScript(
                form, Script(std::string("click ") + failure.Button +
                             "\nwindow Error 60000\nexpect-text Message \"" + failure.Message +
                             "\"\nclick OK\nwait-closed\n" + kOpen +
                             "wait-enabled btnCancel\nexpect-enabled btnOK 1\n"
                             "expect-enabled btnCancel 1\nexpect-enabled btnStop 0\n"
                             "expect-text lblStatus Idle\n" + kCancel)),
            mrCancel);
  EXPECT_EQ(output, input.Bytes);
}

TEST(LucyRichardsonFormTest, RefusesAFrameWhosePaddedSideWouldExceed16384) {
  TTestBlock input = StarFieldBlock(16385, 1, true, 8);
  std::vector<uint8_t> output;
  TObservedForm form;
  form.Open(input, output);
  EXPECT_EQ(ShowModalWithScript(
                form, Script("click btnOK\nwindow Error\nexpect-text Message \"This image is too "
                             "large to deconvolve: a side may have at most 16384 pixels. Select "
                             "a smaller part of the image and try again.\"\nclick OK\n"
                             "wait-closed\n" + std::string(kOpen) +
                             "wait-enabled btnCancel\n" + kCancel)),
            mrCancel);
  EXPECT_EQ(form.WorkersCreated, 0);
  EXPECT_EQ(output, input.Bytes);
}

TEST(LucyRichardsonFormTest, WithoutAnImageOnlyCancelAndAboutAreUsable) {
  TObservedForm form;
  std::vector<uint8_t> output(64 * 64);
  form.SetImage(nullptr, output.data(), 8, 64, 64, true, 64);
  form.LoadImage();
  EXPECT_EQ(ShowModalWithScript(
                form, Script("expect-enabled btnOK 0\nexpect-enabled btnPreview 0\n"
                             "expect-enabled grpPSF 0\nexpect-enabled GroupBox1 0\n"
                             "expect-enabled btnCancel 1\n"
                             "expect-text lblStatus \"The image could not be loaded: not "
                             "enough memory.\"\nclick btnAbout\nwindow \"Skelvane for "
                             "Photoshop\"\nclose\nwait-closed\n" + std::string(kOpen) + kCancel)),
            mrCancel);
  EXPECT_EQ(form.WorkersCreated, 0);
}

// ---- Parameter links (no run, no modal loop needed)

TEST(LucyRichardsonFormTest, OpensWithTheDefaultsAndTheGaussianThumbnail) {
  TObservedForm form;
  EXPECT_EQ(form.Caption(), "Lucy Richardson Deconvolution");
  EXPECT_EQ(form.ClientWidth(), 785);
  EXPECT_EQ(form.ClientHeight(), 417);
  EXPECT_EQ(form.edtSigma->Text(), "1.00");
  EXPECT_EQ(form.trkSigma->Position(), 10);
  EXPECT_EQ(form.edtIterations->Text(), "10.00");
  EXPECT_EQ(form.trkIterations->Position(), 10);
  EXPECT_EQ(form.edtKurtosis->Text(), "2.50");
  EXPECT_EQ(form.trkKurtosis->Position(), 250);
  EXPECT_FALSE(form.edtKurtosis->Enabled());
  EXPECT_TRUE(form.chkAggressive->Checked());
  EXPECT_EQ(form.grpPSF->ItemIndex(), pkGaussian);
  EXPECT_FALSE(form.btnStop->Enabled());
  form.FormShow();
  const auto thumbnail = PSFBitmap(pkGaussian, 64, 64, 1.0f, 2.5f);
  ASSERT_NE(form.Image2->Picture(), nullptr);
  EXPECT_TRUE(SameTopLeft(*form.Image2->Picture(), *thumbnail));
}

TEST(LucyRichardsonFormTest, OutOfRangeValuesArePulledIntoTheOtherControlsRange) {
  TObservedForm form;
  form.trkSigma->SetPosition(0);
  EXPECT_EQ(form.edtSigma->Text(), "0.10");
  EXPECT_EQ(form.trkSigma->Position(), 1);
  form.trkIterations->SetPosition(0);
  EXPECT_EQ(form.edtIterations->Text(), "1.00");
  EXPECT_EQ(form.trkIterations->Position(), 1);
  form.edtSigma->SetText("12");
  EXPECT_EQ(form.trkSigma->Position(), 100);
  EXPECT_EQ(form.edtSigma->Text(), "10.00");
  // Ten times a value beyond the integers is no position either, but the bar's end.
  form.edtSigma->SetText("1.00");
  form.edtSigma->SetText("99999999999");
  EXPECT_EQ(form.trkSigma->Position(), 100);
  EXPECT_EQ(form.edtSigma->Text(), "10.00");
}

TEST(LucyRichardsonFormTest, TextEnteredByTheUserReachesTheLinks) {
  TTestBlock input = StarFieldBlock(64, 64, true, 8);
  std::vector<uint8_t> output;
  TObservedForm form;
  form.Open(input, output);
  EXPECT_EQ(ShowModalWithScript(form, Script("set edtSigma 2.2\nexpect-text edtSigma 2.2\n"
                                             "set edtIterations 37\n" + std::string(kCancel))),
            mrCancel);
  EXPECT_EQ(form.trkSigma->Position(), 22);
  EXPECT_EQ(form.trkIterations->Position(), 37);
  const auto thumbnail = PSFBitmap(pkGaussian, 64, 64, 2.2f, 2.5f);
  EXPECT_TRUE(SameTopLeft(*form.Image2->Picture(), *thumbnail));
}

// ---- Enter and Escape

std::vector<UINT> gBeeps;

class KeyTest : public testing::TestWithParam<TKeyCase> {};

INSTANTIATE_TEST_SUITE_P(Controls, KeyTest,
                         testing::Values(TKeyCase{"trkSigma", "RETURN", mrOk},
                                         TKeyCase{"chkAggressive", "RETURN", mrOk},
                                         TKeyCase{"grpPSF_0", "RETURN", mrOk},
                                         TKeyCase{"edtIterations", "RETURN", mrNone},
                                         TKeyCase{"trkIterations", "ESCAPE", mrCancel}),
                         KeyCaseName);

TEST_P(KeyTest, PressesTheButtonUnlessTheControlTakesTheKey) {
  TTestBlock input = StarFieldBlock(64, 64, true, 8);
  std::vector<uint8_t> output;
  TObservedForm form;
  form.Open(input, output);
  gBeeps.clear();
  TKelSpin::SetBeepProc([](UINT type) { gBeeps.push_back(type); });
  ExpectKeyPresses(form, *form.btnOK, *form.btnCancel, "Lucy Richardson Deconvolution",
                   GetParam());
  TKelSpin::SetBeepProc(nullptr);
  // The spin edit's character filter refuses Enter with its beep.
  EXPECT_EQ(gBeeps, GetParam().Result == mrNone ? std::vector<UINT>{0xFFFF} : std::vector<UINT>{});
}

// ---- Typed values

struct TTypedCase {
  const char* Name;
  const char* Before;  // script lines that prepare the dialog
  const char* Spin;    // the spin edit typed into, and its track bar
  const char* Bar;
  const char* Text;
  int Position;
  TPSFKind Kind;
  int Iterations;
  float Sigma, Kurtosis;
};

class TypedValueTest : public testing::TestWithParam<TTypedCase> {};

INSTANTIATE_TEST_SUITE_P(
    Values, TypedValueTest,
    testing::Values(TTypedCase{"Iterations", "", "edtIterations", "trkIterations", "25", 25,
                               pkGaussian, 25, 1.0f, 2.5f},
                    TTypedCase{"Size", "", "edtSigma", "trkSigma", "2.5", 25, pkGaussian, 10,
                               2.5f, 2.5f},
                    TTypedCase{"Wing", "set grpPSF Moffat\n", "edtKurtosis", "trkKurtosis",
                               "1.75", 175, pkMoffat, 10, 1.0f, 1.75f}),
    [](const testing::TestParamInfo<TTypedCase>& info) { return info.param.Name; });

// Typed key by key, the text stays as typed while the bar follows it; OK runs and stores the
// typed value, and leaving the edit for OK keeps a text that lies in the range.
TEST_P(TypedValueTest, TheRunTakesTheTypedValue) {
  const TTypedCase& typed = GetParam();
  TProductKey key(true);
  TTestBlock input = StarFieldBlock(64, 64, true, 8);
  std::vector<uint8_t> output;
  TObservedForm form;
  form.Open(input, output);
  const std::string spin = typed.Spin, text = typed.Text;
  EXPECT_EQ(ShowModalWithScript(form, Script(std::string(typed.Before) + "type " + spin + " " +
                                             text + "\nexpect-text " + spin + " " + text +
                                             "\nclick btnOK\nwait-closed 60000\n")),
            mrOk);
  EXPECT_EQ(static_cast<TKelSpin*>(form.FindControl(spin))->Text(), text);
  EXPECT_EQ(static_cast<TTrackBar*>(form.FindControl(typed.Bar))->Position(), typed.Position);
  TRunParameters run = LucyRichardsonRun(typed.Iterations, true, typed.Kind, typed.Sigma);
  run.Kurtosis = typed.Kurtosis;
  EXPECT_EQ(output, ReferenceFullRun(input, run));
  DWORD kind = 99, iterations = 0;
  double width = 0;
  EXPECT_TRUE(TProductKey::ReadDword("LRPSF", kind));
  EXPECT_EQ(kind, static_cast<DWORD>(typed.Kind));
  EXPECT_TRUE(TProductKey::ReadDword("LRIterations", iterations));
  EXPECT_EQ(iterations, static_cast<DWORD>(typed.Iterations));
  EXPECT_TRUE(TProductKey::ReadDouble("LRCurveWidth", width));
  EXPECT_EQ(width, static_cast<double>(typed.Sigma));
}

TEST(LucyRichardsonFormTest, AggressiveSwitchSetsTheIterationRange) {
  TObservedForm form;
  form.chkAggressive->SetChecked(false);
  EXPECT_EQ(form.trkIterations->Max(), 1000);
  EXPECT_EQ(form.trkIterations->Frequency(), 50);
  EXPECT_EQ(form.edtIterations->MaxValue(), 1000);
  form.trkIterations->SetPosition(600);
  EXPECT_EQ(form.edtIterations->Text(), "600.00");
  form.chkAggressive->SetChecked(true);
  EXPECT_EQ(form.trkIterations->Max(), 100);
  EXPECT_EQ(form.trkIterations->Position(), 100);
  EXPECT_EQ(form.edtIterations->Text(), "100.00");
  EXPECT_EQ(form.edtIterations->MaxValue(), 100);
}

TEST(LucyRichardsonFormTest, MoffatEnablesTheWingWhoseArrowsStepByATenth) {
  TObservedForm form;
  form.grpPSF->SetItemIndex(pkMoffat);
  EXPECT_TRUE(form.Label3->Enabled());
  EXPECT_TRUE(form.trkKurtosis->Enabled());
  EXPECT_TRUE(form.edtKurtosis->Enabled());
  const auto moffat = PSFBitmap(pkMoffat, 64, 64, 1.0f, 2.5f);
  EXPECT_TRUE(SameTopLeft(*form.Image2->Picture(), *moffat));
  form.edtKurtosis->UpButton()->Click();
  EXPECT_EQ(form.edtKurtosis->Text(), "2.60");
  EXPECT_EQ(form.trkKurtosis->Position(), 260);
  // Below the bar's range: the bar goes to 110 and, having moved, sets the edit to 1.10.
  form.edtKurtosis->SetText("1.05");
  EXPECT_EQ(form.trkKurtosis->Position(), 110);
  EXPECT_EQ(form.edtKurtosis->Text(), "1.10");
  form.grpPSF->SetItemIndex(pkCauchy);
  EXPECT_FALSE(form.edtKurtosis->Enabled());
  EXPECT_FALSE(form.trkKurtosis->Enabled());
}

TEST(LucyRichardsonFormTest, RunIterationsRoundHalvesToEven) {
  TObservedForm form;
  form.edtIterations->SetText("10.50");
  EXPECT_EQ(form.RunIterations(), 10);
  EXPECT_EQ(form.trkIterations->Position(), 10);
  form.edtIterations->SetText("11.50");
  EXPECT_EQ(form.RunIterations(), 12);
  EXPECT_EQ(form.trkIterations->Position(), 12);
}

}  // namespace
