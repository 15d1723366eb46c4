// Running a modal dialog of this process under a dialog script, with a watchdog that closes
// the dialog when the script fails, so that a broken test fails instead of hanging.
#pragma once

#include <string>

class TForm;

// Starts script on a second thread, shows form modally and returns its modal result. The
// script's failure, or a dialog left open by it, is reported as a test failure.
int ShowModalWithScript(TForm& form, const std::string& script);

// The directory for screenshots (SKELVANE_ARTIFACTS, or the current directory).
std::string ArtifactDirectory();
