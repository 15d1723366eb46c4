#include "Script.h"

#include "../platform/ControlName.h"
#include "QueueMarker.h"
#include "Screenshot.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <stdexcept>
#include <utility>
#include <vector>

namespace {

const unsigned kDefaultWaitMs = 10000;
// How long a message sent to the dialog's thread may take before the thread counts as hung.
const unsigned kSendTimeoutMs = 10000;
const unsigned kPollMs = 20;
// Upper bound for waiting until a window has painted before a screenshot; a window that keeps
// invalidating itself (an animation) is shot as it is after this.
const unsigned kPaintSettleMs = 2000;
const int kDefaultDragSteps = 10;

// A failure of the current command; caught in TScriptRunner::Run, never outside this thread.
class TScriptError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct TCommand {
  int Line = 0;
  std::vector<std::string> Words;  // Words[0] is the command
};

// Argument kinds: t text, i integer, b 0 or 1, k key; those after '|' are optional.
struct TCommandSyntax {
  const char* Name;
  const char* Arguments;
  const char* Usage;
};

const TCommandSyntax kCommands[] = {
    {"window", "t|i", "window \"Caption\" [ms]"},
    {"click", "t", "click NAME"},
    {"click-at", "tii", "click-at NAME x y"},
    {"set", "tt", "set NAME VALUE"},
    {"type", "tt", "type NAME \"text\""},
    {"key", "tk", "key NAME VK"},
    {"wheel", "ti", "wheel NAME +1|-1"},
    {"drag", "tiiii|i", "drag NAME x1 y1 x2 y2 [steps]"},
    {"hold", "ti", "hold NAME ms"},
    {"wait-enabled", "t|i", "wait-enabled NAME [ms]"},
    {"wait-disabled", "t|i", "wait-disabled NAME [ms]"},
    {"wait-text", "tt|i", "wait-text NAME \"text\" [ms]"},
    {"expect-text", "tt", "expect-text NAME \"text\""},
    {"expect-enabled", "tb", "expect-enabled NAME 0|1"},
    {"sleep", "i", "sleep ms"},
    {"screenshot", "t", "screenshot FILE.png"},
    {"close", "", "close"},
    {"wait-closed", "|i", "wait-closed [ms]"},
};

const TCommandSyntax* FindSyntax(const std::string& name) {
  for (const TCommandSyntax& syntax : kCommands) {
    if (name == syntax.Name) return &syntax;
  }
  return nullptr;
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

bool ParseInteger(const std::string& word, long& value) {
  if (word.empty()) return false;
  char* end = nullptr;
  errno = 0;
  value = std::strtol(word.c_str(), &end, 0);
  return errno == 0 && *end == '\0';
}

long ToInteger(const std::string& word) {
  long value = 0;
  ParseInteger(word, value);  // checked when the script was read
  return value;
}

struct TKeyName {
  const char* Name;
  UINT Code;
};

const TKeyName kKeyNames[] = {
    {"UP", VK_UP},         {"DOWN", VK_DOWN},     {"LEFT", VK_LEFT},     {"RIGHT", VK_RIGHT},
    {"RETURN", VK_RETURN}, {"ESCAPE", VK_ESCAPE}, {"TAB", VK_TAB},       {"SPACE", VK_SPACE},
    {"BACK", VK_BACK},     {"DELETE", VK_DELETE}, {"HOME", VK_HOME},     {"END", VK_END},
    {"PRIOR", VK_PRIOR},   {"NEXT", VK_NEXT},
};

bool ParseKey(const std::string& word, UINT& code) {
  for (const TKeyName& key : kKeyNames) {
    if (word == key.Name) {
      code = key.Code;
      return true;
    }
  }
  if (word.size() == 1 && ((word[0] >= 'A' && word[0] <= 'Z') || (word[0] >= '0' && word[0] <= '9'))) {
    code = static_cast<UINT>(word[0]);
    return true;
  }
  long number = 0;
  if (ParseInteger(word, number) && number > 0 && number < 256) {
    code = static_cast<UINT>(number);
    return true;
  }
  return false;
}

// Splits one line into words; false with a message on an unterminated quote.
bool SplitWords(const std::string& line, std::vector<std::string>& words, std::string& problem) {
  size_t at = 0;
  while (true) {
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t' || line[at] == '\r')) ++at;
    if (at >= line.size() || line[at] == '#') return true;
    std::string word;
    if (line[at] == '"') {
      ++at;
      bool closed = false;
      while (at < line.size()) {
        char c = line[at++];
        if (c == '"') {
          closed = true;
          break;
        }
        if (c == '\\' && at < line.size() && (line[at] == '"' || line[at] == '\\')) c = line[at++];
        word += c;
      }
      if (!closed) {
        problem = "missing closing quote";
        return false;
      }
    } else {
      while (at < line.size() && line[at] != ' ' && line[at] != '\t' && line[at] != '\r') {
        word += line[at++];
      }
    }
    words.push_back(word);
  }
}

// Checks a command's words against its syntax; "" when they fit.
std::string CheckArguments(const std::vector<std::string>& words) {
  const TCommandSyntax* syntax = FindSyntax(words[0]);
  if (syntax == nullptr) return "unknown command '" + words[0] + "'";
  const std::string kinds = syntax->Arguments;
  const size_t bar = kinds.find('|');
  const size_t required = bar == std::string::npos ? kinds.size() : bar;
  const size_t allowed = kinds.size() - (bar == std::string::npos ? 0 : 1);
  const size_t given = words.size() - 1;
  const std::string usage = std::string(" (usage: ") + syntax->Usage + ")";
  if (given < required || given > allowed) return "wrong number of arguments" + usage;
  size_t kindAt = 0;
  for (size_t i = 1; i < words.size(); ++i, ++kindAt) {
    if (kinds[kindAt] == '|') ++kindAt;
    long number = 0;
    UINT key = 0;
    switch (kinds[kindAt]) {
      case 'i':
        if (!ParseInteger(words[i], number)) return "'" + words[i] + "' is not a number" + usage;
        break;
      case 'b':
        if (words[i] != "0" && words[i] != "1") return "'" + words[i] + "' is not 0 or 1" + usage;
        break;
      case 'k':
        if (!ParseKey(words[i], key)) return "'" + words[i] + "' is not a key" + usage;
        break;
      default:
        break;
    }
  }
  return "";
}

std::vector<TCommand> ReadScript(const std::string& text) {
  std::vector<TCommand> commands;
  int lineNumber = 0;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    ++lineNumber;
    TCommand command;
    command.Line = lineNumber;
    std::string problem;
    if (!SplitWords(text.substr(start, end - start), command.Words, problem)) {
      throw TScriptError("line " + std::to_string(lineNumber) + ": " + problem);
    }
    if (!command.Words.empty()) {
      problem = CheckArguments(command.Words);
      if (!problem.empty()) throw TScriptError("line " + std::to_string(lineNumber) + ": " + problem);
      commands.push_back(std::move(command));
    }
    start = end + 1;
  }
  return commands;
}

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

// The window's own caption, read without sending it a message (so a busy thread cannot block
// the caller). Controls that keep their text elsewhere (edits) need WM_GETTEXT instead.
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

LPARAM PointParam(int x, int y) {
  return MAKELPARAM(static_cast<WORD>(static_cast<short>(x)), static_cast<WORD>(static_cast<short>(y)));
}

struct TWindowSearch {
  DWORD Process;
  std::vector<HWND> Windows;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<TWindowSearch*>(param);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process == search->Process && IsWindowVisible(window)) {
    try {
      search->Windows.push_back(window);
    } catch (...) {
      return FALSE;  // out of memory: search what was found so far
    }
  }
  return TRUE;
}

