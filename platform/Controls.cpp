#include "Controls.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "Bitmap24.h"
#include "ControlName.h"
#include "Forms.h"
#include "GdiObjects.h"

namespace {

const char kControlProperty[] = "SkelvaneControl";
const char kWindowClass[] = "SkelvaneWindow";

// Our painted window class, registered once per module and unregistered when the module
// goes (a plug-in DLL may be unloaded and loaded again by its host).
class TWindowClass {
 public:
  TWindowClass(WNDPROC proc) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = proc;
    wc.hInstance = ModuleInstance();
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = kWindowClass;
    FAtom = RegisterClassExA(&wc);
  }
  ~TWindowClass() {
    if (FAtom != 0) UnregisterClassA(kWindowClass, ModuleInstance());
  }
  TWindowClass(const TWindowClass&) = delete;
  TWindowClass& operator=(const TWindowClass&) = delete;

 private:
  ATOM FAtom = 0;
};

TShiftState ShiftFromKeys(WPARAM keys) {
  TShiftState shift = 0;
  if (keys & MK_SHIFT) shift |= ssShift;
  if (keys & MK_CONTROL) shift |= ssCtrl;
  if (keys & MK_LBUTTON) shift |= ssLeft;
  if (keys & MK_RBUTTON) shift |= ssRight;
  if (keys & MK_MBUTTON) shift |= ssMiddle;
  if (GetKeyState(VK_MENU) < 0) shift |= ssAlt;
  return shift;
}

}  // namespace

HCURSOR CursorHandle(TCursor cursor) {
  LPCSTR resource = IDC_ARROW;
  switch (cursor) {
    case crHandPoint: resource = IDC_HAND; break;
    case crHourGlass: resource = IDC_WAIT; break;
    case crCross: resource = IDC_CROSS; break;
    case crSizeAll: resource = IDC_SIZEALL; break;
    case crArrow:
    case crDefault: break;
  }
  return LoadCursor(nullptr, resource);
}

COLORREF ColorToRGB(TColor color) {
  if (color & kSystemColorFlag) return GetSysColor(static_cast<int>(color & 0xFF));
  return color;
}

// ---- TFont

TFont::TFont() {
  std::strcpy(FLogFont.lfFaceName, "MS Sans Serif");
  FLogFont.lfHeight = -11;
  FLogFont.lfWeight = FW_NORMAL;
  FLogFont.lfCharSet = DEFAULT_CHARSET;
  FLogFont.lfOutPrecision = OUT_DEFAULT_PRECIS;
  FLogFont.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  FLogFont.lfQuality = DEFAULT_QUALITY;
  FLogFont.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
}

TFont::~TFont() { ReleaseHandle(); }

void TFont::ReleaseHandle() const {
  if (FHandle != nullptr) DeleteObject(FHandle);
  FHandle = nullptr;
}

std::string TFont::Name() const { return FLogFont.lfFaceName; }

void TFont::SetName(const std::string& name) {
  LOGFONTA logFont = FLogFont;
  std::memset(logFont.lfFaceName, 0, sizeof logFont.lfFaceName);
  std::strncpy(logFont.lfFaceName, name.c_str(), LF_FACESIZE - 1);
  SetLogFont(logFont);
}

void TFont::SetHeight(int height) {
  LOGFONTA logFont = FLogFont;
  logFont.lfHeight = height;
  SetLogFont(logFont);
}

TFontStyles TFont::Style() const {
  TFontStyles style = 0;
  if (FLogFont.lfWeight >= FW_BOLD) style |= fsBold;
  if (FLogFont.lfItalic) style |= fsItalic;
  if (FLogFont.lfUnderline) style |= fsUnderline;
  if (FLogFont.lfStrikeOut) style |= fsStrikeOut;
  return style;
}

void TFont::SetStyle(TFontStyles style) {
  LOGFONTA logFont = FLogFont;
  logFont.lfWeight = (style & fsBold) ? FW_BOLD : FW_NORMAL;
  logFont.lfItalic = (style & fsItalic) ? 1 : 0;
  logFont.lfUnderline = (style & fsUnderline) ? 1 : 0;
  logFont.lfStrikeOut = (style & fsStrikeOut) ? 1 : 0;
  SetLogFont(logFont);
}

void TFont::SetColor(TColor color) {
  if (color == FColor) return;
  FColor = color;
  Changed();
}

