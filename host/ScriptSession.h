// The session that runs a dialog script's commands against the windows of this process, on the
// script thread. Its members are split by concern: ScriptSession.cpp finds controls and talks
// to them, ScriptCommands.cpp holds the input and check commands, ScriptWaits.cpp the waits.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "ScriptParser.h"

// How long a message sent to the dialog's thread may take before the thread counts as hung,
// before the wait factor.
constexpr unsigned kSendTimeoutMs = 10000;

// Window texts as UTF-8 and back.
std::string Narrow(const std::wstring& text);
std::wstring Widen(const std::string& text);
// text in double quotes, for messages.
std::string Quoted(const std::string& text);
// The window's own caption, read without sending it a message (so a busy thread cannot block
// the caller). Controls that keep their text elsewhere (edits) need WM_GETTEXT instead.
std::string CaptionOf(HWND window);
std::string ClassOf(HWND window);
bool IsClass(HWND window, const char* className);

// Runs the commands; failures are thrown as TScriptError.
class TScriptSession {
 public:
  TScriptSession(std::string artifactDir, const std::atomic<bool>& cancel)
      : FArtifactDir(std::move(artifactDir)), FCancel(cancel) {}

  void Execute(const TCommand& command);

 private:
  // The arguments of the current command.
  const std::string& Word(size_t index) const;
  long Integer(size_t index) const;
  unsigned Timeout(size_t index) const;

  // Finding controls and talking to them.
  HWND CurrentWindow() const;
  HWND Control(const std::string& name) const;
  HWND InputControl(const std::string& name) const;
  LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void Focus(HWND control);
  std::string TextOf(HWND control);

  // Input and checks.
  void PostClickAt(HWND control, int x, int y);
  void Click(HWND control);
  void ClickAt(HWND control, long x, long y);
  void SetValue(HWND control, const std::string& value);
  void SetTrackBar(HWND control, const std::string& value);
  void SetComboBox(HWND control, const std::string& value);
  void SetEdit(HWND control, const std::string& value);
  void SetCheckBox(HWND control, const std::string& value);
  void SetRadioGroup(const std::vector<HWND>& items, const std::string& value);
  void TypeText(HWND control, const std::string& text);
  void PressKey(HWND control, const std::string& keyName);
  void TurnWheel(HWND control, long steps);
  void Drag(HWND control, long x1, long y1, long x2, long y2, long steps);
  void Hold(HWND control, long ms);
  void ExpectText(HWND control, const std::string& text);
  void ExpectEnabled(HWND control, bool enabled);
  void Screenshot(const std::string& file);
  void Close();

  // Waits.
  void Pause(unsigned ms);
  bool WaitFor(unsigned timeoutMs, const std::function<bool()>& condition);
  void Sync(HWND window);
  void FindWindowByCaption(const std::string& caption, unsigned timeoutMs);
  void WaitEnabled(const std::string& name, bool enabled, unsigned timeoutMs);
  void WaitText(const std::string& name, const std::string& text, unsigned timeoutMs);
  void WaitClosed(unsigned timeoutMs);

  std::string FArtifactDir;
  const std::atomic<bool>& FCancel;
  const TCommand* FCommand = nullptr;
  HWND FWindow = nullptr;
  std::string FCaption;
  int FPosted = 0;
};
