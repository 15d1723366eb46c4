// The module our code is linked into, and the window classes it registers.
#pragma once

#include <windows.h>

// The module (exe or plug-in DLL) this code is linked into: its window classes and resources.
HINSTANCE ModuleInstance();

// A window class of this module, registered on construction and unregistered on destruction:
// a host may unload a plug-in DLL and load it again, and a class left behind would keep the
// old window procedure. A class that cannot be registered leaves Registered() false, and
// windows of it cannot be created.
class TWindowClass {
 public:
  TWindowClass(const char* name, WNDPROC proc, HCURSOR cursor = nullptr);
  ~TWindowClass();
  TWindowClass(const TWindowClass&) = delete;
  TWindowClass& operator=(const TWindowClass&) = delete;

  const char* Name() const { return FName; }
  bool Registered() const { return FAtom != 0; }

 private:
  const char* FName;
  ATOM FAtom = 0;
};
