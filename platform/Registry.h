// Access to the current user's registry hive: one open key at a time.
#pragma once

#include <windows.h>

#include <cstddef>
#include <stdexcept>
#include <string>

// Raised when a value cannot be read or written.
class ERegistryException : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TRegistry {
 public:
  TRegistry() = default;
  ~TRegistry() { CloseKey(); }
  TRegistry(const TRegistry&) = delete;
  TRegistry& operator=(const TRegistry&) = delete;

  // Opens path under HKEY_CURRENT_USER for reading and writing; creates it only when
  // canCreate. Returns whether a key is open. Any key open before is closed first.
  bool OpenKey(const std::string& path, bool canCreate = false);
  void CloseKey();
  bool KeyOpen() const { return FKey != nullptr; }

  // False also when no key is open: nothing here ever touches the hive's root.
  bool ValueExists(const std::string& name) const;
  // Throws ERegistryException when no key is open, the value is missing or not a REG_DWORD.
  int ReadInteger(const std::string& name) const;
  // REG_DWORD; throws ERegistryException when no key is open or the write fails.
  void WriteInteger(const std::string& name, int value);
  // REG_BINARY; throws ERegistryException when no key is open or the write fails.
  void WriteBinaryData(const std::string& name, const void* data, std::size_t size);

 private:
  HKEY FKey = nullptr;
};
