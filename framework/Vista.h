// The dialog font every dialog takes, and the statistics plug-in's task-dialog message box.
#pragma once

#include <string>

#include "platform/Controls.h"

// Makes font the system's icon-title font, or the default GUI font when the system cannot
// report it. Failures leave the font as it was.
void SetSystemFont(TFont& font);

// Makes font the system's default GUI font; failures leave it as it was.
void SetDefaultGuiFont(TFont& font);

// Common-button flags of TaskMessageDlg.
constexpr int kTaskButtonOK = 0x01;
constexpr int kTaskButtonYes = 0x02;
constexpr int kTaskButtonNo = 0x04;
constexpr int kTaskButtonCancel = 0x08;
constexpr int kTaskButtonRetry = 0x10;
constexpr int kTaskButtonClose = 0x20;

// Icon identifiers of TaskMessageDlg.
constexpr int kTaskIconWarning = 101;
constexpr int kTaskIconConfirmation = 102;
constexpr int kTaskIconInformation = 104;
constexpr int kTaskIconError = 105;

// A message box. On Windows 6 and later: the task dialog of comctl32.dll, owned by owner's
// window (owner may be nullptr), with title, main instruction and content (each cut to 1024
// UTF-16 units), the common buttons and icon passed on unchanged (icon as a resource
// identifier without a module). Below Windows 6, and wherever the task dialog cannot be shown
// (no task dialog in the comctl32.dll the host has, or its call failed): ShowFallbackMessage
// with the content alone. Returns the modal result: mrOk, mrCancel, mrRetry, mrYes, mrNo,
// mrAbort for the Close button.
int TaskMessageDlg(TWinControl* owner, const std::string& title, const std::string& instruction,
                   const std::string& content, int buttons, int icon);

// True on Windows 6 and later, as the system's version record reports it.
bool IsWindowsVistaOrLater();

// The standard message dialog that stands in for the task dialog below Windows 6: the text,
// the dialog kind of icon (warning, confirmation, information, error; any other value a
// dialog without an icon), buttons Yes, No, OK, Cancel, Abort, Retry for the flags 0x02,
// 0x04, 0x01, 0x08, 0x20, 0x10. Returns the dialog's modal result.
int ShowFallbackMessage(const std::string& text, int buttons, int icon);
