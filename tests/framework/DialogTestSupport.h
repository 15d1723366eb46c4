// Running a modal dialog of this process under a dialog script, with a watchdog that closes
// the dialog when the script fails, so that a broken test fails instead of hanging.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>

class TButton;
class TForm;

// Starts script on a second thread, runs show (which shows a modal window, or calls a plug-in
// that does, and returns its result) and returns what show returned. The script's failure, or
// a window left open by it, is reported as a test failure.
int ShowWithScript(const std::string& script, const std::function<int()>& show);

// ShowWithScript for a form shown modally: returns its modal result.
int ShowModalWithScript(TForm& form, const std::string& script);

// The directory for screenshots: SKELVANE_ARTIFACTS, or the program's temporary folder
// (TempFolder.h) when it is not set.
std::string ArtifactDirectory();

// A key pressed in one control of a dialog: RETURN or ESCAPE, and the modal result it gives
// (mrOk, mrCancel), or mrNone for a control that takes the key itself, after which the
// dialog stays open (and is cancelled).
struct TKeyCase {
  const char* Control;
  const char* Key;
  int Result;
};

// The case's name in a parameterised test: the key and the control.
std::string KeyCaseName(const testing::TestParamInfo<TKeyCase>& info);

// Opens form, whose window has caption, and presses the case's key in its control. A key that
// presses a button must do so with the focus still in the control, and with ok showing the
// default frame.
void ExpectKeyPresses(TForm& form, TButton& ok, TButton& cancel, const std::string& caption,
                      const TKeyCase& key);
