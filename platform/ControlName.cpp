#include "ControlName.h"

namespace {

const char kNameProperty[] = "SkelvaneName";

struct TFindState {
  const char* Name;
  HWND Found;
};

BOOL CALLBACK MatchChild(HWND child, LPARAM param) {
  auto* state = reinterpret_cast<TFindState*>(param);
  if (GetControlName(child) == state->Name) {
    state->Found = child;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

void SetControlName(HWND window, const char* name) {
  if (window == nullptr || name == nullptr || *name == '\0') return;
  ATOM atom = AddAtomA(name);
  if (atom != 0) SetPropA(window, kNameProperty, reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(atom)));
}

std::string GetControlName(HWND window) {
  auto atom = static_cast<ATOM>(reinterpret_cast<UINT_PTR>(GetPropA(window, kNameProperty)));
  if (atom == 0) return "";
  char buffer[256];
  UINT length = GetAtomNameA(atom, buffer, sizeof buffer);
  return std::string(buffer, length);
}

HWND FindControlByName(HWND parent, const char* name) {
  // EnumChildWindows already walks all descendants, depth first.
  TFindState state{name, nullptr};
  EnumChildWindows(parent, MatchChild, reinterpret_cast<LPARAM>(&state));
  return state.Found;
}
