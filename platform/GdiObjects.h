// Owners of short-lived GDI objects: a created object, a selection into a DC, the screen DC,
// a memory DC.
#pragma once

#include <windows.h>

// Deletes the GDI object (pen, brush, font, bitmap) it was given.
template <class THandle>
class TGdiObject {
 public:
  explicit TGdiObject(THandle handle) : FHandle(handle) {}
  ~TGdiObject() {
    if (FHandle != nullptr) DeleteObject(FHandle);
  }
  TGdiObject(const TGdiObject&) = delete;
  TGdiObject& operator=(const TGdiObject&) = delete;
  THandle Get() const { return FHandle; }

 private:
  THandle FHandle;
};

// Selects an object into a DC and puts the previous one back.
class TSelection {
 public:
  TSelection(HDC dc, HGDIOBJ object) : FDC(dc), FOld(SelectObject(dc, object)) {}
  ~TSelection() {
    if (Ok()) SelectObject(FDC, FOld);
  }
  TSelection(const TSelection&) = delete;
  TSelection& operator=(const TSelection&) = delete;
  // False when the object could not be selected (the DC then keeps what it had).
  bool Ok() const { return FOld != nullptr && FOld != HGDI_ERROR; }

 private:
  HDC FDC;
  HGDIOBJ FOld;
};

// The screen's DC, for measuring text and copying the screen.
class TScreenDC {
 public:
  TScreenDC() : FDC(GetDC(nullptr)) {}
  ~TScreenDC() {
    if (FDC != nullptr) ReleaseDC(nullptr, FDC);
  }
  TScreenDC(const TScreenDC&) = delete;
  TScreenDC& operator=(const TScreenDC&) = delete;
  HDC Get() const { return FDC; }

 private:
  HDC FDC;
};

// A memory DC compatible with another DC, deleted with the object.
class TMemoryDC {
 public:
  explicit TMemoryDC(HDC compatible) : FDC(CreateCompatibleDC(compatible)) {}
  ~TMemoryDC() {
    if (FDC != nullptr) DeleteDC(FDC);
  }
  TMemoryDC(const TMemoryDC&) = delete;
  TMemoryDC& operator=(const TMemoryDC&) = delete;
  HDC Get() const { return FDC; }

 private:
  HDC FDC;
};
