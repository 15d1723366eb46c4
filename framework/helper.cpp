#include "helper.h"

#include "platform/Dialogs.h"
#include "platform/Registry.h"

namespace {

const char kDoNotShowSizeWarn[] = "DoNotShowSizeWarn";
constexpr int kLargeSide = 2048;

}  // namespace

void ShowSizeWarning(int Width, int Height) {
  if (Width < kLargeSide && Height < kLargeSide) return;
  try {
    TRegistry registry;
    // The key is never created: without it the warning shows every time and nothing is stored.
    registry.OpenKey(kProductRegistryKey, false);
    // A value of another type than a double word fails here and ends the routine silently.
    if (registry.ValueExists(kDoNotShowSizeWarn) && registry.ReadInteger(kDoNotShowSizeWarn) == 1)
      return;
    auto dialog = CreateMessageDialog(
        "Processing images larger than 2048 x 2048 pixels will take a long time and use a lot of "
        "memory.  Your system may become slow and unresponsive during this time.",
        mtWarning, {mbOK});
    auto* checkBox = new TCheckBox(dialog.get(), "chkDontShowAgain");
    checkBox->SetCaption("Don't show again.");
    checkBox->SetBounds(12, dialog->ClientHeight() - 30, 200, 17);
    dialog->ShowModal();
    registry.WriteInteger(kDoNotShowSizeWarn, checkBox->Checked() ? 1 : 0);
  } catch (...) {
    // Registry and dialog problems are not the user's concern here.
  }
}
