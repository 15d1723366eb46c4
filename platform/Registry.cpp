#include "Registry.h"

bool TRegistry::OpenKey(const std::string& path, bool canCreate) {
  CloseKey();
  HKEY key = nullptr;
  LONG status;
  if (canCreate)
    status = RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                             KEY_READ | KEY_WRITE, nullptr, &key, nullptr);
  else
    status = RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ | KEY_WRITE, &key);
  if (status != ERROR_SUCCESS) return false;
  FKey = key;
  return true;
}

void TRegistry::CloseKey() {
  if (FKey == nullptr) return;
  RegCloseKey(FKey);
  FKey = nullptr;
}

bool TRegistry::ValueExists(const std::string& name) const {
  if (FKey == nullptr) return false;
  return RegQueryValueExA(FKey, name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

int TRegistry::ReadInteger(const std::string& name) const {
  if (FKey == nullptr) throw ERegistryException("No registry key is open.");
  DWORD type = 0;
  DWORD value = 0;
  DWORD size = sizeof value;
  LONG status = RegQueryValueExA(FKey, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
  if (status != ERROR_SUCCESS || type != REG_DWORD || size != sizeof value)
    throw ERegistryException("Invalid data type for '" + name + "'.");
  return static_cast<int>(value);
}

void TRegistry::WriteInteger(const std::string& name, int value) {
  DWORD data = static_cast<DWORD>(value);
  if (FKey == nullptr ||
      RegSetValueExA(FKey, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data) != ERROR_SUCCESS)
    throw ERegistryException("Failed to set data for '" + name + "'.");
}

void TRegistry::WriteBinaryData(const std::string& name, const void* data, std::size_t size) {
  if (FKey == nullptr ||
      RegSetValueExA(FKey, name.c_str(), 0, REG_BINARY, static_cast<const BYTE*>(data), static_cast<DWORD>(size)) != ERROR_SUCCESS)
    throw ERegistryException("Failed to set data for '" + name + "'.");
}
