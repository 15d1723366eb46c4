#include "FileBytes.h"

#include <fstream>

bool ReadFileBytes(const std::string& path, std::uint64_t maxBytes, std::vector<std::uint8_t>& bytes,
                   std::string* error) {
  const auto fail = [&](const char* what) {
    if (error) *error = path + what;
    return false;
  };
  std::ifstream file(path, std::ios::binary);
  if (!file) return fail(": cannot open");
  file.seekg(0, std::ios::end);
  const std::streamoff size = file.tellg();
  if (size < 0 || static_cast<std::uint64_t>(size) > maxBytes) return fail(": cannot read (or too large)");
  file.seekg(0, std::ios::beg);
  bytes.assign(static_cast<size_t>(size), 0);
  if (size > 0 && !file.read(reinterpret_cast<char*>(bytes.data()), size)) return fail(": read failed");
  return true;
}
