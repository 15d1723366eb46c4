// The base of our form layer: a control is one window with its bounds, font, colour and mouse
// events; a TWinControl holds and owns other controls. Fonts and colours live here too.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class TBitmap24;
class TWinControl;

// Colours are COLORREFs; a value with the top bit set names a system colour (the low byte is
// the COLOR_* index), so that forms follow the user's colour scheme.
using TColor = DWORD;
constexpr TColor kSystemColorFlag = 0x80000000u;
constexpr TColor clBtnFace = kSystemColorFlag | COLOR_BTNFACE;
constexpr TColor clWindow = kSystemColorFlag | COLOR_WINDOW;
constexpr TColor clWindowText = kSystemColorFlag | COLOR_WINDOWTEXT;
constexpr TColor clBlack = RGB(0, 0, 0);
constexpr TColor clWhite = RGB(255, 255, 255);
constexpr TColor clNavy = RGB(0, 0, 128);
constexpr TColor clBlue = RGB(0, 0, 255);
constexpr TColor clRed = RGB(255, 0, 0);

// The plain COLORREF of a colour, system colours resolved.
COLORREF ColorToRGB(TColor color);

// Font style bits.
enum TFontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = unsigned;

// Mouse cursors a control or the whole screen can show.
enum TCursor { crDefault, crArrow, crHandPoint, crHourGlass, crCross, crSizeAll };

// The shared system cursor of a TCursor (crDefault: the arrow).
HCURSOR CursorHandle(TCursor cursor);

enum TMouseButton { mbLeft, mbRight, mbMiddle };
// Modifier and button state of a mouse event.
enum TShiftStateBits : unsigned {
  ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32
};
using TShiftState = unsigned;

// The shift state of a mouse message's key flags (MK_*), Alt read from the keyboard.
TShiftState ShiftFromKeys(WPARAM keys);
// The button of a button-down or button-up message (mbLeft for any other message).
TMouseButton ButtonOfMessage(UINT msg);

// Modal results.
constexpr int mrNone = 0;
constexpr int mrOk = 1;
constexpr int mrCancel = 2;
constexpr int mrAbort = 3;
constexpr int mrRetry = 4;
constexpr int mrIgnore = 5;
constexpr int mrYes = 6;
constexpr int mrNo = 7;

// A logical font plus the GDI font made from it, which the object owns. Height follows the
// logical-font convention: negative is the character height in pixels (the usual form),
// positive the cell height.
class TFont {
 public:
  TFont();
  ~TFont();
  TFont(const TFont&) = delete;
  TFont& operator=(const TFont&) = delete;

  std::string Name() const;
  void SetName(const std::string& name);
  int Height() const { return FLogFont.lfHeight; }
  void SetHeight(int height);
  TFontStyles Style() const;
  void SetStyle(TFontStyles style);
  TColor Color() const { return FColor; }
  void SetColor(TColor color);
  BYTE Charset() const { return FLogFont.lfCharSet; }

  // Takes over face, size, weight, style and character set of the font; the object owns
  // handle from now on (stock objects may be passed: deleting them is harmless).
  void SetHandle(HFONT handle);
  // The GDI font, created on first use; owned by this object.
  HFONT Handle() const;
  LOGFONTA LogFont() const { return FLogFont; }
  void SetLogFont(const LOGFONTA& logFont);
  // Copies everything, colour included.
  void Assign(const TFont& source);

  // Raised after every change; controls use it to refresh their window.
  std::function<void()> OnChange;

 private:
  void Changed();
  void ReleaseHandle() const;

  LOGFONTA FLogFont{};
  TColor FColor = clWindowText;
  mutable HFONT FHandle = nullptr;
};

// A control: one real window with a Name, bounds in its parent's client pixels, a font and a
// colour. Controls made with a parent belong to it and are destroyed with it; deleting one
// earlier is allowed and unlinks it.
class TControl {
 public:
  virtual ~TControl();
  TControl(const TControl&) = delete;
  TControl& operator=(const TControl&) = delete;

  HWND Handle() const { return FHandle; }
  TWinControl* Parent() const { return FParent; }
  const std::string& Name() const { return FName; }

  int Left() const { return FLeft; }
  int Top() const { return FTop; }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  void SetLeft(int left) { SetBounds(left, FTop, FWidth, FHeight); }
  void SetTop(int top) { SetBounds(FLeft, top, FWidth, FHeight); }
  void SetWidth(int width) { SetBounds(FLeft, FTop, width, FHeight); }
  void SetHeight(int height) { SetBounds(FLeft, FTop, FWidth, height); }
  virtual void SetBounds(int left, int top, int width, int height);

  bool Enabled() const;
  virtual void SetEnabled(bool enabled);
  bool Visible() const;
  virtual void SetVisible(bool visible);

  std::string Caption() const;
  virtual void SetCaption(const std::string& caption);