void TFont::SetHandle(HFONT handle) {
  if (handle == nullptr) return;
  LOGFONTA logFont{};
  if (GetObjectA(handle, sizeof logFont, &logFont) == 0) return;
  ReleaseHandle();
  FLogFont = logFont;
  FHandle = handle;
  Changed();
}

HFONT TFont::Handle() const {
  if (FHandle == nullptr) FHandle = CreateFontIndirectA(&FLogFont);
  return FHandle;
}

void TFont::SetLogFont(const LOGFONTA& logFont) {
  ReleaseHandle();
  FLogFont = logFont;
  Changed();
}

void TFont::Assign(const TFont& source) {
  if (&source == this) return;
  ReleaseHandle();
  FLogFont = source.FLogFont;
  FColor = source.FColor;
  Changed();
}

void TFont::Changed() {
  if (OnChange) OnChange();
}

// ---- TControl

TControl::TControl(TWinControl* parent, const char* name, bool graphic)
    : FParent(parent), FName(name), FGraphic(graphic) {
  FFont.OnChange = [this] { FontSettingChanged(); };
  if (FParent != nullptr) {
    InheritFont(FParent->Font());
    FParent->Adopt(this);
  }
}

TControl::TControl(const char* name) : FName(name) {
  FFont.OnChange = [this] { FontSettingChanged(); };
  FParentColor = false;
  FParentFont = false;
}

TControl::~TControl() {
  if (FHandle != nullptr) {
    HWND window = FHandle;
    DestroyWindow(window);
    // Should a foreign window procedure have kept the window alive, it must not call us.
    if (IsWindow(window)) RemovePropA(window, kControlProperty);
  }
  if (FBackBrush != nullptr) DeleteObject(FBackBrush);
  if (FParent != nullptr) FParent->Release(this);
}

TControl* TControl::FromHandle(HWND window) {
  if (window == nullptr) return nullptr;
  return static_cast<TControl*>(GetPropA(window, kControlProperty));
}

void TControl::CreateHandle(const char* className, DWORD style, DWORD exStyle, const char* text,
                            HWND parentWindow, int id) {
  static TWindowClass ownClass(StaticWndProc);
  bool own = className == nullptr;
  // Siblings never paint over each other; the z-order decides who owns an overlap.
  if (parentWindow != nullptr) style |= WS_CHILD | WS_CLIPSIBLINGS;
  HWND window = CreateWindowExA(exStyle, own ? kWindowClass : className, text, style, FLeft, FTop,
                                FWidth, FHeight, parentWindow,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                ModuleInstance(), own ? this : nullptr);
  if (window == nullptr) throw std::runtime_error("The window of " + FName + " cannot be created.");
  if (!own) {
    FHandle = window;
    SetPropA(window, kControlProperty, this);
    FOldProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(StaticWndProc)));
  }
  SetControlName(window, FName.c_str());
  if (FParent != nullptr) {
    // Focusable controls keep their creation order at the top (it is the Tab order); graphic
    // controls lie below them, a later one above an earlier one, as they are painted.
    HWND after = FParent->LastFocusableChild();
    SetWindowPos(window, after != nullptr ? after : HWND_TOP, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(FFont.Handle()), FALSE);
}

LRESULT CALLBACK TControl::StaticWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  TControl* control = nullptr;
  if (msg == WM_NCCREATE) {
    control = static_cast<TControl*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    if (control != nullptr) {
      control->FHandle = window;
      SetPropA(window, kControlProperty, control);
    }
  } else {
    control = FromHandle(window);
  }
  if (control == nullptr) return DefWindowProcA(window, msg, wParam, lParam);
  try {
    if (msg == WM_NCDESTROY) {
      LRESULT result = control->DefaultHandler(msg, wParam, lParam);
      RemovePropA(window, kControlProperty);
      control->FHandle = nullptr;
      return result;
    }
    return control->WndProc(msg, wParam, lParam);
  } catch (...) {
    // Nothing may unwind into the system's frames; the message counts as handled.
    return 0;
  }
}

LRESULT TControl::DefaultHandler(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (FOldProc != nullptr) return CallWindowProcA(FOldProc, FHandle, msg, wParam, lParam);
  return DefWindowProcA(FHandle, msg, wParam, lParam);
}

