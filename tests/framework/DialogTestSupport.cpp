#include "DialogTestSupport.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>

#include "DialogWatchdog.h"
#include "Script.h"
#include "platform/Forms.h"

std::string ArtifactDirectory() {
  const char* directory = std::getenv("SKELVANE_ARTIFACTS");
  return directory != nullptr ? directory : "";
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
  MSG quit;
  while (PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
  EXPECT_TRUE(runner.Wait(60000));
  EXPECT_TRUE(runner.Succeeded()) << runner.Error();
  return result;
}

int ShowModalWithScript(TForm& form, const std::string& script) {
  return ShowWithScript(script, [&form] { return form.ShowModal(); });
}
