#include "Vista.h"

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

#include "platform/Dialogs.h"

void SetSystemFont(TFont& font) {
  try {
    LOGFONTA logFont{};
    if (SystemParametersInfoA(SPI_GETICONTITLELOGFONT, sizeof logFont, &logFont, 0)) {
      if (HFONT handle = CreateFontIndirectA(&logFont)) font.SetHandle(handle);
    } else {
      SetDefaultGuiFont(font);
    }
  } catch (...) {
    // The font stays as it was.
  }
}

void SetDefaultGuiFont(TFont& font) {
  try {
    if (HGDIOBJ stock = GetStockObject(DEFAULT_GUI_FONT)) font.SetHandle(static_cast<HFONT>(stock));
  } catch (...) {
    // The font stays as it was.
  }
}

namespace {

// The task-dialog texts: 1024 UTF-16 units and the terminating zero. Longer texts are cut, at
// a character boundary.
constexpr size_t kTaskTextUnits = 1024;
using TTaskText = std::array<wchar_t, kTaskTextUnits + 1>;

void ToTaskText(const std::string& text, TTaskText& buffer) {
  size_t kept = 0;
  if (!text.empty()) {
    int size = static_cast<int>(text.size());
    int length = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0) MultiByteToWideChar(CP_ACP, 0, text.data(), size, &wide[0], length);
    kept = std::min(wide.size(), kTaskTextUnits);
    if (kept == kTaskTextUnits && IS_HIGH_SURROGATE(wide[kept - 1])) --kept;
    std::copy(wide.begin(), wide.begin() + static_cast<std::ptrdiff_t>(kept), buffer.begin());
  }
  buffer[kept] = L'\0';
}

// comctl32's TaskDialog, declared here because it is looked up at run time.
using TTaskDialog = HRESULT(WINAPI*)(HWND owner, HINSTANCE instance, PCWSTR title,
                                     PCWSTR instruction, PCWSTR content, int buttons,
                                     PCWSTR icon, int* pressed);

// A library loaded for the length of one call.
class TLoadedLibrary {
 public:
  explicit TLoadedLibrary(HMODULE module) : FModule(module) {}
  ~TLoadedLibrary() { FreeLibrary(FModule); }
  TLoadedLibrary(const TLoadedLibrary&) = delete;
  TLoadedLibrary& operator=(const TLoadedLibrary&) = delete;

  HMODULE Get() const { return FModule; }

 private:
  HMODULE FModule;
};

int ResultOfPressed(int pressed) {
  switch (pressed) {
    case IDCANCEL: return mrCancel;
    case IDRETRY: return mrRetry;
    case IDYES: return mrYes;
    case IDNO: return mrNo;
    case IDCLOSE: return mrAbort;
    default: return mrOk;
  }
}

// False when no task dialog could be shown: this comctl32 has none (a host without the
// version 6 manifest), or the call failed.
bool ShowTaskDialog(TWinControl* owner, const std::string& title, const std::string& instruction,
                    const std::string& content, int buttons, int icon, int& result) {
  // Loaded by name on every call, so the comctl32 of the host's activation context answers:
  // only version 6 has a task dialog.
  HMODULE module = LoadLibraryA("comctl32.dll");
  if (reinterpret_cast<UINT_PTR>(module) <= 32) return false;
  TLoadedLibrary library(module);
  FARPROC entry = GetProcAddress(library.Get(), "TaskDialog");
  if (entry == nullptr) return false;
  auto taskDialog = reinterpret_cast<TTaskDialog>(reinterpret_cast<void*>(entry));

  TTaskText titleText, instructionText, contentText;
  ToTaskText(title, titleText);
  ToTaskText(instruction, instructionText);
  ToTaskText(content, contentText);
  HWND ownerWindow = owner != nullptr ? owner->Handle() : nullptr;
  int pressed = 0;
  const HRESULT called = taskDialog(ownerWindow, nullptr, titleText.data(), instructionText.data(),
                                    contentText.data(), buttons, MAKEINTRESOURCEW(icon), &pressed);
  // A failed call leaves the pressed button undefined: nothing was shown.
  if (FAILED(called)) return false;
  result = ResultOfPressed(pressed);
  return true;
}

// The untyped dialog has no icon and the program's name as its caption.
std::string ProgramName() {
  char path[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string name = path;
  size_t slash = name.find_last_of("\\/");
  if (slash != std::string::npos) name.erase(0, slash + 1);
  size_t dot = name.rfind('.');
  if (dot != std::string::npos) name.erase(dot);
  return name;
}

}  // namespace

int TaskMessageDlg(TWinControl* owner, const std::string& title, const std::string& instruction,
                   const std::string& content, int buttons, int icon) {
  // Where no task dialog can be shown the standard message dialog says it instead: a failure
  // must not pass without a word.
  int result = 0;
  if (IsWindowsVistaOrLater() &&
      ShowTaskDialog(owner, title, instruction, content, buttons, icon, result))
    return result;
  return ShowFallbackMessage(content, buttons, icon);
}

bool IsWindowsVistaOrLater() {
  static_assert(sizeof(OSVERSIONINFOA) == 148, "the version record is 148 bytes");
  // The query's success flag is not looked at: a refused query leaves the major version 0.
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  GetVersionExA(&version);
  return version.dwMajorVersion >= 6;
}

int ShowFallbackMessage(const std::string& text, int buttons, int icon) {
  bool typed = true;
  TMsgDlgType type = mtInformation;
  switch (icon) {
    case kTaskIconWarning: type = mtWarning; break;
    case kTaskIconConfirmation: type = mtConfirmation; break;
    case kTaskIconInformation: type = mtInformation; break;
    case kTaskIconError: type = mtError; break;
    default: typed = false; break;
  }
  // In the message dialog's own order of buttons; other bits add nothing.
  std::vector<TMsgDlgBtn> shown;
  if (buttons & kTaskButtonYes) shown.push_back(mbYes);
  if (buttons & kTaskButtonNo) shown.push_back(mbNo);
  if (buttons & kTaskButtonOK) shown.push_back(mbOK);
  if (buttons & kTaskButtonCancel) shown.push_back(mbCancel);
  if (buttons & kTaskButtonClose) shown.push_back(mbAbort);  // the nearest to Close it has
  if (buttons & kTaskButtonRetry) shown.push_back(mbRetry);

  std::unique_ptr<TMessageForm> dialog = CreateMessageDialog(text, type, shown);
  if (!typed) {
    if (TControl* image = dialog->FindControl("Image")) image->SetVisible(false);
    dialog->SetCaption(ProgramName());
  }
  return dialog->ShowModal();
}
