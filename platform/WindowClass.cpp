#include "WindowClass.h"

HINSTANCE ModuleInstance() {
  HMODULE module = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCSTR>(&ModuleInstance), &module);
  return module;
}

TWindowClass::TWindowClass(const char* name, WNDPROC proc, HCURSOR cursor) : FName(name) {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = proc;
  wc.hInstance = ModuleInstance();
  wc.hCursor = cursor;
  wc.lpszClassName = name;
  FAtom = RegisterClassExA(&wc);
}

TWindowClass::~TWindowClass() {
  if (FAtom != 0) UnregisterClassA(FName, ModuleInstance());
}