void TControl::HandleMouse(UINT msg, WPARAM wParam, LPARAM lParam) {
  int x = static_cast<short>(LOWORD(lParam));
  int y = static_cast<short>(HIWORD(lParam));
  TShiftState shift = ShiftFromKeys(wParam);
  switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
      TMouseButton button = msg == WM_LBUTTONDOWN ? mbLeft : msg == WM_RBUTTONDOWN ? mbRight : mbMiddle;
      if (OwnClass() && button == mbLeft) {
        FMouseDown = true;
        SetCapture(FHandle);
      }
      if (OnMouseDown) OnMouseDown(button, shift, x, y);
      break;
    }
    case WM_MOUSEMOVE:
      if (OnMouseMove) OnMouseMove(shift, x, y);
      break;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
      TMouseButton button = msg == WM_LBUTTONUP ? mbLeft : msg == WM_RBUTTONUP ? mbRight : mbMiddle;
      bool clicked = false;
      if (button == mbLeft && FMouseDown) {
        FMouseDown = false;
        ReleaseCapture();
        RECT client;
        GetClientRect(FHandle, &client);
        POINT point{x, y};
        clicked = PtInRect(&client, point) != FALSE;
      }
      if (OnMouseUp) OnMouseUp(button, shift, x, y);
      // Last: a click may end the form's life.
      if (clicked) Click();
      break;
    }
    default:
      break;
  }
}

LRESULT TControl::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
      if (OwnClass()) {
        HandleMouse(msg, wParam, lParam);
        return 0;
      }
      {
        LRESULT result = DefaultHandler(msg, wParam, lParam);
        HandleMouse(msg, wParam, lParam);
        return result;
      }
    case WM_CAPTURECHANGED:
      FMouseDown = false;
      break;
    case WM_SETCURSOR:
      if (ScreenCursor() != crDefault) {
        ::SetCursor(CursorHandle(ScreenCursor()));
        return TRUE;
      }
      if (FCursor != crDefault && LOWORD(lParam) == HTCLIENT &&
          reinterpret_cast<HWND>(wParam) == FHandle) {
        ::SetCursor(CursorHandle(FCursor));
        return TRUE;
      }
      break;
    case WM_ERASEBKGND:
      if (OwnClass()) return 1;  // Paint covers the whole client area
      break;
    case WM_PAINT:
      if (OwnClass()) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(FHandle, &ps);
        Paint(dc);
        EndPaint(FHandle, &ps);
        return 0;
      }
      break;
    case WM_SETTEXT:
      if (OwnClass()) {
        LRESULT result = DefaultHandler(msg, wParam, lParam);
        Invalidate();
        return result;
      }
      break;
    case WM_ENABLE:
      if (OwnClass()) Invalidate();
      break;
    default:
      break;
  }
  return DefaultHandler(msg, wParam, lParam);
}

bool TControl::Reflect(UINT msg, WPARAM, LPARAM, LRESULT& result) {
  if (msg == WM_CTLCOLORSTATIC || msg == WM_CTLCOLORBTN) {
    // wParam's DC is set by the caller of Reflect (TWinControl), which has it at hand.
    result = reinterpret_cast<LRESULT>(BackgroundBrush());
    return true;
  }
  return false;
}

void TControl::Paint(HDC dc) {
  RECT client;
  GetClientRect(FHandle, &client);
  TGdiObject<HBRUSH> brush(CreateSolidBrush(ColorToRGB(Color())));
  FillRect(dc, &client, brush.Get());
}

void TControl::PaintUnderneath(HDC dc) {
  RECT client;
  GetClientRect(FHandle, &client);
  TGdiObject<HBRUSH> brush(CreateSolidBrush(ColorToRGB(FParent != nullptr ? FParent->Color() : Color())));
  FillRect(dc, &client, brush.Get());
  if (FParent == nullptr) return;
  RECT mine{FLeft, FTop, FLeft + FWidth, FTop + FHeight};
  for (const auto& sibling : FParent->Controls()) {
    if (sibling.get() == this) break;  // only those created before lie beneath
    if (!sibling->FGraphic || !sibling->OwnClass() || !sibling->Visible()) continue;
    RECT theirs{sibling->FLeft, sibling->FTop, sibling->FLeft + sibling->FWidth,
                sibling->FTop + sibling->FHeight};
    RECT overlap;
    if (!IntersectRect(&overlap, &mine, &theirs)) continue;
    int saved = SaveDC(dc);
    IntersectClipRect(dc, overlap.left - FLeft, overlap.top - FTop, overlap.right - FLeft,
                      overlap.bottom - FTop);
    SetViewportOrgEx(dc, sibling->FLeft - FLeft, sibling->FTop - FTop, nullptr);
    sibling->Paint(dc);
    RestoreDC(dc, saved);
  }
}

