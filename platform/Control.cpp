#include "Control.h"

#include <algorithm>
#include <stdexcept>

#include "ControlName.h"
#include "Forms.h"
#include "GdiObjects.h"
#include "WindowClass.h"

namespace {

const char kControlProperty[] = "SkelvaneControl";

}  // namespace

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

TMouseButton ButtonOfMessage(UINT msg) {
  switch (msg) {
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP: return mbRight;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP: return mbMiddle;
    default: return mbLeft;
  }
}

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
  // Our painted window class, registered with the first control of the module.
  static const TWindowClass ownClass("SkelvaneWindow", StaticWndProc, LoadCursor(nullptr, IDC_ARROW));
  bool own = className == nullptr;
  // Siblings never paint over each other; the z-order decides who owns an overlap.
  if (parentWindow != nullptr) style |= WS_CHILD | WS_CLIPSIBLINGS;
  HWND window = CreateWindowExA(exStyle, own ? ownClass.Name() : className, text, style, FLeft, FTop,
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
      TMouseButton button = ButtonOfMessage(msg);
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
      TMouseButton button = ButtonOfMessage(msg);
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

int TWinControl::NextControlId() {
  TWinControl* root = this;
  while (root->Parent() != nullptr) root = root->Parent();
  return root->FNextId++;
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
