// Standard message dialogs built as our own forms, so that callers can add controls to them.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "Forms.h"

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation };
enum TMsgDlgBtn { mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore };

// The icon at the left (Name "Image"), the wrapped text (Name "Message") and the buttons
// centred in a row at the bottom (Names "OK", "Cancel", ...; each ends the dialog with its
// modal result). The caption is the kind's title ("Warning", "Error", "Information",
// "Confirm"). Controls a caller adds are owned by the dialog; the row of buttons occupies the
// bottom 33 pixels of the client area, so a check box at top ClientHeight() - 30 sits beside it.
class TMessageForm : public TForm {
 public:
  TMessageForm(const std::string& message, TMsgDlgType type,
               const std::vector<TMsgDlgBtn>& buttons);
};

std::unique_ptr<TMessageForm> CreateMessageDialog(const std::string& message, TMsgDlgType type,
                                                  const std::vector<TMsgDlgBtn>& buttons);

// Shows a message dialog modally and returns its modal result.
int MessageDlg(const std::string& message, TMsgDlgType type,
               const std::vector<TMsgDlgBtn>& buttons);
