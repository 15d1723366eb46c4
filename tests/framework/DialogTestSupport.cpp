#include "DialogTestSupport.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>

#include "DialogWatchdog.h"
#include "Script.h"
#include "TempFolder.h"
#include "WaitFactor.h"
#include "platform/Buttons.h"
#include "platform/Forms.h"

std::string ArtifactDirectory() {
  const char* directory = std::getenv("SKELVANE_ARTIFACTS");
  return directory != nullptr && *directory != '\0' ? directory : TestTempFolder();
}

int ShowWithScript(const std::string& script, const std::function<int()>& show) {
  TScriptRunner runner(script, ArtifactDirectory());
  runner.Start();
  int result;
  {
    // A script that ended with the dialog still open gets a minute for a run to finish.
    TDialogWatchdog watchdog(runner, 60000);
    result = show();
    watchdog.Disarm();
    EXPECT_FALSE(watchdog.Fired()) << "the dialog had to be closed for the script";
  }
  // A quit the watchdog posted must not end the next test's dialog.
  MSG quit;
  while (PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
  EXPECT_TRUE(runner.Wait(ScaledWaitMs(60000)));
  EXPECT_TRUE(runner.Succeeded()) << runner.Error();
  return result;
}

int ShowModalWithScript(TForm& form, const std::string& script) {
  return ShowWithScript(script, [&form] { return form.ShowModal(); });
}

void ExpectKeyPresses(TForm& form, TButton& ok, TButton& cancel, const std::string& caption,
                      const TKeyCase& key) {
  SCOPED_TRACE(std::string(key.Key) + " in " + key.Control);
  // Seen when a button is pressed: the control that had the focus, and OK's frame.
  std::string focus;
  bool framed = false;
  const auto okClick = ok.OnClick, cancelClick = cancel.OnClick;
  for (TButton* button : {&ok, &cancel}) {
    button->OnClick = [&ok, &focus, &framed, pressed = button->OnClick] {
      const TControl* focused = TControl::FromHandle(GetFocus());
      focus = focused != nullptr ? focused->Name() : "";
      framed = (GetWindowLongA(ok.Handle(), GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
      pressed();
    };
  }
  const bool kept = key.Result == mrNone;
  EXPECT_EQ(ShowModalWithScript(form, "window \"" + caption + "\" 60000\nkey " + key.Control +
                                          " " + key.Key + "\n" +
                                          (kept ? "click btnCancel\n" : "") +
                                          "wait-closed 60000\n"),
            kept ? mrCancel : key.Result);
  ok.OnClick = okClick;
  cancel.OnClick = cancelClick;
  if (kept) return;
  EXPECT_EQ(focus, key.Control);
  EXPECT_TRUE(framed);
}

std::string KeyCaseName(const testing::TestParamInfo<TKeyCase>& info) {
  return std::string(info.param.Key) + "In" + info.param.Control;
}
