#include "PiPL.h"

namespace
{

// Four-character codes are stored as little-endian 32-bit integers, so 'kind' reads "dnik".
uint32_t FourCC(const char (&code)[5])
{
  return (uint32_t(uint8_t(code[0])) << 24) | (uint32_t(uint8_t(code[1])) << 16) |
         (uint32_t(uint8_t(code[2])) << 8) | uint32_t(uint8_t(code[3]));
}

void PutLE16(std::vector<uint8_t>& out, uint16_t value)
{
  out.push_back(uint8_t(value));
  out.push_back(uint8_t(value >> 8));
}

void PutLE32(std::vector<uint8_t>& out, uint32_t value)
{
  for (int shift = 0; shift < 32; shift += 8)
    out.push_back(uint8_t(value >> shift));
}

void PadTo4(std::vector<uint8_t>& data)
{
  while (data.size() % 4 != 0)
    data.push_back(0);
}

// Hosts step to the next property by the stored length without rounding it, so the stored
// length is the padded one.
void PutProperty(std::vector<uint8_t>& out, const char (&key)[5], std::vector<uint8_t> data)
{
  PadTo4(data);
  PutLE32(out, FourCC("8BIM"));
  PutLE32(out, FourCC(key));
  PutLE32(out, 0);
  PutLE32(out, uint32_t(data.size()));
  out.insert(out.end(), data.begin(), data.end());
}

// Length byte (characters + 1), the characters, one zero byte.
std::vector<uint8_t> LengthPrefixed(const std::string& text)
{
  std::vector<uint8_t> data;
  data.push_back(uint8_t(text.size() + 1));
  data.insert(data.end(), text.begin(), text.end());
  data.push_back(0);
  return data;
}

std::vector<uint8_t> ZeroTerminated(const std::string& text)
{
  std::vector<uint8_t> data(text.begin(), text.end());
  data.push_back(0);
  return data;
}

std::vector<uint8_t> LE32(uint32_t value)
{
  std::vector<uint8_t> data;
  PutLE32(data, value);
  return data;
}

} // namespace

std::vector<uint8_t> BuildPiPL(const TPiPLDescription& description)
{
  constexpr size_t kMaxPrefixedLength = 254;
  if (description.Name.size() > kMaxPrefixedLength ||
      description.Category.size() > kMaxPrefixedLength)
    return {};

  constexpr uint32_t kInterfaceVersion = 0x00040000; // version 4, sub-version 0
  constexpr int kFilterCases = 7;

  std::vector<uint8_t> out;
  PutLE16(out, 1);
  PutLE32(out, 0); // property-list version
  PutLE32(out, 8); // number of properties

  PutProperty(out, "kind", LE32(FourCC("8BFM")));
  PutProperty(out, "name", LengthPrefixed(description.Name));
  PutProperty(out, "catg", LengthPrefixed(description.Category));
  PutProperty(out, "vers", LE32(kInterfaceVersion));
  const uint32_t flags = description.ModeFlags;
  PutProperty(out, "mode", {uint8_t(flags >> 24), uint8_t(flags >> 16), uint8_t(flags >> 8),
                            uint8_t(flags)});
  // Every filter case: input and output passed unchanged (handling 1), no flags.
  const uint8_t kFilterCase[4] = {1, 1, 0, 0};
  std::vector<uint8_t> filterCases;
  for (int i = 0; i < kFilterCases; ++i)
    for (uint8_t byte : kFilterCase)
      filterCases.push_back(byte);
  PutProperty(out, "fici", filterCases);
  PutProperty(out, "wx86", ZeroTerminated("PluginMain"));
  PutProperty(out, "enbl", ZeroTerminated("1"));

  out.insert(out.end(), 6, 0);
  return out;
}