BOOL CALLBACK MarkPendingPaint(HWND child, LPARAM param) {
  if (IsWindowVisible(child) && GetUpdateRect(child, nullptr, FALSE)) {
    *reinterpret_cast<bool*>(param) = true;
    return FALSE;
  }
  return TRUE;
}

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

 private:
  DWORD FOwn;
  DWORD FOther;
  bool FAttached;
};

// Runs the commands against the windows of this process. Every member runs on the script
// thread; failures are thrown as TScriptError.
class TScriptSession {
 public:
  TScriptSession(std::string artifactDir, const std::atomic<bool>& cancel)
      : FArtifactDir(std::move(artifactDir)), FCancel(cancel) {}

  void Execute(const TCommand& command) {
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

 private:
  const std::string& Word(size_t index) const { return FCommand->Words[index]; }
  long Integer(size_t index) const { return ToInteger(FCommand->Words[index]); }
  unsigned Timeout(size_t index) const {
    if (index >= FCommand->Words.size()) return kDefaultWaitMs;
    return static_cast<unsigned>(std::max(0L, Integer(index)));
  }

  // Sleeps in short steps so that a destroyed runner is not kept waiting.
  void Pause(unsigned ms) {
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (true) {
      if (FCancel) throw TScriptError("stopped");
      auto now = std::chrono::steady_clock::now();
      if (now >= until) return;
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - now).count();
      Sleep(static_cast<DWORD>(std::min<long long>(left, kPollMs)));
    }
  }