HBRUSH TControl::BackgroundBrush() {
  TColor color = Color();
  if (FBackBrush != nullptr && FBackBrushColor != color) {
    DeleteObject(FBackBrush);
    FBackBrush = nullptr;
  }
  if (FBackBrush == nullptr) {
    FBackBrush = CreateSolidBrush(ColorToRGB(color));
    FBackBrushColor = color;
  }
  return FBackBrush;
}

void TControl::SetBounds(int left, int top, int width, int height) {
  FLeft = left;
  FTop = top;
  FWidth = width;
  FHeight = height;
  if (FHandle != nullptr) MoveWindow(FHandle, left, top, width, height, TRUE);
}

bool TControl::Enabled() const { return FHandle != nullptr && IsWindowEnabled(FHandle); }

void TControl::SetEnabled(bool enabled) {
  if (FHandle != nullptr) EnableWindow(FHandle, enabled ? TRUE : FALSE);
}

bool TControl::Visible() const {
  return FHandle != nullptr && (GetWindowLongA(FHandle, GWL_STYLE) & WS_VISIBLE) != 0;
}

void TControl::SetVisible(bool visible) {
  if (FHandle != nullptr) ShowWindow(FHandle, visible ? SW_SHOWNA : SW_HIDE);
}

std::string TControl::Caption() const {
  if (FHandle == nullptr) return "";
  int length = GetWindowTextLengthA(FHandle);
  std::string text(static_cast<size_t>(length) + 1, '\0');
  int copied = GetWindowTextA(FHandle, &text[0], length + 1);
  text.resize(static_cast<size_t>(std::max(copied, 0)));
  return text;
}

void TControl::SetCaption(const std::string& caption) {
  if (FHandle != nullptr) SetWindowTextA(FHandle, caption.c_str());
}

void TControl::SetParentFont(bool parentFont) {
  FParentFont = parentFont;
  if (parentFont && FParent != nullptr) InheritFont(FParent->Font());
}

void TControl::InheritFont(const TFont& font) {
  FInheritingFont = true;
  FFont.Assign(font);
  FInheritingFont = false;
  FParentFont = true;
}

void TControl::FontSettingChanged() {
  if (!FInheritingFont) FParentFont = false;
  FontChanged();
}

void TControl::FontChanged() {
  if (FHandle == nullptr) return;
  SendMessageA(FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(FFont.Handle()), FALSE);
  Invalidate();
}

TColor TControl::Color() const {
  if (FParentColor && FParent != nullptr) return FParent->Color();
  return FColor;
}

void TControl::SetColor(TColor color) {
  FColor = color;
  FParentColor = false;
  ColorChanged();
}

void TControl::SetParentColor(bool parentColor) {
  FParentColor = parentColor;
  ColorChanged();
}

void TControl::ColorChanged() { Invalidate(); }

void TControl::Invalidate() {
  if (FHandle != nullptr) InvalidateRect(FHandle, nullptr, TRUE);
}

void TControl::Repaint() {
  if (FHandle == nullptr) return;
  InvalidateRect(FHandle, nullptr, TRUE);
  UpdateWindow(FHandle);
}

void TControl::Click() {
  if (OnClick) OnClick();
}

// ---- TWinControl

TWinControl::TWinControl(TWinControl* parent, const char* name) : TControl(parent, name, false) {}

TWinControl::TWinControl(const char* name) : TControl(name) {}

TWinControl::~TWinControl() {
  // The children go first, while this window still exists; they must not unlink themselves
  // from the list being destroyed.
  auto controls = std::move(FControls);
  for (auto& control : controls) control->FParent = nullptr;
  while (!controls.empty()) controls.pop_back();
}

void TWinControl::Adopt(TControl* control) { FControls.emplace_back(control); }

void TWinControl::Release(TControl* control) {
  auto found = std::find_if(FControls.begin(), FControls.end(),
                            [control](const std::unique_ptr<TControl>& c) { return c.get() == control; });
  if (found == FControls.end()) return;
  found->release();
  FControls.erase(found);
}

