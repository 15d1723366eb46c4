// Reader of PE (Windows executable) images and of the version and property-list resources in them.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

constexpr uint16_t kMachineI386 = 0x014C;
constexpr uint16_t kMachineAmd64 = 0x8664;
constexpr uint16_t kCharacteristicLargeAddressAware = 0x0020;
constexpr uint16_t kCharacteristicDll = 0x2000;
constexpr uint16_t kResourceTypeVersion = 16;

struct TPEExport {
  std::string Name;  // empty for an export by ordinal only
  uint32_t Ordinal = 0;
  uint32_t Rva = 0;
};

// A resource type or name: a number, or a string (compared without regard to ASCII case,
// as resource compilers store type names upper-cased).
struct TResourceKey {
  bool IsName = false;
  uint16_t Id = 0;
  std::string Name;  // characters beyond ASCII read as '?'

  static TResourceKey FromId(uint16_t id) { return {false, id, {}}; }
  static TResourceKey FromName(const std::string& name) { return {true, 0, name}; }
  bool Matches(const TResourceKey& other) const;
};

struct TPEResource {
  TResourceKey Type;
  TResourceKey Name;
  uint16_t Language = 0;
  uint32_t DataRva = 0;
  uint32_t Size = 0;
};

// The parsed image. Every offset and count read from the file is checked against the data, so
// malformed input gives false and a reason, never a fault. What was read before the fault
// stays available.
class TPEImage {
 public:
  bool LoadFromFile(const std::string& path, std::string* error = nullptr);
  bool LoadFromBytes(std::vector<uint8_t> bytes, std::string* error = nullptr);

  uint16_t Machine = 0;
  uint16_t Characteristics = 0;
  bool Is64Bit = false;                 // PE32+ optional header
  std::string ExportDllName;            // the name in the export directory
  std::vector<TPEExport> Exports;       // by ascending ordinal
  std::vector<std::string> Imports;     // imported DLL names as stored
  std::vector<TPEResource> Resources;   // every leaf of the resource tree

  bool IsDll() const { return (Characteristics & kCharacteristicDll) != 0; }
  bool IsLargeAddressAware() const {
    return (Characteristics & kCharacteristicLargeAddressAware) != 0;
  }

  // The bytes of the first resource matching type, name and language; false if none or if its
  // data lies outside the file.
  bool FindResource(const TResourceKey& type, const TResourceKey& name, uint16_t language,
                    std::vector<uint8_t>& data) const;

  // The bytes at rva, if all size of them are backed by the file.
  bool ReadRva(uint32_t rva, uint32_t size, std::vector<uint8_t>& data) const;

 private:
  struct TSection {
    uint32_t VirtualAddress, VirtualSize, RawOffset, RawSize;
  };
  const uint8_t* RvaPointer(uint32_t rva, uint32_t size) const;
  bool RvaString(uint32_t rva, std::string& text) const;
  bool ReadExports(uint32_t rva, std::string* error);
  bool ReadImports(uint32_t rva, std::string* error);
  bool ReadResources(uint32_t rva, uint32_t size, std::string* error);

  std::vector<uint8_t> FBytes;
  std::vector<TSection> FSections;
  uint32_t FHeaderSize = 0;
};

// A version resource (VS_VERSIONINFO): the fixed file information and the strings of its
// first string table (keys such as "ProductName" mapped to their values, ASCII only).
struct TVersionInfo {
  uint16_t FileVersion[4] = {0, 0, 0, 0};     // major, minor, release, build
  uint16_t ProductVersion[4] = {0, 0, 0, 0};
  std::map<std::string, std::string> Strings;
};

bool ParseVersionResource(const std::vector<uint8_t>& bytes, TVersionInfo& info,
                          std::string* error = nullptr);

// A plug-in property list: a header of a 16-bit word, a 32-bit version and a property count,
// then the properties back to back, all little-endian.
struct TPiplProperty {
  uint32_t Vendor = 0;  // four-character codes as their 32-bit values, e.g. FourCC("8BIM")
  uint32_t Key = 0;
  uint32_t Id = 0;
  uint32_t Length = 0;  // the stored data length
  std::vector<uint8_t> Data;
};

struct TPropertyList {
  uint16_t Word = 0;
  uint32_t Version = 0;
  std::vector<TPiplProperty> Properties;
  std::vector<uint8_t> Trailing;  // bytes after the last property
};

// The 32-bit value of a four-character code: "8BIM" is 0x3842494D.
constexpr uint32_t FourCC(const char (&code)[5]) {
  return (static_cast<uint32_t>(static_cast<uint8_t>(code[0])) << 24) |
         (static_cast<uint32_t>(static_cast<uint8_t>(code[1])) << 16) |
         (static_cast<uint32_t>(static_cast<uint8_t>(code[2])) << 8) |
         static_cast<uint32_t>(static_cast<uint8_t>(code[3]));
}

// Parses the header and as many properties as it announces; false when a count or length
// runs past the data.
bool ParsePropertyList(const std::vector<uint8_t>& bytes, TPropertyList& list,
                       std::string* error = nullptr);