  // Polls condition until it holds; false after timeoutMs.
  bool WaitFor(unsigned timeoutMs, const std::function<bool()>& condition) {
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (true) {
      if (condition()) return true;
      if (std::chrono::steady_clock::now() >= until) return false;
      Pause(kPollMs);
    }
  }

  HWND CurrentWindow() const {
    if (FWindow == nullptr) throw TScriptError("no current window (a 'window' command comes first)");
    if (!IsWindow(FWindow)) throw TScriptError("the window " + Quoted(FCaption) + " no longer exists");
    return FWindow;
  }

  HWND Control(const std::string& name) const {
    HWND control = FindControlByName(CurrentWindow(), name.c_str());
    if (control == nullptr) {
      throw TScriptError("no control named '" + name + "' in the window " + Quoted(FCaption));
    }
    return control;
  }

  // A control the user could operate now.
  HWND InputControl(const std::string& name) const {
    HWND control = Control(name);
    if (!IsWindowEnabled(control)) throw TScriptError("the control '" + name + "' is disabled");
    HWND root = GetAncestor(control, GA_ROOT);
    if (root != nullptr && !IsWindowEnabled(root)) {
      throw TScriptError("the window " + Quoted(FCaption) + " is disabled (another modal window is open)");
    }
    return control;
  }

  LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, kSendTimeoutMs, &result)) {
      throw TScriptError("the window did not answer within " + std::to_string(kSendTimeoutMs) + " ms");
    }
    return static_cast<LRESULT>(result);
  }

  void Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!PostMessageW(window, message, wParam, lParam)) throw TScriptError("the window is gone");
    ++FPosted;
  }

  // Returns once the window's thread has handled what this command posted: a marker is
  // posted behind it, and the wait ends when the thread takes the marker from its queue. A
  // thread takes its next posted message only after the one before has been handled, or from
  // a nested message loop (a message box opened by a handler), where the script must go on.
  // Sent messages prove nothing here: a thread answers them before it takes a posted one. A
  // window that closed in the meantime ends the wait early.
  void Sync(HWND window) {
    if (FPosted == 0) return;
    FPosted = 0;
    TQueueMarker marker(window);
    marker.Wait(kSendTimeoutMs);
  }

  void Focus(HWND control) {
    TInputAttachment attachment(control);
    SetFocus(control);
    if (GetFocus() != control) {
      throw TScriptError("the control '" + GetControlName(control) + "' cannot take the focus");
    }
  }

  static POINT Centre(HWND control) {
    RECT client;
    GetClientRect(control, &client);
    return POINT{(client.right - client.left) / 2, (client.bottom - client.top) / 2};
  }

  static bool IsButtonOfType(HWND control, std::initializer_list<LONG> types) {
    if (!IsClass(control, "Button")) return false;
    const LONG type = GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK;
    for (LONG t : types) {
      if (type == t) return true;
    }
    return false;
  }
  static bool IsCheckBox(HWND control) {
    return IsButtonOfType(control, {BS_CHECKBOX, BS_AUTOCHECKBOX, BS_3STATE, BS_AUTO3STATE});
  }
  static bool IsRadioButton(HWND control) {
    return IsButtonOfType(control, {BS_RADIOBUTTON, BS_AUTORADIOBUTTON});
  }

  std::string TextOf(HWND control) {
    const auto length = static_cast<size_t>(Send(control, WM_GETTEXTLENGTH, 0, 0));
    std::wstring buffer(length + 1, L'\0');
    const auto copied = static_cast<size_t>(
        Send(control, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(&buffer[0])));
    buffer.resize(std::min(copied, length));
    return Narrow(buffer);
  }

  void FindWindowByCaption(const std::string& caption, unsigned timeoutMs) {
    HWND found = nullptr;
    bool ok = WaitFor(timeoutMs, [&] {
      TWindowSearch search{GetCurrentProcessId(), {}};
      EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
      HWND prefixMatch = nullptr;
      for (HWND window : search.Windows) {
        const std::string text = CaptionOf(window);
        if (text == caption) {
          found = window;
          return true;
        }
        if (prefixMatch == nullptr && text.compare(0, caption.size(), caption) == 0) prefixMatch = window;
      }
      found = prefixMatch;
      return found != nullptr;
    });
    if (!ok) {
      throw TScriptError("no window " + Quoted(caption) + " appeared within " + std::to_string(timeoutMs) + " ms");
    }
    FWindow = found;
    FCaption = CaptionOf(found);
  }

  void PostClickAt(HWND control, int x, int y) {
    Post(control, WM_LBUTTONDOWN, MK_LBUTTON, PointParam(x, y));
    Post(control, WM_LBUTTONUP, 0, PointParam(x, y));
  }

  void Click(HWND control) {
    if (IsClass(control, "Button")) {
      Post(control, BM_CLICK, 0, 0);
    } else {
      POINT centre = Centre(control);
      PostClickAt(control, centre.x, centre.y);
    }
    Sync(control);
  }

  void ClickAt(HWND control, long x, long y) {
    PostClickAt(control, static_cast<int>(x), static_cast<int>(y));
    Sync(control);
  }

  void SetValue(HWND control, const std::string& value) {
    if (IsClass(control, TRACKBAR_CLASSA)) return SetTrackBar(control, value);
    if (IsClass(control, "ComboBox")) return SetComboBox(control, value);
    if (IsClass(control, "Edit")) return SetEdit(control, value);
    if (IsCheckBox(control)) return SetCheckBox(control, value);
    if (IsRadioButton(control)) {
      if (value != "1") throw TScriptError("a radio button is only set (1); setting another item clears it");
      if (Send(control, BM_GETCHECK, 0, 0) != BST_CHECKED) Click(control);
      return;
    }
    std::vector<HWND> items = RadioItems(control);
    if (!items.empty()) return SetRadioGroup(items, value);
    throw TScriptError("set does not apply to a control of class " + ClassOf(control));
  }

  void SetTrackBar(HWND control, const std::string& value) {
    long position = 0;
    if (!ParseInteger(value, position)) throw TScriptError("'" + value + "' is not a number");
    const auto low = static_cast<long>(Send(control, TBM_GETRANGEMIN, 0, 0));
    const auto high = static_cast<long>(Send(control, TBM_GETRANGEMAX, 0, 0));
    if (position < low || position > high) {
      throw TScriptError(value + " is outside the range " + std::to_string(low) + ".." + std::to_string(high));
    }
    Send(control, TBM_SETPOS, TRUE, position);
    // The track bar tells its parent nothing about TBM_SETPOS; a user's drag ends with these two.
    const UINT message = (GetWindowLongW(control, GWL_STYLE) & TBS_VERT) != 0 ? WM_VSCROLL : WM_HSCROLL;
    HWND parent = GetParent(control);
    const auto lParam = reinterpret_cast<LPARAM>(control);
    Post(parent, message, MAKEWPARAM(TB_THUMBPOSITION, static_cast<WORD>(position)), lParam);
    Post(parent, message, MAKEWPARAM(TB_ENDTRACK, 0), lParam);
    Sync(control);
  }

  void SetComboBox(HWND control, const std::string& value) {
    const std::wstring text = Widen(value);
    auto index = static_cast<long>(Send(control, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                        reinterpret_cast<LPARAM>(text.c_str())));
    const auto count = static_cast<long>(Send(control, CB_GETCOUNT, 0, 0));
    long number = 0;
    if (index == CB_ERR && ParseInteger(value, number) && number >= 0 && number < count) index = number;
    if (index == CB_ERR) {
      throw TScriptError("the combo box has no item " + Quoted(value) + " (" + std::to_string(count) + " items)");
    }
    Send(control, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    // CB_SETCURSEL does not notify; a user's choice does.
    const auto id = static_cast<WORD>(GetDlgCtrlID(control));
    Post(GetParent(control), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(control));
    Sync(control);
  }

  void SetEdit(HWND control, const std::string& value) {
    if ((GetWindowLongW(control, GWL_STYLE) & ES_READONLY) != 0) {
      throw TScriptError("the edit '" + GetControlName(control) + "' is read-only");
    }
    // The whole text selected and replaced, as a paste over it would: unlike WM_SETTEXT,
    // which some systems do not report, a replaced selection always makes the edit tell its
    // parent. Sent, not posted: the text must stay valid until the edit has copied it.
    const std::wstring text = Widen(value);
    Send(control, EM_SETSEL, 0, -1);
    Send(control, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
  }

  void SetCheckBox(HWND control, const std::string& value) {
    if (value != "0" && value != "1") throw TScriptError("a check box is set to 0 or 1, not '" + value + "'");
    const LRESULT wanted = value == "1" ? BST_CHECKED : BST_UNCHECKED;
    if (Send(control, BM_GETCHECK, 0, 0) == wanted) return;
    Click(control);
    if (!WaitFor(1000, [&] { return Send(control, BM_GETCHECK, 0, 0) == wanted; })) {
      throw TScriptError("the check box did not change when clicked");
    }
  }

  static std::vector<HWND> RadioItems(HWND group) {
    std::vector<HWND> items;
    for (HWND child = GetWindow(group, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
      if (IsRadioButton(child)) items.push_back(child);
    }
    return items;
  }

  void SetRadioGroup(const std::vector<HWND>& items, const std::string& value) {
    HWND item = nullptr;
    for (HWND candidate : items) {
      if (CaptionOf(candidate) == value) {
        item = candidate;
        break;
      }
    }
    long number = 0;
    if (item == nullptr && ParseInteger(value, number) && number >= 0 && number < static_cast<long>(items.size())) {
      item = items[static_cast<size_t>(number)];
    }
    if (item == nullptr) throw TScriptError("the radio group has no item " + Quoted(value));
    if (!IsWindowEnabled(item)) throw TScriptError("the item " + Quoted(value) + " is disabled");
    Click(item);
  }

  void TypeText(HWND control, const std::string& text) {
    Focus(control);
    for (wchar_t c : Widen(text)) Post(control, WM_CHAR, static_cast<WPARAM>(c), 1);
    Sync(control);
  }

  void PressKey(HWND control, const std::string& keyName) {
    UINT key = 0;
    ParseKey(keyName, key);
    Focus(control);
    const UINT scanCode = MapVirtualKeyW(key, MAPVK_VK_TO_VSC);
    const bool extended = key == VK_UP || key == VK_DOWN || key == VK_LEFT || key == VK_RIGHT ||
                          key == VK_HOME || key == VK_END || key == VK_PRIOR || key == VK_NEXT ||
                          key == VK_DELETE;
    // Key data: repeat count 1, scan code, extended-key flag; the release also carries the
    // previous-state and transition bits.
    const LPARAM down = static_cast<LPARAM>(1u | (scanCode << 16) | (extended ? 1u << 24 : 0u));
    const LPARAM up = static_cast<LPARAM>(static_cast<DWORD>(down) | 0xC0000000u);
    Post(control, WM_KEYDOWN, key, down);
    Post(control, WM_KEYUP, key, up);
    Sync(control);
  }

  void TurnWheel(HWND control, long steps) {
    Focus(control);
    POINT centre = Centre(control);
    ClientToScreen(control, &centre);
    const auto delta = static_cast<short>(steps * WHEEL_DELTA);
    Post(control, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(delta)), PointParam(centre.x, centre.y));
    Sync(control);
  }

  void Drag(HWND control, long x1, long y1, long x2, long y2, long steps) {
    if (steps < 1) throw TScriptError("a drag needs at least one step");
    Post(control, WM_LBUTTONDOWN, MK_LBUTTON, PointParam(static_cast<int>(x1), static_cast<int>(y1)));
    Sync(control);
    for (long i = 1; i <= steps; ++i) {
      const long x = x1 + (x2 - x1) * i / steps;
      const long y = y1 + (y2 - y1) * i / steps;
      Post(control, WM_MOUSEMOVE, MK_LBUTTON, PointParam(static_cast<int>(x), static_cast<int>(y)));
      Sync(control);
    }
    Post(control, WM_LBUTTONUP, 0, PointParam(static_cast<int>(x2), static_cast<int>(y2)));
    Sync(control);
  }

  void Hold(HWND control, long ms) {
    POINT centre = Centre(control);
    Post(control, WM_LBUTTONDOWN, MK_LBUTTON, PointParam(centre.x, centre.y));
    Sync(control);
    Pause(static_cast<unsigned>(std::max(0L, ms)));
    Post(control, WM_LBUTTONUP, 0, PointParam(centre.x, centre.y));
    Sync(control);
  }

  void WaitEnabled(const std::string& name, bool enabled, unsigned timeoutMs) {
    bool ok = WaitFor(timeoutMs, [&] {
      HWND control = FindControlByName(CurrentWindow(), name.c_str());
      return control != nullptr && (IsWindowEnabled(control) != FALSE) == enabled;
    });
    if (!ok) {
      throw TScriptError("the control '" + name + "' did not become " + (enabled ? "enabled" : "disabled") +
                         " within " + std::to_string(timeoutMs) + " ms");
    }
  }

  void WaitText(const std::string& name, const std::string& text, unsigned timeoutMs) {
    std::string last;
    bool ok = WaitFor(timeoutMs, [&] {
      HWND control = FindControlByName(CurrentWindow(), name.c_str());
      if (control == nullptr) return false;
      last = TextOf(control);
      return last == text;
    });
    if (!ok) {
      throw TScriptError("the text of '" + name + "' is " + Quoted(last) + ", not " + Quoted(text) +
                         ", after " + std::to_string(timeoutMs) + " ms");
    }
  }

  void ExpectText(HWND control, const std::string& text) {
    const std::string actual = TextOf(control);
    if (actual != text) {
      throw TScriptError("the text of '" + GetControlName(control) + "' is " + Quoted(actual) +
                         ", expected " + Quoted(text));
    }
  }

  void ExpectEnabled(HWND control, bool enabled) {
    if ((IsWindowEnabled(control) != FALSE) != enabled) {
      throw TScriptError("the control '" + GetControlName(control) + "' is " +
                         (enabled ? "disabled" : "enabled") + ", expected " + (enabled ? "enabled" : "disabled"));
    }
  }

  static bool NeedsPaint(HWND window) {
    if (GetUpdateRect(window, nullptr, FALSE)) return true;
    bool pending = false;
    EnumChildWindows(window, MarkPendingPaint, reinterpret_cast<LPARAM>(&pending));
    return pending;
  }

  void Screenshot(const std::string& file) {
    HWND window = CurrentWindow();
    Sync(window);
    // The window paints only once its thread has nothing else to do.
    WaitFor(kPaintSettleMs, [&] { return !NeedsPaint(window); });
    std::filesystem::path path = std::filesystem::u8path(file);
    if (path.is_relative() && !FArtifactDir.empty()) {
      const std::filesystem::path directory = std::filesystem::u8path(FArtifactDir);
      std::error_code ignored;
      std::filesystem::create_directories(directory, ignored);
      path = directory / path;
    }
    const std::string target = path.u8string();
    if (!SaveWindowScreenshot(window, target)) throw TScriptError("could not save the screenshot " + Quoted(target));
  }

  void Close() {
    HWND window = CurrentWindow();
    Post(window, WM_CLOSE, 0, 0);
    Sync(window);
  }

  void WaitClosed(unsigned timeoutMs) {
    if (FWindow == nullptr) throw TScriptError("no current window (a 'window' command comes first)");
    HWND window = FWindow;
    if (!WaitFor(timeoutMs, [&] { return !IsWindow(window) || !IsWindowVisible(window); })) {
      throw TScriptError("the window " + Quoted(FCaption) + " is still open after " + std::to_string(timeoutMs) + " ms");
    }
    FWindow = nullptr;
  }

  std::string FArtifactDir;
  const std::atomic<bool>& FCancel;
  const TCommand* FCommand = nullptr;
  HWND FWindow = nullptr;
  std::string FCaption;
  int FPosted = 0;
};

}  // namespace