HWND TWinControl::LastFocusableChild() const {
  HWND last = nullptr;
  for (const auto& control : FControls)
    if (!control->FGraphic && control->Handle() != nullptr) last = control->Handle();
  return last;
}

TControl* TWinControl::FindControl(const std::string& name) const {
  for (const auto& control : FControls) {
    if (control->Name() == name) return control.get();
    if (auto* container = dynamic_cast<TWinControl*>(control.get()))
      if (TControl* found = container->FindControl(name)) return found;
  }
  return nullptr;
}

LRESULT TWinControl::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  HWND from = nullptr;
  switch (msg) {
    case WM_COMMAND:
    case WM_HSCROLL:
    case WM_VSCROLL:
      from = reinterpret_cast<HWND>(lParam);
      break;
    case WM_NOTIFY:
      from = reinterpret_cast<NMHDR*>(lParam)->hwndFrom;
      break;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
      from = reinterpret_cast<HWND>(lParam);
      if (TControl* control = FromHandle(from)) {
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, ColorToRGB(control->Font().Color()));
        SetBkColor(dc, ColorToRGB(control->Color()));
      }
      break;
    default:
      break;
  }
  if (from != nullptr && from != Handle()) {
    TControl* control = FromHandle(from);
    LRESULT result = 0;
    if (control != nullptr && control->Reflect(msg, wParam, lParam, result)) return result;
  }
  return TControl::WndProc(msg, wParam, lParam);
}

void TWinControl::FontChanged() {
  TControl::FontChanged();
  for (const auto& control : FControls)
    if (control->ParentFont()) control->InheritFont(Font());
}

void TWinControl::ColorChanged() {
  TControl::ColorChanged();
  for (const auto& control : FControls)
    if (control->ParentColor()) control->ColorChanged();
}

// ---- TButton

TButton::TButton(TWinControl* parent, const char* name) : TControl(parent, name, false) {
  SetBounds(0, 0, 75, 25);
  CreateHandle("BUTTON", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, "", parent->Handle(),
               parent->NextControlId());
}

