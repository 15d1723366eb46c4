// Builder of a filter module's property list (the PIPL resource the host reads to register it).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TPiPLDescription
{
  std::string Name;                  // menu text
  std::string Category = "Skelvane"; // menu category
  // Supported-mode flags, most significant byte first as stored (0xffc00000: bitmap to Lab).
  uint32_t ModeFlags = 0;
};

// The complete resource: header, the eight properties (kind, name, catg, vers, mode, fici,
// wx86 "PluginMain", enbl "1") and six trailing zero bytes. Empty when a string is too long
// for its one-byte length prefix (more than 254 characters).
std::vector<uint8_t> BuildPiPL(const TPiPLDescription& description);
