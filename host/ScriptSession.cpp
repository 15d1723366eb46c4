#include "ScriptSession.h"

#include "platform/ControlName.h"
#include "WaitFactor.h"

#include <algorithm>

namespace {

const unsigned kDefaultWaitMs = 10000;
const int kDefaultDragSteps = 10;

}  // namespace

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

std::string Narrow(const std::wstring& text) {
  if (text.empty()) return "";
  int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                 nullptr, nullptr);
  std::string result(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &result[0], size,
                      nullptr, nullptr);
  return result;
}

std::wstring Widen(const std::string& text) {
  if (text.empty()) return L"";
  int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring result(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &result[0], size);
  return result;
}

std::string CaptionOf(HWND window) {
  wchar_t buffer[512];
  int length = InternalGetWindowText(window, buffer, static_cast<int>(sizeof buffer / sizeof buffer[0]));
  return Narrow(std::wstring(buffer, static_cast<size_t>(length > 0 ? length : 0)));
}

std::string ClassOf(HWND window) {
  char buffer[128];
  int length = GetClassNameA(window, buffer, sizeof buffer);
  return std::string(buffer, static_cast<size_t>(length > 0 ? length : 0));
}

bool IsClass(HWND window, const char* className) {
  return lstrcmpiA(ClassOf(window).c_str(), className) == 0;
}

namespace {

// Lets the script thread set the keyboard focus in the dialog's thread: SetFocus only works
// for windows that share the caller's input state.
class TInputAttachment {
 public:
  explicit TInputAttachment(HWND window)
      : FOwn(GetCurrentThreadId()), FOther(GetWindowThreadProcessId(window, nullptr)),
        FAttached(FOther != 0 && FOther != FOwn && AttachThreadInput(FOwn, FOther, TRUE)) {}
  ~TInputAttachment() {
    if (FAttached) AttachThreadInput(FOwn, FOther, FALSE);
  }
  TInputAttachment(const TInputAttachment&) = delete;
  TInputAttachment& operator=(const TInputAttachment&) = delete;

  DWORD FOwn;
  DWORD FOther;
  bool FAttached;
};

}  // namespace

void TScriptSession::Execute(const TCommand& command) {
  FCommand = &command;
  const std::string& name = command.Words[0];
  if (name == "window") return FindWindowByCaption(Word(1), Timeout(2));
  if (name == "click") return Click(InputControl(Word(1)));
  if (name == "click-at") return ClickAt(InputControl(Word(1)), Integer(2), Integer(3));
  if (name == "set") return SetValue(InputControl(Word(1)), Word(2));
  if (name == "type") return TypeText(InputControl(Word(1)), Word(2));
  if (name == "key") return PressKey(InputControl(Word(1)), Word(2));
  if (name == "wheel") return TurnWheel(InputControl(Word(1)), Integer(2));
  if (name == "drag") {
    return Drag(InputControl(Word(1)), Integer(2), Integer(3), Integer(4), Integer(5),
                command.Words.size() > 6 ? Integer(6) : kDefaultDragSteps);
  }
  if (name == "hold") return Hold(InputControl(Word(1)), Integer(2));
  if (name == "wait-enabled") return WaitEnabled(Word(1), true, Timeout(2));
  if (name == "wait-disabled") return WaitEnabled(Word(1), false, Timeout(2));
  if (name == "wait-text") return WaitText(Word(1), Word(2), Timeout(3));
  if (name == "expect-text") return ExpectText(Control(Word(1)), Word(2));
  if (name == "expect-enabled") return ExpectEnabled(Control(Word(1)), Word(2) == "1");
  if (name == "sleep") return Pause(static_cast<unsigned>(std::max(0L, Integer(1))));
  if (name == "screenshot") return Screenshot(Word(1));
  if (name == "close") return Close();
  if (name == "wait-closed") return WaitClosed(Timeout(1));
}

const std::string& TScriptSession::Word(size_t index) const { return FCommand->Words[index]; }
long TScriptSession::Integer(size_t index) const { return ToInteger(FCommand->Words[index]); }
unsigned TScriptSession::Timeout(size_t index) const {
  if (index >= FCommand->Words.size()) return ScaledWaitMs(kDefaultWaitMs);
  return ScaledWaitMs(static_cast<unsigned>(std::max(0L, Integer(index))));
}

HWND TScriptSession::CurrentWindow() const {
  if (FWindow == nullptr) throw TScriptError("no current window (a 'window' command comes first)");
  if (!IsWindow(FWindow)) throw TScriptError("the window " + Quoted(FCaption) + " no longer exists");
  return FWindow;
}

HWND TScriptSession::Control(const std::string& name) const {
  HWND control = FindControlByName(CurrentWindow(), name.c_str());
  if (control == nullptr) {
    throw TScriptError("no control named '" + name + "' in the window " + Quoted(FCaption));
  }
  return control;
}

// A control the user could operate now.
HWND TScriptSession::InputControl(const std::string& name) const {
  HWND control = Control(name);
  if (!IsWindowEnabled(control)) throw TScriptError("the control '" + name + "' is disabled");
  HWND root = GetAncestor(control, GA_ROOT);
  if (root != nullptr && !IsWindowEnabled(root)) {
    throw TScriptError("the window " + Quoted(FCaption) + " is disabled (another modal window is open)");
  }
  return control;
}

LRESULT TScriptSession::Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  const unsigned timeoutMs = ScaledWaitMs(kSendTimeoutMs);
  if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, timeoutMs, &result)) {
    throw TScriptError("the window did not answer within " + std::to_string(timeoutMs) + " ms");
  }
  return static_cast<LRESULT>(result);
}

void TScriptSession::Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!PostMessageW(window, message, wParam, lParam)) throw TScriptError("the window is gone");
  ++FPosted;
}

void TScriptSession::Focus(HWND control) {
  TInputAttachment attachment(control);
  SetFocus(control);
  if (GetFocus() != control) {
    throw TScriptError("the control '" + GetControlName(control) + "' cannot take the focus");
  }
}

std::string TScriptSession::TextOf(HWND control) {
  const auto length = static_cast<size_t>(Send(control, WM_GETTEXTLENGTH, 0, 0));
  std::wstring buffer(length + 1, L'\0');
  const auto copied = static_cast<size_t>(
      Send(control, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(&buffer[0])));
  buffer.resize(std::min(copied, length));
  return Narrow(buffer);
}
