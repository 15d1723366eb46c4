// The about box shared by every plug-in.
#pragma once

#include <functional>

#include "platform/Controls.h"
#include "platform/Forms.h"
#include "platform/SpeedButton.h"

class TfrmAbout : public TForm {
 public:
  TfrmAbout();

  TShape* Shape1;
  TImage* Image1;
  TLabel* Label1;
  TLabel* Label2;
  TLabel* Label4;
  TLabel* Label6;
  TButton* Button1;

  void FormCreate();
  void FormClick();
  void Label1Click();
  void Button1Click();
  void Label6Click();
};

// The maker's web page that Label6 shows and opens.
extern const char kWebAddress[];

// Creates the about box without an owner, shows it modally and destroys it.
void DoAbout();

// The flat about button of the filter dialogs at (left, top) of parent, 23 x 22, showing the
// ABOUT glyph of the module's resources.
TSpeedButton* MakeAboutButton(TWinControl* parent, int left, int top,
                              std::function<void()> onClick);
