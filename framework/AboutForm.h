// The about box shared by every plug-in.
#pragma once

#include "platform/Controls.h"
#include "platform/Forms.h"

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
