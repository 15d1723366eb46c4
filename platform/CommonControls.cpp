#include "CommonControls.h"

#include <windows.h>
#include <commctrl.h>

void EnsureCommonControls() {
  static const bool registered = [] {
    INITCOMMONCONTROLSEX init{};
    init.dwSize = sizeof init;
    init.dwICC = ICC_BAR_CLASSES | ICC_PROGRESS_CLASS | ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES;
    return InitCommonControlsEx(&init) != FALSE;
  }();
  (void)registered;
}