  // Font: follows the parent's font (ParentFont) until the control's own font is changed.
  TFont& Font() { return FFont; }
  const TFont& Font() const { return FFont; }
  bool ParentFont() const { return FParentFont; }
  void SetParentFont(bool parentFont);

  // Background colour; follows the parent's colour (ParentColor) until set.
  TColor Color() const;
  void SetColor(TColor color);
  bool ParentColor() const { return FParentColor; }
  void SetParentColor(bool parentColor);

  TCursor Cursor() const { return FCursor; }
  void SetCursor(TCursor cursor) { FCursor = cursor; }

  void Invalidate();
  // Paints at once instead of waiting for the next WM_PAINT.
  void Repaint();

  // Mouse events in client pixels of the control. OnClick follows a left button pressed and
  // released over the control (a button control raises it from its own notification).
  std::function<void()> OnClick;
  std::function<void(TMouseButton, TShiftState, int x, int y)> OnMouseDown;
  std::function<void(TShiftState, int x, int y)> OnMouseMove;
  std::function<void(TMouseButton, TShiftState, int x, int y)> OnMouseUp;

  // The control whose window is window, or nullptr for foreign windows.
  static TControl* FromHandle(HWND window);

  // Raises OnClick as a user's click would.
  virtual void Click();

 protected:
  // A control is created at once as a child window of parent (which must not be null).
  // graphic marks controls that only paint (labels, shapes, images): they never take the
  // focus and stay below the parent's focusable controls, in creation order.
  TControl(TWinControl* parent, const char* name, bool graphic);
  // For forms: no parent window.
  explicit TControl(const char* name);

  // Creates the window, a child of parentWindow with the control id (parent->NextControlId())
  // or, for forms, a top-level window (nullptr, 0). A class name of nullptr means our own
  // painted window class; any other class (BUTTON, ...) is subclassed so that WndProc sees
  // its messages.
  void CreateHandle(const char* className, DWORD style, DWORD exStyle, const char* text,
                    HWND parentWindow, int id);

  // Message handling of the control; the default handles mouse, cursor, painting of our own
  // class and falls back to DefaultHandler.
  virtual LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT DefaultHandler(UINT msg, WPARAM wParam, LPARAM lParam);

  // Notifications a parent window receives about this control (WM_COMMAND, WM_NOTIFY,
  // WM_HSCROLL, WM_VSCROLL, WM_CTLCOLOR*), reflected here. Return true when handled.
  virtual bool Reflect(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

  // Painting of our own window class; the default fills the background colour.
  virtual void Paint(HDC dc);
  // Fills dc with the parent's colour and draws the graphic siblings created before this
  // control that overlap it, so that a transparent control shows what lies beneath.
  void PaintUnderneath(HDC dc);

  // Font or colour changed (own or inherited): refresh the window.
  virtual void FontChanged();
  virtual void ColorChanged();

  bool IsGraphic() const { return FGraphic; }
  // A brush of Color(), owned by the control (for WM_CTLCOLOR* answers).
  HBRUSH BackgroundBrush();
  // True for controls of our own painted window class.
  bool OwnClass() const { return FOldProc == nullptr; }

 private:
  friend class TWinControl;
  static LRESULT CALLBACK StaticWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
  void FontSettingChanged();
  void InheritFont(const TFont& font);
  void HandleMouse(UINT msg, WPARAM wParam, LPARAM lParam);

  HWND FHandle = nullptr;
  WNDPROC FOldProc = nullptr;
  TWinControl* FParent = nullptr;
  std::string FName;
  bool FGraphic = false;
  int FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
  TFont FFont;
  bool FParentFont = true;
  bool FInheritingFont = false;
  TColor FColor = clBtnFace;
  bool FParentColor = true;
  TCursor FCursor = crDefault;
  bool FMouseDown = false;
  HBRUSH FBackBrush = nullptr;
  TColor FBackBrushColor = 0;
};

// A control that holds other controls (forms, panels, group boxes). It owns its children and
// routes their notifications back to them.
class TWinControl : public TControl {
 public:
  ~TWinControl() override;

  const std::vector<std::unique_ptr<TControl>>& Controls() const { return FControls; }
  // The descendant control with the given Name, or nullptr.
  TControl* FindControl(const std::string& name) const;
  // A new id for a child window, unique among all the windows of the form (the dialog manager
  // finds the default button by its id anywhere in the form, not only among its siblings);
  // above IDOK/IDCANCEL, which the dialog manager sends for Enter and Escape.
  int NextControlId();

 protected:
  TWinControl(TWinControl* parent, const char* name);
  explicit TWinControl(const char* name);

  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
  void FontChanged() override;
  void ColorChanged() override;

 private:
  friend class TControl;
  void Adopt(TControl* control);
  void Release(TControl* control);
  // The sibling after which a new window goes in the z-order (see TControl's constructor).
  HWND LastFocusableChild() const;

  std::vector<std::unique_ptr<TControl>> FControls;
  int FNextId = 100;  // used by the top-level control only
};
