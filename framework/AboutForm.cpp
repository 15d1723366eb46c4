#include "AboutForm.h"

#include <shellapi.h>

#include "Resources.h"
#include "Vista.h"

const char kWebAddress[] = "https://skelvane.example.org";

TfrmAbout::TfrmAbout() : TForm("frmAbout") {
  SetCaption("Skelvane for Photoshop");
  SetClientSize(377, 377);
  Font().SetName("MS Sans Serif");
  Font().SetHeight(-11);
  OnClick = [this] { FormClick(); };

  Shape1 = new TShape(this, "Shape1");
  Shape1->SetBounds(0, 0, 57, 385);
  Shape1->SetPenColor(clWhite);
  Shape1->SetBrushColor(clWhite);

  Image1 = new TImage(this, "Image1");
  Image1->SetBounds(4, 8, 49, 49);
  Image1->SetTransparent(true);
  Image1->SetIcon(static_cast<HICON>(
      LoadImageA(ModuleInstance(), MAKEINTRESOURCEA(IDI_PRODUCT), IMAGE_ICON, 48, 48, 0)));
  Image1->OnClick = [this] { Label1Click(); };

  // The labels size themselves to their text, in whatever font the system gives the form.
  Label1 = new TLabel(this, "Label1");
  Label1->Font().SetName("Arial");
  Label1->Font().SetHeight(-16);
  Label1->Font().SetColor(clNavy);
  Label1->SetCaption("Skelvane 3.0 PS");
  Label1->SetLeft(137);
  Label1->SetTop(8);
  Label1->OnClick = [this] { Label1Click(); };

  Label2 = new TLabel(this, "Label2");
  Label2->SetCaption("Image filters for astronomers");
  Label2->SetLeft(72);
  Label2->SetTop(32);
  Label2->OnClick = [this] { Label1Click(); };

  Label4 = new TLabel(this, "Label4");
  Label4->SetCaption("Ver: 3.0.7.0");
  Label4->SetLeft(288);
  Label4->SetTop(32);
  Label4->OnClick = [this] { Label1Click(); };

  Label6 = new TLabel(this, "Label6");
  Label6->Font().SetName("Arial");
  Label6->Font().SetHeight(-13);
  Label6->Font().SetColor(clBlue);
  Label6->Font().SetStyle(fsUnderline);
  Label6->SetCursor(crHandPoint);
  Label6->SetLeft(144);
  Label6->SetTop(64);
  Label6->SetCaption(kWebAddress);
  Label6->OnClick = [this] { Label6Click(); };

  Button1 = new TButton(this, "Button1");
  Button1->SetCaption("OK");
  Button1->SetBounds(296, 344, 75, 25);
  Button1->SetDefault(true);
  Button1->OnClick = [this] { Button1Click(); };

  OnCreate = [this] { FormCreate(); };
  DoCreate();
}

void TfrmAbout::FormCreate() { SetSystemFont(Font()); }

void TfrmAbout::FormClick() { SetModalResult(mrOk); }

void TfrmAbout::Label1Click() { SetModalResult(mrOk); }

void TfrmAbout::Button1Click() { SetModalResult(mrOk); }

void TfrmAbout::Label6Click() {
  // The library has no application window of its own; a failure is not reported.
  ShellExecuteA(nullptr, "open", kWebAddress, nullptr, nullptr, SW_SHOWNORMAL);
}

void DoAbout() {
  TfrmAbout about;
  about.ShowModal();
}

TSpeedButton* MakeAboutButton(TWinControl* parent, int left, int top,
                              std::function<void()> onClick) {
  auto* button = new TSpeedButton(parent, "btnAbout");
  button->SetBounds(left, top, 23, 22);
  button->SetFlat(true);
  button->LoadGlyph(ModuleInstance(), "ABOUT", RGB(255, 0, 255));  // magenta is transparent
  button->OnClick = std::move(onClick);
  return button;
}
