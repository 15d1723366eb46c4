#include "ScriptSession.h"

#include "platform/ControlName.h"
#include "Screenshot.h"
#include "WaitFactor.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <filesystem>
#include <initializer_list>

namespace {

// Upper bound for waiting until a window has painted before a screenshot; a window that keeps
// invalidating itself (an animation) is shot as it is after this.
const unsigned kPaintSettleMs = 2000;

LPARAM PointParam(int x, int y) {
  return MAKELPARAM(static_cast<WORD>(static_cast<short>(x)), static_cast<WORD>(static_cast<short>(y)));
}

BOOL CALLBACK MarkPendingPaint(HWND child, LPARAM param) {
  if (IsWindowVisible(child) && GetUpdateRect(child, nullptr, FALSE)) {
    *reinterpret_cast<bool*>(param) = true;
    return FALSE;
  }
  return TRUE;
}

POINT Centre(HWND control) {
  RECT client;
  GetClientRect(control, &client);
  return POINT{(client.right - client.left) / 2, (client.bottom - client.top) / 2};
}

bool IsButtonOfType(HWND control, std::initializer_list<LONG> types) {
  if (!IsClass(control, "Button")) return false;
  const LONG type = GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK;
  for (LONG t : types) {
    if (type == t) return true;
  }
  return false;
}
bool IsCheckBox(HWND control) {
  return IsButtonOfType(control, {BS_CHECKBOX, BS_AUTOCHECKBOX, BS_3STATE, BS_AUTO3STATE});
}
bool IsRadioButton(HWND control) {
  return IsButtonOfType(control, {BS_RADIOBUTTON, BS_AUTORADIOBUTTON});
}

std::vector<HWND> RadioItems(HWND group) {
  std::vector<HWND> items;
  for (HWND child = GetWindow(group, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    if (IsRadioButton(child)) items.push_back(child);
  }
  return items;
}

bool NeedsPaint(HWND window) {
  if (GetUpdateRect(window, nullptr, FALSE)) return true;
  bool pending = false;
  EnumChildWindows(window, MarkPendingPaint, reinterpret_cast<LPARAM>(&pending));
  return pending;
}

}  // namespace

void TScriptSession::PostClickAt(HWND control, int x, int y) {
  Post(control, WM_LBUTTONDOWN, MK_LBUTTON, PointParam(x, y));
  Post(control, WM_LBUTTONUP, 0, PointParam(x, y));
}

void TScriptSession::Click(HWND control) {
  if (IsClass(control, "Button")) {
    Post(control, BM_CLICK, 0, 0);
  } else {
    POINT centre = Centre(control);
    PostClickAt(control, centre.x, centre.y);
  }
  Sync(control);
}

void TScriptSession::ClickAt(HWND control, long x, long y) {
  PostClickAt(control, static_cast<int>(x), static_cast<int>(y));
  Sync(control);
}

void TScriptSession::SetValue(HWND control, const std::string& value) {
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

void TScriptSession::SetTrackBar(HWND control, const std::string& value) {
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

void TScriptSession::SetComboBox(HWND control, const std::string& value) {
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

void TScriptSession::SetEdit(HWND control, const std::string& value) {
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

void TScriptSession::SetCheckBox(HWND control, const std::string& value) {
  if (value != "0" && value != "1") throw TScriptError("a check box is set to 0 or 1, not '" + value + "'");
  const LRESULT wanted = value == "1" ? BST_CHECKED : BST_UNCHECKED;
  if (Send(control, BM_GETCHECK, 0, 0) == wanted) return;
  Click(control);
  if (!WaitFor(ScaledWaitMs(1000), [&] { return Send(control, BM_GETCHECK, 0, 0) == wanted; })) {
    throw TScriptError("the check box did not change when clicked");
  }
}

void TScriptSession::SetRadioGroup(const std::vector<HWND>& items, const std::string& value) {
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

void TScriptSession::TypeText(HWND control, const std::string& text) {
  Focus(control);
  for (wchar_t c : Widen(text)) Post(control, WM_CHAR, static_cast<WPARAM>(c), 1);
  Sync(control);
}

void TScriptSession::PressKey(HWND control, const std::string& keyName) {
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

void TScriptSession::TurnWheel(HWND control, long steps) {
  Focus(control);
  POINT centre = Centre(control);
  ClientToScreen(control, &centre);
  const auto delta = static_cast<short>(steps * WHEEL_DELTA);
  Post(control, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(delta)), PointParam(centre.x, centre.y));
  Sync(control);
}

void TScriptSession::Drag(HWND control, long x1, long y1, long x2, long y2, long steps) {
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

void TScriptSession::Hold(HWND control, long ms) {
  POINT centre = Centre(control);
  Post(control, WM_LBUTTONDOWN, MK_LBUTTON, PointParam(centre.x, centre.y));
  Sync(control);
  Pause(static_cast<unsigned>(std::max(0L, ms)));
  Post(control, WM_LBUTTONUP, 0, PointParam(centre.x, centre.y));
  Sync(control);
}

void TScriptSession::ExpectText(HWND control, const std::string& text) {
  const std::string actual = TextOf(control);
  if (actual != text) {
    throw TScriptError("the text of '" + GetControlName(control) + "' is " + Quoted(actual) +
                       ", expected " + Quoted(text));
  }
}

void TScriptSession::ExpectEnabled(HWND control, bool enabled) {
  if ((IsWindowEnabled(control) != FALSE) != enabled) {
    throw TScriptError("the control '" + GetControlName(control) + "' is " +
                       (enabled ? "disabled" : "enabled") + ", expected " + (enabled ? "enabled" : "disabled"));
  }
}

void TScriptSession::Screenshot(const std::string& file) {
  HWND window = CurrentWindow();
  Sync(window);
  // The window paints only once its thread has nothing else to do.
  WaitFor(ScaledWaitMs(kPaintSettleMs), [&] { return !NeedsPaint(window); });
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

void TScriptSession::Close() {
  HWND window = CurrentWindow();
  Post(window, WM_CLOSE, 0, 0);
  Sync(window);
}
