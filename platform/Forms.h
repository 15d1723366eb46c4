// Top-level forms with their own modal message loop, and application-wide message helpers.
#pragma once

#include <windows.h>

#include <functional>
#include <map>

#include "Controls.h"
#include "WindowClass.h"

class TButton;

// A dialog form: a top-level window with a fixed dialog border, centred on the screen when
// shown. A derived form builds its controls in its constructor and then calls DoCreate, which
// raises OnCreate (the form's FormCreate). Forms are created without an owner.
class TForm : public TWinControl {
 public:
  explicit TForm(const char* name);
  ~TForm() override;

  int ClientWidth() const;
  int ClientHeight() const;
  void SetClientSize(int width, int height);
  void SetClientWidth(int width) { SetClientSize(width, ClientHeight()); }
  void SetClientHeight(int height) { SetClientSize(ClientWidth(), height); }

  // Shows the form and runs a message loop until ModalResult becomes non-zero and OnCloseQuery
  // agrees; returns that result. Other windows of the thread are disabled meanwhile. Enter
  // presses the default button (or the focused button), Escape the cancel button, Tab moves
  // the focus; the close box asks for mrCancel. The form is hidden afterwards, not destroyed.
  int ShowModal();
  int ModalResult() const { return FModalResult; }
  // During ShowModal a non-zero value ends the loop (subject to OnCloseQuery).
  void SetModalResult(int modalResult);
  // Requests closing: mrCancel during ShowModal.
  void Close();
  bool Modal() const { return FModal; }

  // Handlers of (posted) messages by number; a handled message returns 0.
  void OnMessage(UINT msg, std::function<void(WPARAM, LPARAM)> handler);

  std::function<void()> OnCreate;
  std::function<void()> OnShow;
  std::function<void()> OnClose;
  std::function<void(bool& canClose)> OnCloseQuery;

 protected:
  // Raises OnCreate; the derived form's constructor calls it last.
  void DoCreate();
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  bool CloseQuery();
  TButton* FindButton(bool wantDefault) const;
  void CentreOnScreen();

  int FModalResult = mrNone;
  bool FModal = false;
  std::map<UINT, std::function<void(WPARAM, LPARAM)>> FMessageHandlers;
};

// Handles the messages pending for the thread once, then returns (no waiting).
void ProcessMessages();

// The cursor shown over all our windows while it is not crDefault.
TCursor ScreenCursor();
void SetScreenCursor(TCursor cursor);

// Shows the hourglass over our windows for the lifetime of the object.
class THourGlass {
 public:
  THourGlass();
  ~THourGlass();
  THourGlass(const THourGlass&) = delete;
  THourGlass& operator=(const THourGlass&) = delete;

 private:
  TCursor FPrevious;
};
