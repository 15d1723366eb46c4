// Scripts that drive a dialog of this process from a second thread, finding controls by Name.
//
// The command language, one command per line. Words are separated by blanks; a word may be
// written in double quotes to hold blanks ("Point Spread", with \" and \\ for a quote and a
// backslash). A '#' where a word would begin starts a comment that runs to the end of the line.
// NAME is a control's Name (see platform/ControlName.h), looked up among all descendants of
// the current window. Times are in milliseconds; a bracketed [ms] is an optional timeout that
// defaults to 10000. Every timeout (not the times of sleep and hold) is multiplied by the wait
// factor of WaitFactor.h. Coordinates are in the control's client area, in pixels.
//
//   window "Caption" [ms]   wait for a visible top-level window of this process whose caption
//                           is the text (preferred) or starts with it, and until its thread
//                           takes input; it becomes the current window that all later commands
//                           work in
//   click NAME              push button, check box, radio button: BM_CLICK; any other control:
//                           left button down and up at its centre
//   click-at NAME x y       left button down and up at (x, y)
//   set NAME VALUE          change a control's value as a user would, with its notification:
//                           track bar: the position (must lie in its range);
//                           combo box: the item whose text is VALUE, or else item number VALUE
//                           (from 0); check box: 0 or 1, clicked only when it differs;
//                           radio button: 1 clicks it; a window holding radio buttons (a radio
//                           group): the item whose caption is VALUE, or else item number VALUE;
//                           edit: selects and replaces the whole text, as a paste over it
//                           would (the edit reports the change)
//   type NAME "text"        focus the control and send each character as WM_CHAR, so character
//                           filters run; the characters go in at the caret
//   key NAME VK             focus the control, key down and up; VK is UP, DOWN, LEFT, RIGHT,
//                           RETURN, ESCAPE, TAB, SPACE, BACK, DELETE, HOME, END, PRIOR, NEXT,
//                           a letter or digit, or a number (0x0D as well as 13)
//   wheel NAME steps        focus the control and turn the wheel by steps notches (+1 away
//                           from the user, -1 towards)
//   drag NAME x1 y1 x2 y2 [steps]   left button down at (x1, y1), steps (default 10) moves to
//                           (x2, y2) with the button held, button up there
//   hold NAME ms            left button down at the centre, wait ms, button up
//   wait-enabled NAME [ms]  wait until the control exists and is enabled
//   wait-disabled NAME [ms] wait until the control exists and is disabled
//   wait-text NAME "text" [ms]   wait until the control's text is exactly the text
//   expect-text NAME "text" fail unless the control's text is exactly the text
//   expect-enabled NAME 0|1 fail unless the control is disabled (0) or enabled (1)
//   sleep ms                pause
//   screenshot FILE.png     save the current window as it is on the screen; a relative FILE is
//                           placed in the artifact directory
//   close                   ask the current window to close (WM_CLOSE, as the close box does;
//                           also dismisses a system message box)
//   wait-closed [ms]        wait until the current window is hidden or destroyed; there is no
//                           current window afterwards
//
// Input commands refuse a control that is disabled or whose window is disabled (a user could
// not reach it either). Input is posted, so a handler may open a nested modal window (a message
// box) without blocking the script; after each command the script waits until the window's
// thread has handled what was posted. The first failure (a timeout, an unknown control, a
// failed expectation, an error in the script text, found before anything runs) ends the
// script with an error that names the line. The runner never closes the dialog itself.
#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

class TScriptRunner {
 public:
  // artifactDir receives the screenshots; it is created when needed. "" means the current
  // directory.
  TScriptRunner(std::string scriptText, std::string artifactDir);
  // Stops a script that is still running at its next wait and joins its thread.
  ~TScriptRunner();
  TScriptRunner(const TScriptRunner&) = delete;
  TScriptRunner& operator=(const TScriptRunner&) = delete;

  // Starts the script on its own thread; a second call does nothing.
  void Start();
  // True once the script has finished, successfully or not, within timeoutMs. Does not pump
  // messages: a thread that owns the dialog must keep its message loop running meanwhile.
  bool Wait(unsigned timeoutMs);
  // True when the script ran to its end without a failure.
  bool Succeeded() const;
  // The failure, starting with "line N:", or "" while running or after success.
  std::string Error() const;

 private:
  void Run() noexcept;

  std::string FScriptText;
  std::string FArtifactDir;
  std::thread FThread;
  std::atomic<bool> FCancel{false};
  mutable std::mutex FLock;
  std::condition_variable FFinished;
  bool FDone = false;
  bool FSucceeded = false;
  std::string FError;
};
