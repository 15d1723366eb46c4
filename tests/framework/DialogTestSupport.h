// Running a modal dialog of this process under a dialog script, with a watchdog that closes
// the dialog when the script fails, so that a broken test fails instead of hanging.
#pragma once

#include <functional>
#include <string>

class TForm;

// Starts script on a second thread, runs show (which shows a modal window and returns its
// result) and returns what show returned. The script's failure, or a window left open by it,
// is reported as a test failure.
int ShowWithScript(const std::string& script, const std::function<int()>& show);

// ShowWithScript for a form shown modally: returns its modal result.
int ShowModalWithScript(TForm& form, const std::string& script);

// The directory for screenshots (SKELVANE_ARTIFACTS, or the current directory).
std::string ArtifactDirectory();
