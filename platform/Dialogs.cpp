#include "Dialogs.h"

#include <algorithm>

#include "GdiObjects.h"

namespace {

// Layout in pixels at 96 dpi.
constexpr int kHorzMargin = 12;
constexpr int kVertMargin = 13;
constexpr int kHorzSpacing = 15;
constexpr int kVertSpacing = 16;
constexpr int kIconSize = 32;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;
constexpr int kButtonSpacing = 6;

struct TButtonKind {
  const char* Name;
  const char* Caption;
  int ModalResult;
};

TButtonKind KindOf(TMsgDlgBtn button) {
  switch (button) {
    case mbYes: return {"Yes", "&Yes", mrYes};
    case mbNo: return {"No", "&No", mrNo};
    case mbOK: return {"OK", "OK", mrOk};
    case mbCancel: return {"Cancel", "Cancel", mrCancel};
    case mbAbort: return {"Abort", "&Abort", mrAbort};
    case mbRetry: return {"Retry", "&Retry", mrRetry};
    case mbIgnore: return {"Ignore", "&Ignore", mrIgnore};
  }
  return {"OK", "OK", mrOk};
}

const char* TitleOf(TMsgDlgType type) {
  switch (type) {
    case mtWarning: return "Warning";
    case mtError: return "Error";
    case mtInformation: return "Information";
    case mtConfirmation: return "Confirm";
  }
  return "";
}

LPCSTR IconOf(TMsgDlgType type) {
  switch (type) {
    case mtWarning: return IDI_WARNING;
    case mtError: return IDI_ERROR;
    case mtInformation: return IDI_INFORMATION;
    case mtConfirmation: return IDI_QUESTION;
  }
  return IDI_WARNING;
}

bool Contains(const std::vector<TMsgDlgBtn>& buttons, TMsgDlgBtn button) {
  return std::find(buttons.begin(), buttons.end(), button) != buttons.end();
}

// The system's message-box font; the default GUI font when it cannot be had.
void SetMessageFont(TFont& font) {
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = sizeof metrics;
  if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
    if (HFONT handle = CreateFontIndirectA(&metrics.lfMessageFont)) {
      font.SetHandle(handle);
      return;
    }
  }
  font.SetHandle(static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
}

}  // namespace

TMessageForm::TMessageForm(const std::string& message, TMsgDlgType type,
                           const std::vector<TMsgDlgBtn>& buttons)
    : TForm("MessageDlg") {
  SetCaption(TitleOf(type));
  SetMessageFont(Font());

  // The text wraps at half the screen's width.
  RECT textRect{0, 0, GetSystemMetrics(SM_CXSCREEN) / 2, 0};
  {
    TScreenDC screen;
    TSelection font(screen.Get(), Font().Handle());
    DrawTextA(screen.Get(), message.c_str(), -1, &textRect, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
  }
  int textWidth = textRect.right;
  int textHeight = textRect.bottom;

  int count = static_cast<int>(buttons.size());
  int buttonsWidth = count * kButtonWidth + std::max(count - 1, 0) * kButtonSpacing;
  int topWidth = kIconSize + kHorzSpacing + textWidth;
  int topHeight = std::max(kIconSize, textHeight);
  int clientWidth = std::max(topWidth, buttonsWidth) + 2 * kHorzMargin;
  int clientHeight = topHeight + kVertSpacing + kButtonHeight + 2 * kVertMargin;
  SetClientSize(clientWidth, clientHeight);

  auto* image = new TImage(this, "Image");
  image->SetBounds(kHorzMargin, kVertMargin, kIconSize, kIconSize);
  image->SetIcon(CopyIcon(LoadIcon(nullptr, IconOf(type))));

  auto* text = new TLabel(this, "Message");
  text->SetWordWrap(true);
  text->SetCaption(message);
  text->SetBounds(kHorzMargin + kIconSize + kHorzSpacing, kVertMargin, textWidth, textHeight);

  TMsgDlgBtn defaultButton = Contains(buttons, mbOK) ? mbOK : Contains(buttons, mbYes) ? mbYes : buttons.empty() ? mbOK : buttons.front();
  TMsgDlgBtn cancelButton = Contains(buttons, mbCancel) ? mbCancel : Contains(buttons, mbNo) ? mbNo : mbOK;
  int left = (clientWidth - buttonsWidth) / 2;
  int top = topHeight + kVertMargin + kVertSpacing;
  for (TMsgDlgBtn kind : buttons) {
    TButtonKind info = KindOf(kind);
    auto* button = new TButton(this, info.Name);
    button->SetCaption(info.Caption);
    button->SetModalResult(info.ModalResult);
    button->SetBounds(left, top, kButtonWidth, kButtonHeight);
    if (kind == defaultButton) button->SetDefault(true);
    if (kind == cancelButton) button->SetCancel(true);
    left += kButtonWidth + kButtonSpacing;
  }
}

std::unique_ptr<TMessageForm> CreateMessageDialog(const std::string& message, TMsgDlgType type,
                                                  const std::vector<TMsgDlgBtn>& buttons) {
  return std::make_unique<TMessageForm>(message, type, buttons);
}

int MessageDlg(const std::string& message, TMsgDlgType type,
               const std::vector<TMsgDlgBtn>& buttons) {
  return CreateMessageDialog(message, type, buttons)->ShowModal();
}