void TButton::SetDefault(bool isDefault) {
  FDefault = isDefault;
  SendMessageA(Handle(), BM_SETSTYLE, isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void TButton::Click() {
  // The form is looked up first: OnClick may end this button's life (not the form's, during
  // a modal loop).
  TWinControl* form = Parent();
  while (form != nullptr && form->Parent() != nullptr) form = form->Parent();
  int modalResult = FModalResult;
  TControl::Click();
  if (modalResult != mrNone)
    if (auto* f = dynamic_cast<TForm*>(form)) f->SetModalResult(modalResult);
}

bool TButton::Reflect(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (msg == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
    Click();
    result = 0;
    return true;
  }
  return TControl::Reflect(msg, wParam, lParam, result);
}

LRESULT TButton::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  // The button control resets its style when it gets or loses the focus under the dialog
  // manager; a default button keeps its heavy border here.
  if (msg == BM_SETSTYLE && FDefault && LOWORD(wParam) == BS_PUSHBUTTON)
    wParam = BS_DEFPUSHBUTTON;
  return TControl::WndProc(msg, wParam, lParam);
}

// ---- TCheckBox

TCheckBox::TCheckBox(TWinControl* parent, const char* name) : TControl(parent, name, false) {
  SetBounds(0, 0, 97, 17);
  CreateHandle("BUTTON", WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 0, "", parent->Handle(),
               parent->NextControlId());
}

bool TCheckBox::Checked() const {
  return SendMessageA(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TCheckBox::SetChecked(bool checked) {
  if (checked == Checked()) return;
  SendMessageA(Handle(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
  Click();
}

bool TCheckBox::Reflect(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (msg == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
    Click();
    result = 0;
    return true;
  }
  return TControl::Reflect(msg, wParam, lParam, result);
}

// ---- TLabel

TLabel::TLabel(TWinControl* parent, const char* name) : TControl(parent, name, true) {
  CreateHandle(nullptr, WS_VISIBLE, 0, "", parent->Handle(), parent->NextControlId());
  AdjustSize();
}

void TLabel::SetCaption(const std::string& caption) {
  TControl::SetCaption(caption);
  AdjustSize();
}

void TLabel::SetBounds(int left, int top, int width, int height) {
  if (width != Width() || height != Height()) FAutoSize = false;
  TControl::SetBounds(left, top, width, height);
}

void TLabel::SetAutoSize(bool autoSize) {
  FAutoSize = autoSize;
  AdjustSize();
}

void TLabel::SetWordWrap(bool wordWrap) {
  FWordWrap = wordWrap;
  AdjustSize();
  Invalidate();
}

void TLabel::FontChanged() {
  TControl::FontChanged();
  AdjustSize();
}

void TLabel::AdjustSize() {
  if (!FAutoSize || Handle() == nullptr) return;
  std::string text = Caption();
  RECT rect{0, 0, FWordWrap ? Width() : 0, 0};
  {
    TScreenDC screen;
    TSelection font(screen.Get(), Font().Handle());
    UINT format = DT_CALCRECT | DT_NOPREFIX | (FWordWrap ? DT_WORDBREAK : 0);
    // An empty caption still takes one line's height.
    DrawTextA(screen.Get(), text.empty() ? " " : text.c_str(), -1, &rect, format);
  }
  TControl::SetBounds(Left(), Top(), rect.right - rect.left, rect.bottom - rect.top);
}

void TLabel::Paint(HDC dc) {
  TControl::Paint(dc);
  RECT client;
  GetClientRect(Handle(), &client);
  std::string text = Caption();
  TSelection font(dc, Font().Handle());
  SetBkMode(dc, TRANSPARENT);
  UINT format = DT_LEFT | DT_NOPREFIX | (FWordWrap ? DT_WORDBREAK : DT_SINGLELINE);
  if (Enabled()) {
    SetTextColor(dc, ColorToRGB(Font().Color()));
    DrawTextA(dc, text.c_str(), -1, &client, format);
  } else {
    // The engraved look of disabled text.
    RECT shifted = client;
    OffsetRect(&shifted, 1, 1);
    SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
    DrawTextA(dc, text.c_str(), -1, &shifted, format);
    SetTextColor(dc, GetSysColor(COLOR_BTNSHADOW));
    DrawTextA(dc, text.c_str(), -1, &client, format);
  }
}

// ---- TShape

TShape::TShape(TWinControl* parent, const char* name) : TControl(parent, name, true) {
  SetBounds(0, 0, 65, 65);
  CreateHandle(nullptr, WS_VISIBLE, 0, "", parent->Handle(), parent->NextControlId());
}

void TShape::SetPenColor(TColor color) {
  FPenColor = color;
  Invalidate();
}

void TShape::SetBrushColor(TColor color) {
  FBrushColor = color;
  Invalidate();
}

void TShape::Paint(HDC dc) {
  TGdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, ColorToRGB(FPenColor)));
  TGdiObject<HBRUSH> brush(CreateSolidBrush(ColorToRGB(FBrushColor)));
  TSelection penSelection(dc, pen.Get());
  TSelection brushSelection(dc, brush.Get());
  Rectangle(dc, 0, 0, Width(), Height());
}

// ---- TImage

TImage::TImage(TWinControl* parent, const char* name) : TControl(parent, name, true) {
  SetBounds(0, 0, 105, 105);
  CreateHandle(nullptr, WS_VISIBLE, 0, "", parent->Handle(), parent->NextControlId());
}

TImage::~TImage() {
  if (FIcon != nullptr) DestroyIcon(FIcon);
}

void TImage::SetPicture(std::unique_ptr<TBitmap24> picture) {
  FPicture = std::move(picture);
  Invalidate();
}

void TImage::SetIcon(HICON icon) {
  if (FIcon != nullptr && FIcon != icon) DestroyIcon(FIcon);
  FIcon = icon;
  Invalidate();
}

void TImage::SetTransparent(bool transparent) {
  FTransparent = transparent;
  Invalidate();
}

void TImage::Paint(HDC dc) {
  if (FTransparent)
    PaintUnderneath(dc);
  else
    TControl::Paint(dc);
  if (FPicture != nullptr) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = FPicture->Width();
    info.bmiHeader.biHeight = -FPicture->Height();  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    SetDIBitsToDevice(dc, 0, 0, static_cast<DWORD>(FPicture->Width()),
                      static_cast<DWORD>(FPicture->Height()), 0, 0, 0,
                      static_cast<UINT>(FPicture->Height()), FPicture->Bits(), &info,
                      DIB_RGB_COLORS);
  } else if (FIcon != nullptr) {
    DrawIconEx(dc, 0, 0, FIcon, 0, 0, 0, nullptr, DI_NORMAL);
  }
}
