#include "DialogAnswerer.h"

#include "Script.h"
#include "WaitFactor.h"
#include "platform/ControlName.h"

namespace {

constexpr unsigned kPollMs = 20;
// How long an answered window may take to close: OK in a processing dialog first runs the
// filter over the whole image.
constexpr unsigned kAnsweredCloseTimeoutMs = 90000;
constexpr unsigned kIdleTimeoutMs = 5000;
constexpr unsigned kSettleMs = 150;
// A window still there after this many answers is closed without a script, then reported.
constexpr int kScriptAttempts = 2;
constexpr int kMaxAttempts = 6;

struct TSearch {
  DWORD Process;
  bool EnabledOnly;
  HWND Found;
};

BOOL CALLBACK FindWindowOfProcess(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<TSearch*>(param);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process != search->Process || !IsWindowVisible(window)) return TRUE;
  if (search->EnabledOnly && !IsWindowEnabled(window)) return TRUE;
  search->Found = window;
  return FALSE;
}

// A visible top-level window of this process; with enabledOnly the one a user could answer
// (a modal dialog disables its owners).
HWND FindVisibleWindow(bool enabledOnly) {
  TSearch search{GetCurrentProcessId(), enabledOnly, nullptr};
  EnumWindows(FindWindowOfProcess, reinterpret_cast<LPARAM>(&search));
  return search.Found;
}

std::string Caption(HWND window) {
  wchar_t buffer[512];
  const int length = InternalGetWindowText(window, buffer, 512);
  std::string text;
  for (int i = 0; i < length; ++i) text += buffer[i] < 128 ? char(buffer[i]) : '?';
  return text;
}

std::string Quoted(const std::string& text) {
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') quoted += '\\';
    quoted += c;
  }
  return quoted + "\"";
}

}  // namespace

TDialogAnswerer::TDialogAnswerer() : FThread([this] { Watch(); }) {}

TDialogAnswerer::~TDialogAnswerer() {
  FStop = true;
  FThread.join();
}

void TDialogAnswerer::Watch() {
  while (!FStop) {
    Sleep(kPollMs);
    const HWND window = FindVisibleWindow(true);
    if (window == nullptr) continue;
    FBusy = true;
    Answer(window);
    FBusy = false;
  }
}

void TDialogAnswerer::Answer(HWND window) {
  FAttempts = window == FLastWindow ? FAttempts + 1 : 1;
  FLastWindow = window;
  if (FAttempts == 1) ++FDialogs;
  const std::string caption = Caption(window);
  if (FAttempts > kMaxAttempts) {
    if (FAttempts == kMaxAttempts + 1) AddError("\"" + caption + "\" would not close");
    Sleep(200);
    return;
  }
  if (FAttempts > kScriptAttempts || caption.empty()) {
    PostMessageW(window, WM_CLOSE, 0, 0);
    Sleep(100);
    return;
  }
  // No user answers within moments of a window appearing; Wine's X11 driver can fail on a
  // window hidden while it is still being mapped.
  Sleep(kSettleMs);
  const bool hasButtons = FindControlByName(window, "btnOK") && FindControlByName(window, "btnCancel");
  const TAnswer answer = FAttempts == 1 && hasButtons ? FAnswer.load() : TAnswer::CloseBox;
  std::string script = "window " + Quoted(caption) + " 2000\n";
  script += answer == TAnswer::OK ? "click btnOK\n" : answer == TAnswer::Cancel ? "click btnCancel\n" : "close\n";
  script += "wait-closed " + std::to_string(kAnsweredCloseTimeoutMs) + "\n";
  TScriptRunner runner(script, "");
  runner.Start();
  if (!runner.Wait(ScaledWaitMs(kAnsweredCloseTimeoutMs + 5000)) || !runner.Succeeded())
    AddError("answering \"" + caption + "\": " + runner.Error());
}

void TDialogAnswerer::AddError(const std::string& error) {
  std::lock_guard<std::mutex> lock(FLock);
  FErrors.push_back(error);
}

bool TDialogAnswerer::WaitIdle() {
  const ULONGLONG start = GetTickCount64();
  while (FBusy || FindVisibleWindow(false) != nullptr) {
    if (GetTickCount64() - start > ScaledWaitMs(kIdleTimeoutMs)) return false;
    Sleep(kPollMs);
  }
  return true;
}

std::vector<std::string> TDialogAnswerer::TakeErrors() {
  std::lock_guard<std::mutex> lock(FLock);
  std::vector<std::string> errors;
  errors.swap(FErrors);
  return errors;
}
