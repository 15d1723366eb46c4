#include "DialogTestSupport.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <thread>

#include "Script.h"
#include "platform/Forms.h"

std::string ArtifactDirectory() {
  const char* directory = std::getenv("SKELVANE_ARTIFACTS");
  return directory != nullptr ? directory : "";
}

int ShowModalWithScript(TForm& form, const std::string& script) {
  TScriptRunner runner(script, ArtifactDirectory());
  runner.Start();
  std::atomic<bool> closed{false};
  const HWND window = form.Handle();
  const DWORD uiThread = GetCurrentThreadId();
  // Once the script has ended, the dialog should close within a minute (a run may still be
  // finishing); otherwise it is asked to close as by its close box, and at last the loop is
  // ended with a quit message.
  std::thread watchdog([&] {
    while (!closed && !runner.Wait(100)) {
    }
    for (int i = 0; i < 600 && !closed; ++i) Sleep(100);
    for (int i = 0; i < 100 && !closed; ++i) {
      PostMessageA(window, WM_CLOSE, 0, 0);
      Sleep(100);
    }
    if (!closed) PostThreadMessageA(uiThread, WM_QUIT, 0, 0);
  });
  const int result = form.ShowModal();
  closed = true;
  watchdog.join();
  MSG quit;
  while (PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
  EXPECT_TRUE(runner.Wait(60000));
  EXPECT_TRUE(runner.Succeeded()) << runner.Error();
  return result;
}