TScriptRunner::TScriptRunner(std::string scriptText, std::string artifactDir)
    : FScriptText(std::move(scriptText)), FArtifactDir(std::move(artifactDir)) {}

TScriptRunner::~TScriptRunner() {
  FCancel = true;
  if (FThread.joinable()) FThread.join();
}

void TScriptRunner::Start() {
  if (FThread.joinable()) return;
  FThread = std::thread([this] { Run(); });
}

bool TScriptRunner::Wait(unsigned timeoutMs) {
  std::unique_lock<std::mutex> lock(FLock);
  if (!FThread.joinable()) return FDone;
  return FFinished.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return FDone; });
}

bool TScriptRunner::Succeeded() const {
  std::lock_guard<std::mutex> lock(FLock);
  return FDone && FSucceeded;
}

std::string TScriptRunner::Error() const {
  std::lock_guard<std::mutex> lock(FLock);
  return FError;
}

void TScriptRunner::Run() noexcept {
  std::string error;
  try {
    const std::vector<TCommand> commands = ReadScript(FScriptText);
    TScriptSession session(FArtifactDir, FCancel);
    for (const TCommand& command : commands) {
      try {
        session.Execute(command);
      } catch (const std::exception& failure) {
        throw TScriptError("line " + std::to_string(command.Line) + ": " + command.Words[0] + ": " + failure.what());
      }
    }
  } catch (const std::exception& failure) {
    error = failure.what();
    if (error.empty()) error = "the script failed";
  } catch (...) {
    error = "the script failed";
  }
  try {
    std::lock_guard<std::mutex> lock(FLock);
    FSucceeded = error.empty();
    FError = std::move(error);
    FDone = true;
  } catch (...) {
  }
  FFinished.notify_all();
}
